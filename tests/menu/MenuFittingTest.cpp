// Fitting the report menu to the user at each log-on: the one-time extras,
// registrations by rights and statements, the direct fitting, and the hidden
// sales history shortcuts.
#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QDialog>
#include <gtest/gtest.h>

namespace velta::core {
namespace {

using plugin::scAlt;
using test::TestHost;
using test::TestMenuItem;

// A station configuration whose element 3 lists the dispensers "1".."n".
Variant configWithDispensers(int n)
{
    Variant::Array devices;
    for (int i = 1; i <= n; ++i)
        devices.append(Variant(Variant::Array{Variant(QString::number(i)), Variant(i)}));
    return Variant(Variant::Array{Variant(), Variant(), Variant(), Variant(devices)});
}

class MenuFittingTest : public ::testing::Test {
protected:
    MenuFittingTest() : testHost({"&Файл", "&Настройка", "&Журналы", "&Справка"})
    {
        ResetPluginState();
        testHost.values[46] = Variant(0);
        testHost.values[101] = Variant(10.0);
        testHost.privValues[15] = Variant(0);
        SetStationConfigSource([this] {
            ++configCalls;
            return configWithDispensers(dispensers);
        });
        DoSetGetValue(&TestHost::getValue);
    }
    ~MenuFittingTest() override
    {
        SetStationConfigSource({});
        ResetPluginState();
    }

    TestMenuItem* build()
    {
        DoInitReportMenu(0, &testHost.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
        return testHost.mainMenu().child(ReportMenuCaption());
    }
    void logOn() { DoSetNewUserPriv(&testHost.mainMenu(), &TestHost::getPrivValue); }
    TestMenuItem* history() { return testHost.mainMenu().child(SalesHistoryCaption()); }

    test::TestEnv env;
    TestHost testHost;
    int dispensers = 2;
    int configCalls = 0;
};

TEST_F(MenuFittingTest, TwelveDispensersGetAltDigitsLettersAndKeypadDigits)
{
    dispensers = 12;
    build();
    logOn();
    TestMenuItem* item = history();
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->visible());
    EXPECT_EQ(item->name(), QStringLiteral("SecretItem00"));
    EXPECT_EQ(testHost.mainMenu().item(testHost.mainMenu().count() - 1), item);
    ASSERT_EQ(item->count(), 22);

