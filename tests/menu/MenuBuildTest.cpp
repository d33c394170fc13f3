// Building the report menu: where it goes, the catalogue's order and
// conditions, the host's own items, and registrations made while building.
#include "common/Exception.h"
#include "plugin/core/HostContext.h"
#include "plugin/menu/Report.h"
#include "plugin/menu/ReportMenu.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/EntryPoints.h"
#include "tests/support/TestHost.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

namespace velta::core {
namespace {

using test::TestHost;
using test::TestMenuItem;

const QStringList kCatalogue = {
    "Товарный чек на ГСМ...",
    "Поступления топлива",
    "Сменное поступление топлива",
    "Откачка топлива",
    "Сменная откачка топлива",
    "Перекачка топлива",
    "Сменный отчет",
    "Текущий сменный отчет",
    "Отчеты по бонусам и скидкам",
    "Отчеты по возвратам",
    "Отчеты по номерным талонам",
    "Непроизведенные возвраты на терминал",
    "Отчеты по картам",
    "Сменный отчет по договорам",
    "История продаж по ТРК",
    "-",
    "Сменный отчет по ведомостям",
    "Сменный отчет по контрагенту",
    "Отпуск по ведомости за период",
    "Отпуск по контрагенту за период",
    "Отпуск по автомобилю за период",
    "Отпуск по водителю за период",
    "Отсканированные документы...",
    "Товарно-транспортные накладные...",
    "Движение ГСМ по организации-хранителю...",
    "Отчет по мернику",
    "Текущие остатки по убывающим лимитам",
    "Детализация по убывающим лимитам",
    "Информация по перезагрузкам",
    "-",
    "История изменения цен на ГСМ...",
    "Общий список дисконтных  карт",
};

class MenuBuildTest : public ::testing::Test {
protected:
    MenuBuildTest() : testHost({"&Файл", "&Настройка", "&Журналы", "&Справка"})
    {
        ResetPluginState();
        testHost.values[46] = Variant(3);
        testHost.values[101] = Variant(10.0);
        DoSetGetValue(&TestHost::getValue);
    }
    ~MenuBuildTest() override { ResetPluginState(); }

