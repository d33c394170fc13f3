// The host loading the real plug-in library offscreen: the report menu lands
// above the host's own journal items, and unloading leaves the host sound.
#include "common/Codecs.h"
#include "host/HostConfig.h"
#include "host/HostWindow.h"
#include "host/QtMenuItem.h"
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

} // namespace
} // namespace velta::host