    const QString keys = QStringLiteral("1234567890QW");
    int row = 0;
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        const TestMenuItem* alt = item->item(row++);
        EXPECT_EQ(alt->caption(), QStringLiteral("ТРК #%1").arg(i + 1));
        EXPECT_EQ(alt->name(), QStringLiteral("SecretItem%1").arg(i));
        EXPECT_EQ(alt->shortCut(), scAlt | keys.at(i).unicode());
        EXPECT_FALSE(alt->visible());
        if (i < 10) {
            const TestMenuItem* pad = item->item(row++);
            EXPECT_EQ(pad->caption(), QStringLiteral("ТРК №%1").arg(i + 1));
            EXPECT_EQ(pad->name(), QStringLiteral("SecretItem_%1").arg(i));
            EXPECT_EQ(pad->shortCut(), scAlt | (0x60 + (i + 1) % 10)); // VK_NUMPAD0 + digit
        }
    }
    EXPECT_TRUE(state().menuExtrasBuilt);
}

TEST_F(MenuFittingTest, KeyTableEndsAtTheTwentyFourthPosition)
{
    EXPECT_EQ(SalesHistoryKey(1), QLatin1Char('1'));
    EXPECT_EQ(SalesHistoryKey(10), QLatin1Char('0'));
    EXPECT_EQ(SalesHistoryKey(11), QLatin1Char('Q'));
    EXPECT_EQ(SalesHistoryKey(24), QLatin1Char('F'));
    EXPECT_TRUE(SalesHistoryKey(25).isNull());
    EXPECT_TRUE(SalesHistoryKey(0).isNull());

    dispensers = 26;
    testHost.values[80] = Variant(true);
    build();
    logOn();
    const TestMenuItem* last = history()->item(history()->count() - 1);
    EXPECT_EQ(last->caption(), QStringLiteral("АСН #26"));
    EXPECT_EQ(last->shortCut(), 0);
    EXPECT_EQ(history()->item(history()->count() - 3)->shortCut(), scAlt | 'F');
}

TEST_F(MenuFittingTest, OfficeWorkplaceGetsNoSalesHistory)
{
    testHost.values[46] = Variant(3);
    testHost.privValues[15] = Variant(3);
    build();
    logOn();
    EXPECT_EQ(history(), nullptr);
    EXPECT_EQ(configCalls, 0);
    // The settings item alone completes the extras.
    EXPECT_TRUE(state().menuExtrasBuilt);
    EXPECT_NE(testHost.mainMenu().child("&Настройка")->child("Отчеты"), nullptr);
}

TEST_F(MenuFittingTest, NegativeKindCountsAsLargeAndGetsNoShortcuts)
{
    testHost.privValues[15] = Variant(-1);
    build();
    logOn();
    EXPECT_EQ(history(), nullptr);
}

TEST_F(MenuFittingTest, FailedShortcutsAreRetriedOnTheSameItem)
{
    testHost.mainMenu().child("&Настройка")->setCaption("&Сервис"); // no settings item
    SetStationConfigSource([this]() -> Variant {
        if (++configCalls == 1)
            throw EOleSysError(QStringLiteral("server unreachable"));
        return configWithDispensers(3);
    });
    build();
    EXPECT_THROW(logOn(), EOleSysError);
    EXPECT_FALSE(state().menuExtrasBuilt);
    ASSERT_NE(history(), nullptr);
    logOn();
    EXPECT_TRUE(state().menuExtrasBuilt);
    EXPECT_EQ(testHost.mainMenu().captions().count(SalesHistoryCaption()), 1);
    EXPECT_EQ(history()->count(), 6);
    // Once built, later log-ons add nothing.
    logOn();
    EXPECT_EQ(configCalls, 2);
    EXPECT_EQ(history()->count(), 6);
}

TEST_F(MenuFittingTest, FailureAfterTheSettingsItemStillCompletesTheExtras)
{
    SetStationConfigSource([]() -> Variant { throw EOleSysError(QStringLiteral("down")); });
    build();
    EXPECT_THROW(logOn(), EOleSysError);
    EXPECT_TRUE(state().menuExtrasBuilt);
}

TEST_F(MenuFittingTest, EmptyConfigurationLeavesTheHistoryItemEmpty)
{
    SetStationConfigSource([] { return Variant(); });
    build();
    logOn();
    ASSERT_NE(history(), nullptr);
    EXPECT_EQ(history()->count(), 0);
}

TEST_F(MenuFittingTest, DirectFittingHidesCurrentShiftAfterEveryLogOn)
{
    TestMenuItem* menu = build();
    TestMenuItem* current = menu->child("Текущий сменный отчет");
    logOn();
    EXPECT_FALSE(current->visible());
    EXPECT_TRUE(current->enabled());
    current->setVisible(true);
    logOn();
    EXPECT_FALSE(current->visible());
    EXPECT_TRUE(testHost.registrations.empty());
}

TEST_F(MenuFittingTest, DirectFittingFollowsRightsAndStatements)
{
    TestMenuItem* menu = build();
    TestMenuItem* vedSep = menu->insert(-1, "-");
    vedSep->setName("VedSep");
    TestMenuItem* finance = menu->insert(-1, "Финансовый суточно сменный отчет");
    testHost.privValues[6] = Variant(true);
    testHost.privValues[2] = Variant(true);
    testHost.privValues[5] = Variant(false);
    testHost.privValues[19] = Variant(Variant::Array{Variant("Нал"), Variant("Карты")}); // no code 4
    logOn();
    EXPECT_FALSE(state().statementsInUse);
    EXPECT_TRUE(menu->child("Отчеты по бонусам и скидкам")->visible());
    EXPECT_TRUE(menu->child("Непроизведенные возвраты на терминал")->enabled());
    EXPECT_FALSE(menu->child("Отпуск по водителю за период")->enabled());
    EXPECT_FALSE(menu->child("Сменный отчет по ведомостям")->visible());
    EXPECT_FALSE(vedSep->enabled());
    EXPECT_FALSE(menu->child("Общий список дисконтных  карт")->visible());
    EXPECT_FALSE(finance->visible());
    const TestMenuItem* settings = testHost.mainMenu().child("&Настройка")->child("Отчеты");
    EXPECT_FALSE(settings->enabled());
    EXPECT_FALSE(settings->visible());
    EXPECT_TRUE(menu->child("Сменный отчет")->visible()); // untouched

    // Another user without rights, on a station where statements are used.
    testHost.privValues[6] = Variant(false);
    testHost.privValues[2] = Variant(false);
    testHost.privValues[19] = Variant();
    logOn();
    EXPECT_TRUE(state().statementsInUse);
    EXPECT_FALSE(menu->child("Отчеты по бонусам и скидкам")->enabled());
    EXPECT_FALSE(menu->child("Непроизведенные возвраты на терминал")->visible());
    EXPECT_TRUE(menu->child("Отпуск по водителю за период")->visible());
    EXPECT_TRUE(vedSep->visible());
}

TEST_F(MenuFittingTest, LoadingRackLeavesBonusAndReturnsAlone)
{
    testHost.values[80] = Variant(true);
    TestMenuItem* menu = build();
    testHost.privValues[6] = Variant(false);
    logOn();
    EXPECT_TRUE(menu->child("Отчеты по бонусам и скидкам")->enabled());
    EXPECT_TRUE(menu->child("Непроизведенные возвраты на терминал")->visible());
    EXPECT_EQ(history()->item(0)->caption(), QStringLiteral("АСН #1"));
}

TEST_F(MenuFittingTest, FinancialDayReportNeedsOfficeAndTheCnfSwitch)
{
    testHost.values[46] = Variant(3);
    testHost.privValues[15] = Variant(3);
    TestMenuItem* finance = build()->insert(-1, "Финансовый суточно сменный отчет");
    logOn();
    EXPECT_FALSE(finance->enabled());
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(QStringLiteral("Reports"), QStringLiteral("ShowDaySmenaFinReport"), QStringLiteral("1"));
    }
    logOn();
    EXPECT_TRUE(state().showDayShiftFinReport);
    EXPECT_TRUE(finance->enabled());
    EXPECT_TRUE(finance->visible());
}

