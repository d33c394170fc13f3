// The real libVeltaReports9.so loaded with dlopen, driven through its four
// exports by the test host. Each scenario runs in a child process so that it
// meets the library's process-wide state fresh, as a host does at start.
#include "common/Exception.h"
#include "tests/support/TestHost.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QByteArray>
#include <QFile>
#include <QTextStream>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>

namespace velta {
namespace {

using test::TestHost;
using test::TestMenuItem;

QString libraryPath()
{
    return QString::fromLocal8Bit(std::getenv("VELTA_BIN_DIR")) + QStringLiteral("/../lib/libVeltaReports9.so");
}

// The exports of the loaded library.
struct Plugin {
    plugin::SetGetValueExport setGetValue = nullptr;
    plugin::InitReportMenuExport initReportMenu = nullptr;
    plugin::SetNewUserPrivExport setNewUserPriv = nullptr;
    plugin::UpdateVidOplExport updateVidOpl = nullptr;

    bool load()
    {
        void* handle = ::dlopen(libraryPath().toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            std::fprintf(stderr, "%s\n", ::dlerror());
            return false;
        }
        setGetValue = reinterpret_cast<plugin::SetGetValueExport>(::dlsym(handle, plugin::kSetGetValue));
        initReportMenu = reinterpret_cast<plugin::InitReportMenuExport>(::dlsym(handle, plugin::kInitReportMenu));
        setNewUserPriv = reinterpret_cast<plugin::SetNewUserPrivExport>(::dlsym(handle, plugin::kSetNewUserPriv));
        updateVidOpl = reinterpret_cast<plugin::UpdateVidOplExport>(::dlsym(handle, plugin::kUpdateVidOpl));
        return setGetValue && initReportMenu && setNewUserPriv && updateVidOpl;
    }
};

// Runs the host's call sequence on the library and prints what the menu became.
// Arguments: workplace kind, host version, "states" when the host manages them.
const test::ChildRoleRegistration hostSequenceRole("plugin-host-sequence", [](const QStringList& args) {
    Plugin lib;
    if (!lib.load())
        return 2;
    QTextStream out(stdout);
    TestHost testHost({"&Файл", "&Настройка", "&Журналы", "&Справка"});
    testHost.mainMenu().child("&Журналы")->insert(-1, "Журнал смен");
    testHost.values[46] = Variant(args.value(0).toInt());
    testHost.values[101] = Variant(args.value(1).toDouble());
    testHost.privValues[15] = Variant(args.value(0).toInt());
    if (args.contains("states"))
        testHost.offerMenuStates();
    if (args.contains("nosettings"))
        testHost.mainMenu().child("&Настройка")->setCaption("&Сервис");

    lib.setGetValue(&TestHost::getValue);
    lib.initReportMenu(0, &testHost.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    for (int logOn = 1; logOn <= 2; ++logOn) {
        try {
            lib.setNewUserPriv(&testHost.mainMenu(), &TestHost::getPrivValue);
            out << "logon" << logOn << ": ok\n";
        } catch (const Exception& e) {
            out << "logon" << logOn << ": " << e.className() << "\n";
        }
    }
    lib.updateVidOpl();

    TestMenuItem* menu = testHost.mainMenu().child("&Журналы/Отчеты");
    out << "top: " << testHost.mainMenu().captions().join('|') << "\n";
    out << "menu: " << (menu ? menu->captions().join('|') : QString()) << "\n";
    if (menu) {
        out << "current visible: " << int(menu->child("Текущий сменный отчет")->visible()) << "\n";
        try {
            menu->child("Поступления топлива")->click();
        } catch (const Exception& e) {
            out << "click: " << e.message() << "\n";
        }
    }
    out << "registrations: " << testHost.registrations.size() << "\n";
    out.flush();
    return 0;
});

class ExportsTest : public ::testing::Test {
protected:
    // The child's output lines, keyed by the text before ": ".
    QMap<QString, QString> run(const QStringList& args)
    {
        auto child = test::startChild(QStringLiteral("plugin-host-sequence"), args);
        const int code = test::waitChild(*child);
        const QString output = QString::fromUtf8(child->readAllStandardOutput());
        EXPECT_EQ(code, 0) << child->readAllStandardError().toStdString();
        QMap<QString, QString> lines;
        for (const QString& line : output.split('\n', Qt::SkipEmptyParts)) {
            const qsizetype colon = line.indexOf(QStringLiteral(": "));
            if (colon > 0)
                lines.insert(line.left(colon), line.mid(colon + 2));
        }
        return lines;
    }

    test::TestEnv env;
};

TEST_F(ExportsTest, LibraryHasTheFourEntryPoints)
{
    ASSERT_TRUE(QFile::exists(libraryPath())) << libraryPath().toStdString();
    Plugin lib;
    EXPECT_TRUE(lib.load());
}

TEST_F(ExportsTest, OfficeHostSequenceBuildsTheMenuAndFitsIt)
{
    const auto lines = run({"3", "10"});
    EXPECT_EQ(lines.value("logon1"), QStringLiteral("ok"));
    EXPECT_EQ(lines.value("logon2"), QStringLiteral("ok"));
    EXPECT_EQ(lines.value("top"), QStringLiteral("&Файл|&Настройка|&Журналы/Отчеты|&Справка"));
    const QStringList menu = lines.value("menu").split('|');
    ASSERT_EQ(menu.size(), 33);
    EXPECT_EQ(menu.first(), QStringLiteral("Товарный чек на ГСМ..."));
    EXPECT_EQ(menu.at(5), QStringLiteral("Перекачка топлива"));
    EXPECT_EQ(menu.at(31), QStringLiteral("Общий список дисконтных  карт"));
    EXPECT_EQ(menu.last(), QStringLiteral("Журнал смен"));
    EXPECT_EQ(lines.value("current visible"), QStringLiteral("0"));
    EXPECT_EQ(lines.value("click"), QStringLiteral("Команда \"Поступления топлива\" пока недоступна"));
    EXPECT_EQ(lines.value("registrations"), QStringLiteral("0"));
}

TEST_F(ExportsTest, HostManagingStatesGetsRegistrationsAndNoDirectFitting)
{
    const auto lines = run({"3", "9", "states"});
    EXPECT_FALSE(lines.value("menu").contains(QStringLiteral("Перекачка топлива")));
    EXPECT_EQ(lines.value("current visible"), QStringLiteral("1"));
    // Building: current shift, scans, price history; first log-on: settings,
    // three by rights, six by statements; the second log-on adds none.
    EXPECT_EQ(lines.value("registrations"), QStringLiteral("13"));
}

TEST_F(ExportsTest, UnreachableServerFailsTheLogOnAfterTheSettingsItem)
{
    qputenv("VELTA_STATION_PORT", "1");
    const auto lines = run({"0", "10"});
    qunsetenv("VELTA_STATION_PORT");
    // The settings item was added first, so the extras count as built and the
    // second log-on does not try again.
    EXPECT_EQ(lines.value("logon1"), QStringLiteral("EOleSysError"));
    EXPECT_EQ(lines.value("logon2"), QStringLiteral("ok"));
    EXPECT_EQ(lines.value("top").count(QStringLiteral("История продаж")), 1);
}

TEST_F(ExportsTest, EveryRetryAfterAFailureReusesTheOneHistoryItem)
{
    qputenv("VELTA_STATION_PORT", "1");
    const auto lines = run({"1", "10", "nosettings"});
    qunsetenv("VELTA_STATION_PORT");
    EXPECT_EQ(lines.value("logon1"), QStringLiteral("EOleSysError"));
    EXPECT_EQ(lines.value("logon2"), QStringLiteral("EOleSysError"));
    EXPECT_EQ(lines.value("top"), QStringLiteral("&Файл|&Сервис|&Журналы/Отчеты|&Справка|История продаж"));
}

} // namespace
} // namespace velta
