// The host loading the real plug-in library offscreen: the report menu lands
// above the host's own journal items, and unloading leaves the host sound.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "host/HostConfig.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/QtMenuItem.h"
#include "plugin/platform/SiblingLibrary.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <gtest/gtest.h>

namespace velta::host {
namespace {

TEST(PluginLoad, ReportMenuGoesAboveTheHostItems)
{
    const QString library = QDir::cleanPath(qEnvironmentVariable("VELTA_BIN_DIR") + QStringLiteral("/../lib/libVeltaReports9.so"));
    if (!QFileInfo::exists(library))
        GTEST_SKIP() << "the plug-in library is not built";
    test::TestEnv env;
    // An office workplace makes no server connection while fitting the menu.
    const QString path = env.path("root/host.ini");
    test::writeFileBytes(path, codec::toCp1251(defaultHostConfigText().replace(QStringLiteral("WorkplaceKind=0"),
                                                                               QStringLiteral("WorkplaceKind=3"))));
    HostConfig config(path);
    QStringList errors;
    {
        HostWindow window(config, [&](const QString& m) { errors << m; });
        ASSERT_TRUE(window.loadPlugin(library)) << errors.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
        QtMenuItem* reports = window.mainMenu().childByCaption(QStringLiteral("&Журналы/Отчеты"));
        ASSERT_NE(reports, nullptr);
        ASSERT_GT(reports->count(), 2);
        EXPECT_EQ(reports->item(0)->caption(), QStringLiteral("Товарный чек на ГСМ..."));
        EXPECT_EQ(reports->item(reports->count() - 2)->caption(), QStringLiteral("Кассовый журнал"));
        EXPECT_EQ(reports->item(reports->count() - 1)->caption(), QStringLiteral("Проверка связи с сервером"));
        EXPECT_EQ(reports->menu()->actions().size(), reports->count());
        QtMenuItem* settings = window.mainMenu().childByCaption(QStringLiteral("&Настройка"));
        ASSERT_NE(settings, nullptr);
        EXPECT_EQ(settings->item(0)->caption(), QStringLiteral("Отчеты"));
        // A second log-on fits the same menu again without adding to it.
        const int before = reports->count();
        window.changeUser(QStringLiteral("Оператор"));
        EXPECT_EQ(reports->count(), before);
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
    }
    // The library is unloaded with the window; a new host window still works.
    HostWindow again(config, [&](const QString& m) { errors << m; });
    EXPECT_EQ(again.mainMenu().count(), 4);
}

// The department library is the host's to load, and only when host.ini names
// it; the plug-in then finds it loaded, with the path host.ini gives.
TEST(PluginLoad, DepartmentLibraryIsLoadedOnlyWhenTheConfigurationNamesIt)
{
    test::TestEnv env;
    const QString path = env.path("root/host.ini");
    const auto configWith = [&](const QString& library, const QString& department) {
        test::writeFileBytes(path, codec::toCp1251(defaultHostConfigText()
                                                       .replace(QStringLiteral("DepartmentLibrary=\r\n"),
                                                                QStringLiteral("DepartmentLibrary=%1\r\n").arg(library))
                                                       .replace(QStringLiteral("DepartmentPath=\r\n"),
                                                                QStringLiteral("DepartmentPath=%1\r\n").arg(department))));
        return HostConfig(path);
    };

    {
        const DepartmentLibrary none(configWith(QString(), QStringLiteral("S:\\Отдел\\")));
        EXPECT_FALSE(none.isLoaded());
        EXPECT_EQ(CurrentDepartmentPath(), QString());
    }
    {
        const HostConfig config = configWith(QStringLiteral("C:\\DEXE\\Merx9.dll"), QStringLiteral("S:\\Отдел 2\\"));
        EXPECT_EQ(config.departmentLibrary, QStringLiteral("C:\\DEXE\\Merx9.dll"));
        const DepartmentLibrary named(config);
        ASSERT_TRUE(named.isLoaded());
        EXPECT_EQ(CurrentDepartmentPath(), QStringLiteral("S:\\Отдел 2\\"));
    }
    EXPECT_EQ(CurrentDepartmentPath(), QString());
    try {
        const DepartmentLibrary absent(configWith(QStringLiteral("C:\\DEXE\\Merx10.dll"), QString()));
        ADD_FAILURE() << "a library that is not there was loaded";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Не удалось загрузить библиотеку C:\\DEXE\\Merx10.dll: ")))
            << e.message().toStdString();
    }
}

} // namespace
} // namespace velta::host