TEST_F(MenuFittingTest, OfficeHandlersReloadPaymentTypesExceptScansNotesAndMeter)
{
    testHost.values[46] = Variant(3);
    testHost.privValues[15] = Variant(3);
    TestMenuItem* menu = build();
    logOn();
    ASSERT_EQ(state().payTypeCount, 13);
    testHost.privValues[19] = Variant(Variant::Array{Variant("Нал")});
    qputenv("VELTA_STATION_PORT", "1"); // nothing listens there: the note register fails to connect
    for (const char* caption : {"Отсканированные документы...", "Товарно-транспортные накладные...", "Отчет по мернику"}) {
        EXPECT_THROW(menu->child(caption)->click(), Exception) << caption;
        EXPECT_EQ(state().payTypeCount, 13) << caption;
    }
    qunsetenv("VELTA_STATION_PORT");
    EXPECT_THROW(menu->child("Общий список дисконтных  карт")->click(), Exception);
    EXPECT_EQ(state().payTypeCount, 1);
}

// The window itself, over a station, is tested with the journal windows; here
// no station answers, so the click ends in the connection's error with the
// connection left closed.
TEST_F(MenuFittingTest, ShortcutClickOpensItsDispenserJournal)
{
    dispensers = 3;
    build();
    logOn();
    try {
        history()->child("ТРК №2")->click();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_FALSE(e.message().contains(QStringLiteral("пока недоступна"))) << e.message().toStdString();
    }
    ASSERT_NE(state().dataModule, nullptr);
    EXPECT_FALSE(state().dataModule->VeltaServer.Connected());
    EXPECT_FALSE(state().dataModule->TrkLog.Active());
}