    TestMenuItem* build()
    {
        DoInitReportMenu(0, &testHost.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
        return testHost.mainMenu().child(ReportMenuCaption());
    }
    static QStringList without(QStringList list, const QStringList& gone)
    {
        for (const QString& caption : gone)
            list.removeOne(caption);
        return list;
    }

    test::TestEnv env;
    TestHost testHost;
};

TEST_F(MenuBuildTest, OfficeWorkplaceGetsTheWholeCatalogueAboveTheHostsItems)
{
    TestMenuItem* journals = testHost.mainMenu().child("&Журналы");
    journals->insert(-1, "Журнал смен");
    journals->insert(-1, "Журнал кассы");
    TestMenuItem* menu = build();
    ASSERT_EQ(menu, journals);
    EXPECT_EQ(testHost.mainMenu().captions(),
              QStringList({"&Файл", "&Настройка", "&Журналы/Отчеты", "&Справка"}));
    EXPECT_EQ(menu->captions(), kCatalogue + QStringList({"Журнал смен", "Журнал кассы"}));
}

TEST_F(MenuBuildTest, ItemsCarryHintsHelpContextsAndShortcuts)
{
    TestMenuItem* menu = build();
    const TestMenuItem* receipts = menu->child("Поступления топлива");
    EXPECT_EQ(receipts->hint(), QStringLiteral("Просмотр и печать журнала поступления топлива"));
    EXPECT_EQ(receipts->helpContext(), 6);
    EXPECT_EQ(receipts->shortCut(), 16499);
    EXPECT_EQ(menu->child("Сменный отчет")->shortCut(), 16500);
    EXPECT_EQ(menu->child("Текущий сменный отчет")->shortCut(), 16501);
    EXPECT_TRUE(menu->child("Текущий сменный отчет")->hint().isEmpty());
    EXPECT_EQ(menu->child("Отчеты по бонусам и скидкам")->helpContext(), 74);
    EXPECT_EQ(menu->child("Отпуск по автомобилю за период")->helpContext(), 73);
    EXPECT_EQ(menu->child("Товарный чек на ГСМ...")->hint(), QStringLiteral("Товарный чек на ГСМ..."));
    EXPECT_FALSE(menu->item(15)->hasOnClick()); // the separator
    EXPECT_TRUE(menu->item(0)->hasOnClick());
}

TEST_F(MenuBuildTest, WithoutJournalsTheMenuGoesToIndexThreeOrZero)
{
    TestHost four({"&Файл", "&Правка", "&Настройка", "&Справка"});
    DoInitReportMenu(0, &four.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    EXPECT_EQ(four.mainMenu().captions().indexOf(ReportMenuCaption()), 3);
    EXPECT_EQ(four.mainMenu().item(3)->helpContext(), 60);

    ResetPluginState();
    TestHost three({"&Файл", "&Правка", "&Справка"});
    three.values[46] = Variant(3);
    DoSetGetValue(&TestHost::getValue);
    DoInitReportMenu(0, &three.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    EXPECT_EQ(three.mainMenu().captions().indexOf(ReportMenuCaption()), 0);
    EXPECT_EQ(three.mainMenu().count(), 4);
}

TEST_F(MenuBuildTest, TheLastJournalsMenuIsTheOneUsed)
{
    TestMenuItem* second = testHost.mainMenu().insert(-1, "&Журналы");
    EXPECT_EQ(build(), second);
    EXPECT_EQ(testHost.mainMenu().child("&Журналы")->count(), 0);
}

TEST_F(MenuBuildTest, HostVersionNineOrTextHasNoFuelTransfer)
{
    testHost.values[101] = Variant("9.5");
    EXPECT_EQ(build()->child("Перекачка топлива"), nullptr);

    ResetPluginState();
    TestHost nine({"&Журналы"});
    nine.values[101] = Variant(9.99);
    DoSetGetValue(&TestHost::getValue);
    DoInitReportMenu(0, &nine.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    EXPECT_EQ(nine.mainMenu().item(0)->child("Перекачка топлива"), nullptr);
}

TEST_F(MenuBuildTest, OtherWorkplaceWithoutKeeperFlagLosesKeeperAndPriceHistory)
{
    testHost.values[46] = Variant(1);
    EXPECT_EQ(build()->captions(), without(kCatalogue, {"Движение ГСМ по организации-хранителю...",
                                                         "История изменения цен на ГСМ..."}));
}

TEST_F(MenuBuildTest, KeeperItemFollowsCode89AndAFailureMeansNoItem)
{
    testHost.values[46] = Variant(0);
    testHost.values[89] = Variant(true);
    EXPECT_NE(build()->child("Движение ГСМ по организации-хранителю..."), nullptr);

    ResetPluginState();
    TestHost failing({"&Журналы"});
    failing.values[46] = Variant(0);
    failing.failingValues.insert(89);
    DoSetGetValue(&TestHost::getValue);
    EXPECT_NO_THROW(DoInitReportMenu(0, &failing.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport));
    EXPECT_EQ(failing.mainMenu().item(0)->child("Движение ГСМ по организации-хранителю..."), nullptr);
}

TEST_F(MenuBuildTest, LoadingRackStationNamesTheHistoryAfterItsPosts)
{
    testHost.values[80] = Variant(true);
    TestMenuItem* menu = build();
    EXPECT_EQ(menu->child("История продаж по ТРК"), nullptr);
    EXPECT_NE(menu->child("История отпусков по АСН"), nullptr);
}

TEST_F(MenuBuildTest, SeparatorTestDoesNotDoubleAHostSeparator)
{
    // Everything lands above the host's items, so a host separator at the top
    // never stands in for the plug-in's own ones.
    testHost.mainMenu().child("&Журналы")->insert(-1, "-");
    const QStringList captions = build()->captions();
    EXPECT_EQ(captions.count("-"), 3);
    EXPECT_EQ(captions.last(), QStringLiteral("-"));
}

TEST_F(MenuBuildTest, FixedRegistrationsWhenTheHostManagesStates)
{
    testHost.offerMenuStates();
    TestMenuItem* menu = build();
    EXPECT_TRUE(state().hostManagesMenuState);
    const auto check = [&](const char* caption, std::uint8_t a, std::uint8_t b) {
        SCOPED_TRACE(caption);
        const auto* reg = testHost.lastRegistration(menu->child(caption));
        ASSERT_NE(reg, nullptr);
        EXPECT_EQ(reg->setA, a);
        EXPECT_EQ(reg->setB, b);
    };
    check("Перекачка топлива", 0x00, 0x1E);
    check("Текущий сменный отчет", 0x00, 0x1E);
    check("Отсканированные документы...", 0x00, 0x00);
    check("История изменения цен на ГСМ...", 0x00, 0x00);
    EXPECT_EQ(testHost.registrations.size(), 4u);
    EXPECT_EQ(state().periodItems.size(), 6);
}

TEST_F(MenuBuildTest, ZeroOrTextAnswerToCode85MeansNoRegistration)
{
    testHost.values[85] = Variant("none");
    build();
    EXPECT_FALSE(state().hostManagesMenuState);
    EXPECT_EQ(host().setMenuItemState, nullptr);
    EXPECT_TRUE(testHost.registrations.empty());
}

TEST_F(MenuBuildTest, InitTwiceKeepsTheSameReportObject)
{
    build();
    const ReportHandlers* first = state().report.get();
    const auto* module = state().dataModule.get();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(module, nullptr);
    TestHost other({"&Журналы"});
    DoInitReportMenu(0, &other.mainMenu(), &TestHost::newMenuItem, &TestHost::getReport);
    EXPECT_EQ(state().report.get(), first);
    EXPECT_EQ(state().dataModule.get(), module);
}

TEST_F(MenuBuildTest, TheNoteRegisterFirstConnectsTheStationServer)
{
    TestMenuItem* menu = build();
    qputenv("VELTA_STATION_PORT", "1"); // nothing listens there
    try {
        menu->child("Товарно-транспортные накладные...")->click();
        FAIL() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.className(), QStringLiteral("EOleSysError")) << e.message().toStdString();
    }
    qunsetenv("VELTA_STATION_PORT");
    EXPECT_FALSE(state().dataModule->VeltaServer.Connected());
}

TEST(SalesHistoryNameTest, CaptionLosesDeviceWordSignAndFirstAmpersand)
{
    EXPECT_EQ(DispenserNameFromCaption(QStringLiteral("ТРК #12")), QStringLiteral("12"));
    EXPECT_EQ(DispenserNameFromCaption(QStringLiteral("АСН №&3&4")), QStringLiteral("3&4"));
    EXPECT_EQ(DispenserNameFromCaption(QStringLiteral("ТРК")), QString());
}

} // namespace
} // namespace velta::core
