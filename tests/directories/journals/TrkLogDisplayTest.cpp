// The dispenser journal's display rules and the requests of the journal
// windows, without a station: operation and dose names, payment types by the
// host's list (unknown ones by code, long ones cut), the dispenser name quoted
// into the journal query, the card numbers cleaned of quotes.
#include "common/ReportContract.h"
#include "plugin/directories/journals/JournalRequests.h"
#include "plugin/directories/journals/TrkLogDisplay.h"
#include "tests/support/TestHost.h"
#include "tests/support/VariantDescription.h"

#include <gtest/gtest.h>

namespace velta::journals {
namespace {

TEST(TrkLogDisplayTest, OperationsByTheirLowSevenBits)
{
    EXPECT_EQ(OperationText(0), QStringLiteral("Заказано"));
    EXPECT_EQ(OperationText(3), QStringLiteral("Отлито"));
    EXPECT_EQ(OperationText(0x80 | 3), QStringLiteral("Отлито")) << "the high bit is a flag";
    EXPECT_EQ(OperationText(7), QStringLiteral("Перелив"));
    EXPECT_EQ(OperationText(8), QStringLiteral("?????"));
    EXPECT_EQ(OperationText(0x80 | 8), QStringLiteral("?????"));
    EXPECT_EQ(OperationText(kNoValue), QString());
}

TEST(TrkLogDisplayTest, DoseKinds)
{
    EXPECT_EQ(DoseText(0), QStringLiteral("Литры"));
    EXPECT_EQ(DoseText(1), QStringLiteral("Сумма"));
    EXPECT_EQ(DoseText(2), QStringLiteral("Бак"));
    EXPECT_EQ(DoseText(3), QStringLiteral("?????"));
    EXPECT_EQ(DoseText(4), QStringLiteral("---"));
    EXPECT_EQ(DoseText(kNoValue), QString());
}

TEST(TrkLogDisplayTest, PaymentTypesFromTheHostListCutTo17Characters)
{
    test::TestPayTypeList host;
    // The host's names carry the accelerator of its payment buttons; it is not shown.
    host.entries = {{0, QStringLiteral("&Наличные"), 0, true}, {204, QStringLiteral("&Ведомость лимитная"), 0, true},
                    {9, QStringLiteral("Талоны"), 0, true}};
    EXPECT_EQ(PayTypeText(0, &host), QStringLiteral("Наличные"));
    EXPECT_EQ(PayTypeText(9, &host), QStringLiteral("Талоны"));
    EXPECT_EQ(PayTypeText(204, &host), QStringLiteral("Ведомость лимитна"));
    EXPECT_EQ(PayTypeText(77, &host), QStringLiteral("Оплата: 77"));
    EXPECT_EQ(PayTypeText(-123456789, &host), QStringLiteral("Оплата: -12345678"));
    EXPECT_EQ(PayTypeText(kNoValue, &host), QString());
    EXPECT_EQ(PayTypeText(0, nullptr), QStringLiteral("Оплата: 0"));
}

TEST(JournalRequestsTest, TheDispenserNameIsQuotedIntoTheJournalQuery)
{
    EXPECT_EQ(DispenserJournalQuery(QStringLiteral("1")),
              QStringLiteral("SELECT Trk.\"TIME\", Client, Gsm, Operation, Op1, Op2, Liters, Summa, AutoMobil FROM Trk\r\n"
                             "WHERE (Trk.Trk = '1')  ORDER BY Trk.\"TIME\" DESC"));
    EXPECT_TRUE(DispenserJournalQuery(QStringLiteral("7'А")).contains(QStringLiteral("(Trk.Trk = '7''А')")));
}

TEST(JournalRequestsTest, KeeperQueryAndArrays)
{
    EXPECT_EQ(KeeperListQuery(), QStringLiteral("SELECT c.NAME, c.CONTR_ID FROM CONTRAGENT c JOIN CONTRAGENTTYPE ct ON "
                                                "c.CONTR_ID = ct.CONTR_ID WHERE ct.CTYPE = 6 AND c.ISDELETE = 0 ORDER BY 1"));
    EXPECT_EQ(test::describe(KeeperMoveParams(9, 45300.25, 45301.5)),
              QStringLiteral("[u8:15, i32:9, date:45300.250000, date:45301.500000]"));
    EXPECT_EQ(test::describe(DiscountCardParams(2, QStringLiteral("*"), QStringLiteral("А\r\n"))),
              QStringLiteral("[u8:1, i32:2, str:*, str:А\r\n]"));
    EXPECT_EQ(test::describe(DispenserHistoryParams(QStringLiteral("3"), 5)), QStringLiteral("[str:3, i32:5]"));
}

TEST(JournalRequestsTest, CardsStationsAndQuotes)
{
    EXPECT_EQ(CardsText(true, QStringLiteral("123")), QStringLiteral("*"));
    EXPECT_EQ(CardsText(false, QStringLiteral("123\n45*")), QStringLiteral("123\n45*"));
    EXPECT_EQ(StationsText(true, {QStringLiteral("А")}), QStringLiteral("*"));
    EXPECT_EQ(StationsText(false, {QStringLiteral("А"), QStringLiteral("Б")}), QStringLiteral("А\r\nБ\r\n"));
    EXPECT_EQ(StationsText(false, {}), QString());
    bool removed = true;
    EXPECT_EQ(WithoutQuotes(QStringLiteral("1234"), removed), QStringLiteral("1234"));
    EXPECT_FALSE(removed);
    EXPECT_EQ(WithoutQuotes(QStringLiteral("12\"3'4''"), removed), QStringLiteral("1234"));
    EXPECT_TRUE(removed);
}

} // namespace
} // namespace velta::journals
