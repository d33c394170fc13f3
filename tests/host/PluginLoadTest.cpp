// The host loading the real plug-in library offscreen: the report menu lands
// above the host's own journal items, and unloading leaves the host sound.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "host/DemoTour.h"
#include "host/HostConfig.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/QtMenuItem.h"
#include "plugin/platform/SiblingLibrary.h"
#include "tests/support/StationServer.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <QImage>
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

// Points the host and the plug-in at a station server while it lives.
struct StationPort {
    explicit StationPort(quint16 port) { qputenv("VELTA_STATION_PORT", QByteArray::number(port)); }
    ~StationPort() { qunsetenv("VELTA_STATION_PORT"); }
};

// The fuel price history is built only on an office workplace: the tour of a
// station workplace photographs its period chooser and viewer through a second
// host of an office workplace, and the station's own menu stays without it.
TEST(PluginLoad, TourShowsThePriceHistoryThroughAnOfficeHost)
{
    const QString library = QDir::cleanPath(qEnvironmentVariable("VELTA_BIN_DIR") + QStringLiteral("/../lib/libVeltaReports9.so"));
    if (!QFileInfo::exists(library) || !test::StationServer::available())
        GTEST_SKIP() << "the plug-in library or the station server is not built";
    const auto station = test::StationServer::overNewStation(200);
    ASSERT_NE(station->port(), 0) << station->error().toStdString();
    test::TestEnv env;
    const QString path = env.path("root/host.ini");
    // The host and the plug-in's own connections both find the station by this port.
    const StationPort port(station->port());
    test::writeFileBytes(path, codec::toCp1251(defaultHostConfigText()));
    // The report forms, as ./run demo installs them, for the report settings step.
    ASSERT_EQ(QProcess::execute(test::StationServer::program(),
                                {QStringLiteral("forms"), QStringLiteral("--to"), env.path("root/C/DEXE/FORMS")}),
              0);
    HostConfig config(path);
    ASSERT_EQ(config.workplaceKind, 0);
    QStringList errors;
    HostWindow window(config, [&](const QString& m) { errors << m; });
    ASSERT_TRUE(window.loadPlugin(library)) << errors.join(QLatin1Char('\n')).toStdString();
    const QString caption = QStringLiteral("История изменения цен на ГСМ...");
    QtMenuItem* reports = window.mainMenu().childByCaption(QStringLiteral("&Журналы/Отчеты"));
    ASSERT_NE(reports, nullptr);
    EXPECT_EQ(reports->childByCaption(caption), nullptr);

    const QString out = env.path("out");
    DemoTour tour(out);
    const QStringList files = tour.run(window);
    EXPECT_TRUE(tour.failures().isEmpty()) << tour.failures().join(QLatin1Char('\n')).toStdString();
    // The office host's commands come last: the price history, then the discount cards.
    QStringList last;
    for (qsizetype i = std::max<qsizetype>(0, files.size() - 4); i < files.size(); ++i)
        last << QFileInfo(files[i]).fileName();
    EXPECT_EQ(last, (QStringList{QStringLiteral("17-period-chooser.png"), QStringLiteral("18-price-history.png"),
                                 QStringLiteral("43-discount-cards.png"), QStringLiteral("44-discount-cards-report.png")}));
    const QImage chooser(QDir(out).filePath(QStringLiteral("17-period-chooser.png")));
    const QImage viewer(QDir(out).filePath(QStringLiteral("18-price-history.png")));
    ASSERT_FALSE(chooser.isNull());
    ASSERT_FALSE(viewer.isNull());
    EXPECT_NE(chooser.size(), viewer.size()) << "the viewer is not the chooser photographed twice";
    EXPECT_EQ(config.workplaceKind, 0) << "the office host works on a copy of the configuration";
    EXPECT_EQ(reports->childByCaption(caption), nullptr);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('\n')).toStdString();
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
