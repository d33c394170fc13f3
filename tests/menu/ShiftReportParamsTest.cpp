// The parameter arrays of the shift reports (element order and element types,
// report numbers and captions) for the chosen shifts and the current shift,
// and the report options read from the registry.
#include "common/DateTime.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/menu/ShiftReportParams.h"
#include "plugin/platform/Registry.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestHost.h"
#include "tests/support/VariantDescription.h"

#include <gtest/gtest.h>

namespace velta::core {
namespace {

using test::TestHost;
using test::describe;

struct Expected {
    const char* name;
    ShiftReportRequest request;
    int reportNo;
    QString caption;
    QString params;
};

class ShiftReportParamsTest : public ::testing::Test {
protected:
    ShiftReportParamsTest()
    {
        ResetPluginState();
        host().getPrivValue = &TestHost::getPrivValue;
        setNames(13);
    }
    ~ShiftReportParamsTest() override { ResetPluginState(); }

    // Payment types 0..count-1 with codes equal to their positions.
    void setNames(int count)
    {
        Variant::Array names;
        for (int i = 0; i < count; ++i)
            names.append(Variant(QStringLiteral("Вид %1").arg(i)));
        testHost.privValues[19] = Variant(names);
        UpdateVidOpl();
    }
    static void writeKey(const QString& key, const QMap<QString, int>& values)
    {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\") + key, true));
        for (auto it = values.begin(); it != values.end(); ++it)
            registry.writeInteger(it.key(), it.value());
    }

