// The real libVeltaReports9.so loaded with dlopen, driven through its four
// exports by the test host. Each scenario runs in a child process so that it
// meets the library's process-wide state fresh, as a host does at start.
// The windows the library opens are answered by this program's ScriptedDialogs,
// installed in the library through its test-only export VeltaInstallDialogs
// (the library has its own copy of the Dialogs service); this was chosen over
// polling real modal windows because the script then meets each window in
// order, with no timing involved.
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/platform/NamedLock.h"
#include "plugin/platform/ProcessSingleton.h"
#include "plugin/platform/Registry.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/core/WaitFormDriver.h"
#include "tests/support/VariantDescription.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextStream>
#include <QThread>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <mutex>
#include <string>
#include <vector>

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
    // The test-only export that installs a test's dialogs in the library.
    void (*installDialogs)(Dialogs*) = nullptr;

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
        installDialogs = reinterpret_cast<void (*)(Dialogs*)>(::dlsym(handle, "VeltaInstallDialogs"));
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
            menu->child("Товарно-транспортные накладные...")->click();
        } catch (const Exception& e) {
            out << "click: " << e.message() << "\n";
        }
    }
    out << "registrations: " << testHost.registrations.size() << "\n";
    out.flush();
    return 0;
});

// The shift report items clicked in the loaded library over a real station.
// The library holds its own copy of the Dialogs service, so the test's
// ScriptedDialogs are installed in it through its test-only export
// VeltaInstallDialogs: the library calls them through their virtual functions
// and the scripts work its windows as a user would, by the objectNames of Qt's
// own widget classes (never casting to the library's window classes, which are
// another copy's). This keeps the run deterministic, unlike polling real modal
// windows. The host's report function forwards each call to the station's
// engine; each item's shift list is worked (shift 1003 chosen, then, when it
// comes back after the viewer, cancelled). The child prints, in order, what
// the user saw and the reports sent (without the prologue and the SQL data).
const test::ChildRoleRegistration shiftReportsRole("plugin-shift-reports", [](const QStringList& items) {
    Plugin lib;
    if (!lib.load() || !lib.installDialogs)
        return 2;
    QTextStream out(stdout);
    std::mutex logMutex;
    QStringList log;
    const auto note = [&](const QString& line) {
        const std::lock_guard lock(logMutex);
        log << QString(line).replace(QLatin1Char('\n'), QLatin1Char(' '));
    };

    TestHost host({"&Файл", "&Настройка", "&Журналы", "&Справка"});
    test::TestPayTypeList payTypes;
    test::answerAsDemoWorkplace(host, payTypes);
    WireClient station;
    const auto port = static_cast<std::uint16_t>(qEnvironmentVariableIntValue("VELTA_STATION_PORT"));
    station.connect(QStringLiteral("127.0.0.1"), port);
    std::mutex stationMutex;
    host.onReport = [&](QString& text, int reportNo, const Variant& params) {
        const bool service = reportNo == report::kService && params.isArray() && params.arrayCount() > 0 &&
                             (params.at(0).toInt() == report::kSelectorPrologue ||
                              params.at(0).toInt() == report::kSelectorProviderData);
        if (!service)
            note(QStringLiteral("report%1: %2 %3 %4")
                     .arg(QThread::currentThread() == qApp->thread() ? QString() : QStringLiteral(" (worker)"))
                     .arg(reportNo).arg(params.isArray() ? params.arrayCount() : -1)
                     .arg(test::describe(params)));
        const std::lock_guard lock(stationMutex);
        const Variant answer = station.call(QString::fromLatin1(station::kGetReport),
                                            {Variant(reportNo), params, Variant(core::ReportWorkplaceName())});
        text = answer.isEmptyOrNull() ? QString() : answer.toString();
    };

    ScriptedDialogs dialogs([&](const QString& message) { note(QStringLiteral("dialogs: ") + message); });
    const auto expectList = [&](bool choose) {
        dialogs.expectModal(QStringLiteral("TSmenaListFrm")).drive([&, choose](QDialog& window) {
            note(QStringLiteral("list: ") + window.windowTitle() +
                 (choose ? QStringLiteral(" -> 1003") : QStringLiteral(" -> cancel")));
            if (choose) {
                auto* grid = window.findChild<QTableView*>(QStringLiteral("DBGrid1"));
                QAbstractItemModel& model = *grid->model();
                int row = 0;
                while (row < model.rowCount() && model.index(row, 0).data().toInt() != 1003)
                    ++row;
                if (row == model.rowCount()) {
                    note(QStringLiteral("list: no shift 1003"));
                    window.reject();
                    return;
                }
                grid->selectionModel()->clearSelection();
                grid->selectionModel()->setCurrentIndex(model.index(row, 0), QItemSelectionModel::NoUpdate);
                grid->selectionModel()->select(
                    QItemSelection(model.index(row, 0), model.index(row, model.columnCount() - 1)),
                    QItemSelectionModel::Select);
            }
            window.findChild<QPushButton*>(choose ? QStringLiteral("BitBtn1") : QStringLiteral("BitBtn2"))->click();
        });
    };
    lib.installDialogs(&dialogs);
    lib.setGetValue(&TestHost::getValue);
    lib.initReportMenu(0, &host.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    lib.setNewUserPriv(&host.mainMenu(), &TestHost::getPrivValue);
    for (const QString& item : items) {
        note(QStringLiteral("click: ") + item);
        expectList(true);
        if (item == QStringLiteral("Сменный отчет"))
            dialogs.expectModal(QStringLiteral("TWaitForm")).drive([&](QDialog& window) {
                test::untilWorkerCloses()(window);
                note(QStringLiteral("wait closed"));
            });
        dialogs.expectModal(QStringLiteral("TRptFrm")).drive([&](QDialog& window) {
            const QString text = window.findChild<QPlainTextEdit*>(QStringLiteral("RptMemo"))->toPlainText();
            note(QStringLiteral("viewer: ") + window.windowTitle() + QStringLiteral(" | ") +
                 (text.trimmed().startsWith(QStringLiteral("Сменный отчет\n")) ? QStringLiteral("report 45")
                                                             : QString::number(text.size())));
            window.reject();
        });
        expectList(false);
        try {
            host.mainMenu().child(QStringLiteral("&Журналы/Отчеты"))->child(item)->click();
        } catch (const std::exception& e) {
            note(QStringLiteral("click failed: ") + QString::fromUtf8(e.what()));
        }
        dialogs.verify();
    }
    lib.installDialogs(nullptr);
    for (const QString& line : log)
        out << line << "\n";
    out.flush();
    return 0;
});

// The library's load, one use of each process-wide object, and its unload;
// prints how many of them lived before and after the unload.
const test::ChildRoleRegistration unloadRole("plugin-unload", [](const QStringList&) {
    core::StartUp();
    core::logger();
    viewer::CurrentPrinter();
    selection::CreateShiftList();
    selection::StartScanner();
    {
        NamedLock lock(QStringLiteral("plugin-unload"));
        const NamedLockGuard held(&lock);
    }
    TRegistry registry(RootKey::LocalMachine);
    registry.createKey(QStringLiteral("SOFTWARE\\Unload"));
    registry.keyExists(QStringLiteral("SOFTWARE\\Unload"));
    std::printf("before: %d\n", processSingletonsAlive.load());
    core::UnloadPlugin();
    std::printf("after: %d\n", processSingletonsAlive.load());
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

// Nothing the plug-in made for the whole process outlives its unload, and the
// unload makes none of them on its way.
TEST_F(ExportsTest, TheUnloadFreesEveryProcessWideObject)
{
    const auto lines = [&] {
        auto child = test::startChild(QStringLiteral("plugin-unload"), {});
        EXPECT_EQ(test::waitChild(*child), 0) << child->readAllStandardError().toStdString();
        return QString::fromUtf8(child->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    }();
    ASSERT_EQ(lines.size(), 2) << lines.join('|').toStdString();
    EXPECT_GE(lines[0].mid(8).toInt(), 7) << "globals, printer, list, scanner, locks, registry, temporary file name";
    EXPECT_EQ(lines[1], QStringLiteral("after: 0"));
}

TEST_F(ExportsTest, LibraryHasTheFourEntryPoints)
{
    ASSERT_TRUE(QFile::exists(libraryPath())) << libraryPath().toStdString();
    Plugin lib;
    EXPECT_TRUE(lib.load());
}

TEST_F(ExportsTest, OfficeHostSequenceBuildsTheMenuAndFitsIt)
{
    qputenv("VELTA_STATION_PORT", "1"); // nothing listens there
    const auto lines = run({"3", "10"});
    qunsetenv("VELTA_STATION_PORT");
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
    // The note register first connects the station server, which is not there.
    EXPECT_FALSE(lines.value("click").isEmpty());
    EXPECT_FALSE(lines.value("click").contains(QStringLiteral("пока недоступна")));
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

class ExportsStationTest : public test::SharedStationTest<> {
protected:
    test::TestEnv env;
};

TEST_F(ExportsStationTest, ShiftReportItemsSendTheirReportsAndShowTheListUntilCancelled)
{
    if (!stationReady())
        return;
    auto child = test::startChild(QStringLiteral("plugin-shift-reports"),
                                  {QStringLiteral("Сменный отчет"), QStringLiteral("Отчет по мернику")});
    const int code = test::waitChild(*child);
    std::vector<std::string> lines;
    for (const QString& line : QString::fromUtf8(child->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts))
        lines.push_back(line.toStdString());
    ASSERT_EQ(code, 0) << child->readAllStandardError().toStdString();
    std::string seen;
    for (const std::string& line : lines)
        seen += line + '\n';
    // Statements (code 104) flagged at position 4 of the eleven payment types.
    const std::string statements = "[i32:0, i32:0, i32:0, i32:0, i32:1, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0]";
    ASSERT_EQ(lines.size(), 13u) << seen;
    EXPECT_EQ(lines[0], "click: Сменный отчет");
    EXPECT_EQ(lines[1], "list: Выберите смену -> 1003");
    // On the report thread, under the wait window: ten elements, the shift
    // twice, the composition (an array whose last element is unassigned), the
    // station value, RoundRVal, no department, not an office, the flags, the
    // sort field and the statement codes.
    const std::string shiftReport = lines[2];
    EXPECT_EQ(shiftReport.rfind("report (worker): 45 10 [i32:1003, i32:1003, [i32:1, ", 0), 0u) << shiftReport;
    const std::string tail = ", empty], i32:1, i32:0, str:, bool:0, " + statements + ", i32:0, [i32:104]]";
    EXPECT_TRUE(shiftReport.size() > tail.size() && shiftReport.substr(shiftReport.size() - tail.size()) == tail)
        << shiftReport;
    EXPECT_EQ(lines[3], "wait closed");
    EXPECT_EQ(lines[4], "report: 55 0 []");
    EXPECT_EQ(lines[5], "viewer: Сменный отчет | report 45");
    EXPECT_EQ(lines[6], "list: Выберите смену -> cancel");
    EXPECT_EQ(lines[7], "click: Отчет по мернику");
    EXPECT_EQ(lines[8], "list: Выберите смену -> 1003");
    EXPECT_EQ(lines[9], "report: 35 3 [u8:10, i32:1003, i32:1003]");
    EXPECT_EQ(lines[10], "report: 55 0 []");
    // The viewer shows the station's text (its length here), not an empty one.
    EXPECT_EQ(lines[11].rfind("viewer: Отчет по мернику | ", 0), 0u) << lines[11];
    EXPECT_NE(lines[11], "viewer: Отчет по мернику | 0");
    EXPECT_EQ(lines[12], "list: Выберите смену -> cancel");
}

} // namespace
} // namespace velta