TEST_F(MenuFittingTest, TheSettingsItemOpensTheReportSettingsAfterReloadingPaymentTypes)
{
    testHost.values[46] = Variant(3);
    testHost.privValues[15] = Variant(3);
    build();
    logOn();
    testHost.privValues[19] = Variant(Variant::Array{Variant("Нал"), Variant("Карты")});
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    CurrentDialogsScope scope(dialogs);
    int payTypesSeen = -1;
    dialogs.expectModal(QStringLiteral("TRepPropForm")).drive([&payTypesSeen](QDialog& window) {
        payTypesSeen = state().payTypeCount;
        window.findChild<QCheckBox*>(QStringLiteral("chbAllowOldReports"))->setChecked(true);
        window.accept();
    });
    testHost.mainMenu().child("&Настройка")->child("Отчеты")->click();
    dialogs.verify();
    EXPECT_EQ(payTypesSeen, 2) << "the payment types are reloaded before the window";
    TSafeIniFile ini(CnfIniFileName());
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("Reports"), QStringLiteral("AllowOldReports"), false));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("Reports"), QStringLiteral("MaxRows"), 0), 30000);
}

class MenuRegistrationTest : public MenuFittingTest {
protected:
    MenuRegistrationTest() { testHost.offerMenuStates(); }
    void expectLast(const plugin::MenuItem* item, std::uint8_t a, std::uint8_t b)
    {
        const auto* reg = testHost.lastRegistration(item);
        ASSERT_NE(reg, nullptr);
        EXPECT_EQ(reg->setA, a);
        EXPECT_EQ(reg->setB, b);
    }
};

TEST_F(MenuRegistrationTest, RightsAndStatementsAreRegisteredAndNothingIsFittedDirectly)
{
    TestMenuItem* menu = build();
    testHost.privValues[6] = Variant(true);
    testHost.privValues[1] = Variant(false);
    testHost.privValues[2] = Variant(false);
    testHost.privValues[19] = Variant(Variant::Array{Variant("Нал")});
    logOn();
    expectLast(testHost.mainMenu().child("&Настройка")->child("Отчеты"), 0x02, 0x02);
    expectLast(state().bonusItem, 0x1E, 0x1E);
    expectLast(state().returnsToTerminalItem, 0x00, 0x00);
    expectLast(state().discountCardsItem, 0x00, 0x00);
    for (const plugin::MenuItem* item : std::as_const(state().periodItems))
        expectLast(item, 0x00, 0x00);
    EXPECT_TRUE(menu->child("Текущий сменный отчет")->visible());
    EXPECT_TRUE(menu->child("Отпуск по водителю за период")->visible());

    // Extras done: a second log-on registers nothing more.
    const size_t count = testHost.registrations.size();
    logOn();
    EXPECT_EQ(testHost.registrations.size(), count);
}

TEST_F(MenuRegistrationTest, OfficeWithoutSettingsMenuRepeatsRegistrationsAtEveryLogOn)
{
    testHost.values[46] = Variant(3);
    testHost.privValues[15] = Variant(3);
    testHost.mainMenu().child("&Настройка")->setCaption("&Сервис");
    build();
    logOn();
    EXPECT_FALSE(state().menuExtrasBuilt);
    expectLast(state().bonusItem, 0x1E, 0x1E);
    expectLast(state().discountCardsItem, 0x1E, 0x1E);
    for (const plugin::MenuItem* item : std::as_const(state().periodItems))
        expectLast(item, 0x1E, 0x1E); // the default names include "Ведомость +"
    const size_t count = testHost.registrations.size();
    logOn();
    EXPECT_EQ(testHost.registrations.size(), 2 * count - 4); // building made four
}

} // namespace
} // namespace velta::core