    test::TestEnv env;
    TestHost testHost;
};

TEST_F(ShiftReportParamsTest, EveryReportSendsItsElementsInOrderWithTheirTypes)
{
    // Shifts 15 to 17 chosen, the list standing on 17; shift 15 was Иванов's.
    ShiftChoice ok;
    ok.BegShift = 15;
    ok.EndShift = 17;
    ok.BegTime = 45000.25;
    ok.EndTime = 45002.75;
    ok.CurShift = 21;
    ok.CurrentSmNum = QStringLiteral("17");
    ok.CurrentOperator = QStringLiteral("Петров");
    ok.BegShiftOperator = QStringLiteral("Иванов");
    ShiftChoice one = ok; // shift 15 alone
    one.EndShift = 15;
    ShiftChoice current; // as the shift list gives it: the current shift, no times
    current.current = true;
    current.BegShift = current.EndShift = current.CurShift = 21;

    const Variant flags(Variant::Array{Variant(0), Variant(1), Variant(1)});
    const Variant codes(Variant::Array{Variant(1), Variant(2)});
    ShiftReportSettings shift;
    shift.Composition = Variant(Variant::Array{Variant(1), Variant(1), Variant(QStringLiteral("C:\\F\\k.frf")), Variant()});
    shift.StationValue = Variant(QStringLiteral("АЗС-7"));
    shift.RoundRVal = 2;
    shift.DepartmentPath = QStringLiteral("Отдел\\1");
    shift.IsOfficeWorkplace = true;
    shift.Flags = flags;
    shift.SiloReportSortField = 1;
    shift.Codes = codes;
    const BonusRepSettings bonus{flags, true, false, true, false, codes};
    const BackRepSettings back{flags, 5, codes};
    const CardRepSettings card{flags, true, codes};
    const ContragentChoice firm{QStringLiteral("ООО Ромашка"), true, false, false};

    const QString f = QStringLiteral("[i32:0, i32:1, i32:1]");
    const QString c = QStringLiteral("[i32:1, i32:2]");
    const QString beg = QStringLiteral("date:45000.250000");
    const QString end = QStringLiteral("date:45002.750000");
    const QString zero = QStringLiteral("date:0.000000");
    const QString shiftTail = QStringLiteral("[i32:1, i32:1, str:C:\\F\\k.frf, empty], str:АЗС-7, i32:2, str:Отдел\\1, "
                                             "bool:1, ") + f + QStringLiteral(", i32:1");

    const Expected cases[] = {
        {"shift report", ShiftReportRequestFor(ok, shift), 45, "Сменный отчет",
         "[i32:15, i32:17, " + shiftTail + ", " + c + "]"},
        {"shift report, current", ShiftReportRequestFor(current, shift), 45, "Сменный отчет",
         "[i8:-1, i8:-1, " + shiftTail + ", " + c + "]"},
        {"current shift report", CurrentShiftReportRequest(shift), 45, "Сменный отчет",
         "[i8:-1, i8:-1, " + shiftTail + "]"},
        {"bonuses", BonusShiftReportRequest(ok, bonus), 9, "СМЕННЫЙ ОТЧЕТ ПО БОНУСАМ И СКИДКАМ",
         "[i32:15, " + f + ", bool:1, i32:17, bool:1, bool:0, bool:0, " + c + "]"},
        {"bonuses, current", BonusShiftReportRequest(current, bonus), 9, "СМЕННЫЙ ОТЧЕТ ПО БОНУСАМ И СКИДКАМ",
         "[i32:21, " + f + ", bool:1, i32:21, bool:1, bool:0, bool:0, " + c + "]"},
        {"returns", ReturnsShiftReportRequest(ok, back, Variant(QStringLiteral("АЗС-7")), 2, false), 34,
         "Сменный отчет по возвратам",
         "[" + f + ", i32:5, str:АЗС-7, " + beg + ", " + end + ", i32:15, str:Петров, i32:17, i32:2]"},
        {"returns, current", ReturnsShiftReportRequest(current, back, Variant(1), 0, false), 34,
         "Сменный отчет по возвратам", "[" + f + ", i32:5, i32:1, i32:0]"},
        {"returns, codes extension", ReturnsShiftReportRequest(current, back, Variant(1), 0, true), 34,
         "Сменный отчет по возвратам", "[[" + f + ", i32:5, i32:1, i32:0], [" + c + "]]"},
        {"contracts", ContractsShiftReportRequest(ok, flags, codes), 25, "Сменный отпуск по договорам",
         "[" + beg + ", " + end + ", str:17, str:Петров, " + f + ", " + c + "]"},
        {"contracts, current", ContractsShiftReportRequest(current, flags, codes), 26,
         "Текущий сменный отчет по договорам", "[u8:0, " + f + ", " + c + "]"},
        {"terminal returns, range", TerminalReturnsShiftReportRequest(ok), 19,
         "Сменный отчет по непроизведенным возвратам на терминал",
         "[i32:15, " + beg + ", " + end + ", str:, i32:17]"},
        {"terminal returns, one shift", TerminalReturnsShiftReportRequest(one), 19,
         "Сменный отчет по непроизведенным возвратам на терминал",
         "[i32:15, " + beg + ", " + end + ", str:Иванов, i32:15]"},
        {"terminal returns, current", TerminalReturnsShiftReportRequest(current), 19,
         "Сменный отчет по непроизведенным возвратам на терминал",
         "[i32:21, " + zero + ", " + zero + ", str:, i32:21]"},
        {"statements, range", StatementShiftReportRequest(ok, flags, codes), 14, "СМЕННЫЙ ОТПУСК ПО \"Вид 4\"",
         "[" + beg + ", " + end + ", str:15, str:, str:17, " + f + ", str:, " + c + "]"},
        {"statements, one shift", StatementShiftReportRequest(one, flags, codes), 14, "СМЕННЫЙ ОТПУСК ПО \"Вид 4\"",
         "[" + beg + ", " + end + ", str:15, str:Иванов, str:15, " + f + ", str:, " + c + "]"},
        {"statements, current", StatementShiftReportRequest(current, flags, codes), 16,
         "СМЕННЫЙ ОТПУСК ПО \"Вид 4\"", "[" + f + ", " + c + "]"},
        {"contragent", ContragentShiftReportRequest(ok, firm, flags, codes), 15, "СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ",
         "[" + beg + ", " + end + ", str:ООО Ромашка, str:15, str:Иванов, str:17, " + f + ", bool:1, bool:0, bool:0, " +
             c + "]"},
        {"contragent, current", ContragentShiftReportRequest(current, firm, flags, codes), 17,
         "ТЕКУЩИЙ СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ",
         "[str:ООО Ромашка, " + f + ", bool:1, bool:0, bool:0, " + c + "]"},
        {"talons", TalonsShiftReportRequest(ok, flags, codes), 46, "Отливы по талонам",
         "[" + beg + ", " + end + ", " + f + ", " + c + "]"},
        {"talons, current", TalonsShiftReportRequest(current, flags, codes), 46, "Отливы по талонам",
         "[" + zero + ", " + zero + ", " + f + ", " + c + "]"},
        {"cards", CardsShiftReportRequest(ok, card, CardMaskOf("12*")), 52, "Отливы по номеру карты",
         "[i32:15, i32:17, " + beg + ", " + end + ", " + f + ", str:12%, bool:1, " + c + "]"},
        {"cards, current, no mask", CardsShiftReportRequest(current, card, QString()), 52,
         "Отливы по пластиковым картам", "[u8:0, u8:0, u8:0, u8:0, " + f + ", str:, bool:1, " + c + "]"},
        {"reloads", ReloadsShiftReportRequest(ok), 35, "Информация по перезагрузкам",
         "[u8:11, " + beg + ", " + end + ", i32:15, i32:17]"},
        {"meter", MeterShiftReportRequest(ok), 35, "Отчет по мернику", "[u8:10, i32:15, i32:17]"},
        {"meter, current", MeterShiftReportRequest(current), 35, "Отчет по мернику", "[u8:10, i32:21, i32:21]"},
    };
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.request.reportNo, e.reportNo);
        EXPECT_EQ(e.request.caption, e.caption);
        EXPECT_EQ(describe(e.request.params), e.params);
    }
}

TEST_F(ShiftReportParamsTest, TheStatementCaptionNamesPaymentTypeFourOrNothing)
{
    EXPECT_EQ(StatementShiftReportCaption(state().payTypeNames), QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"Вид 4\""));
    setNames(4);
    EXPECT_EQ(StatementShiftReportCaption(state().payTypeNames), QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"\""));
    EXPECT_EQ(StatementShiftReportRequest(ShiftChoice{}, Variant(), Variant()).caption,
              QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"\""));
    EXPECT_EQ(StatementShiftReportCaption(Variant()), QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"\""));
}

TEST_F(ShiftReportParamsTest, CardMasksTurnEveryAsteriskIntoAPercentSign)
{
    EXPECT_EQ(CardMaskOf(QStringLiteral("12*")), QStringLiteral("12%"));
    EXPECT_EQ(CardMaskOf(QStringLiteral("*4_5*")), QStringLiteral("%4_5%"));
    EXPECT_EQ(CardMaskOf(QString()), QString());
}

TEST_F(ShiftReportParamsTest, MissingBonusAndReturnsKeysAreCreatedWithCashChosen)
{
    const BonusRepSettings bonus = ReadBonusRepSettings();
    EXPECT_EQ(describe(bonus.Flags), QStringLiteral("[i32:1, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0, i32:0, "
                                                    "i32:0, i32:0, i32:0, i32:0]"));
    EXPECT_EQ(describe(bonus.Codes), QStringLiteral("[i32:0]"));
    EXPECT_FALSE(bonus.NullStr);
    EXPECT_FALSE(bonus.CBAllVO);
    EXPECT_TRUE(bonus.ShowGSMItog);
    EXPECT_TRUE(bonus.ShowSubVidoplItog);

    const BackRepSettings back = ReadBackRepSettings();
    EXPECT_EQ(describe(back.Codes), QStringLiteral("[i32:0]"));
    EXPECT_EQ(back.Options, 0);

    TRegistry registry(RootKey::LocalMachine);
    for (const char* key : {"BonusRep", "BackRep"}) {
        SCOPED_TRACE(key);
        ASSERT_TRUE(registry.openKeyReadOnly(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\") + key));
        EXPECT_EQ(registry.valueNames(), QStringList{QStringLiteral("PayType0")});
        EXPECT_EQ(registry.readInteger(QStringLiteral("PayType0")), 1);
        registry.closeKey();
    }
}

TEST_F(ShiftReportParamsTest, ExistingKeysAreReadAsTheyStand)
{
    // An existing key without PayType0 is left so: no payment type is chosen.
    writeKey(QStringLiteral("BonusRep"), {{"PayType3", 1}, {"PayType4", 2}, {"NullStr", 1}, {"CBAllVO", 1}});
    {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\BonusRep"), false));
        registry.writeBool(QStringLiteral("ShowGSMItog"), false);
    }
    const BonusRepSettings bonus = ReadBonusRepSettings();
    EXPECT_EQ(describe(bonus.Codes), QStringLiteral("[i32:3]"));
    EXPECT_TRUE(bonus.NullStr);
    EXPECT_TRUE(bonus.CBAllVO);
    EXPECT_FALSE(bonus.ShowGSMItog);
    EXPECT_TRUE(bonus.ShowSubVidoplItog);

    writeKey(QStringLiteral("BackRep"), {{"PayType1", 1}, {"RepProp", 4}, {"NullStr", 1}});
    const BackRepSettings back = ReadBackRepSettings();
    EXPECT_EQ(back.Options, 5);
    EXPECT_EQ(describe(back.Codes), QStringLiteral("[i32:1]"));
    writeKey(QStringLiteral("BackRep"), {{"RepProp", 7}, {"NullStr", 0}});
    EXPECT_EQ(ReadBackRepSettings().Options, 7);
}

TEST_F(ShiftReportParamsTest, TheCardKeyIsNeverCreatedAndGivesNoChoiceWhenMissing)
{
    const CardRepSettings none = ReadCardRepSettings();
    EXPECT_EQ(describe(none.Codes), QStringLiteral("[]"));
    EXPECT_FALSE(none.LogTranDsc);
    EXPECT_FALSE(TRegistry(RootKey::LocalMachine).keyExists(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\CardRep")));

    writeKey(QStringLiteral("CardRep"), {{"PayType1", 1}, {"PayType10", 1}, {"PayTypeLOGTRANDSC", 1}});
    const CardRepSettings card = ReadCardRepSettings();
    EXPECT_EQ(describe(card.Codes), QStringLiteral("[i32:1, i32:10]"));
    EXPECT_TRUE(card.LogTranDsc);
}

} // namespace
} // namespace velta::core
