// Filters of client datasets: the filter language over typed columns.
#include "DataTestUtil.h"
#include "common/Exception.h"
#include "plugin/data/FilterParser.h"

#include <gtest/gtest.h>

using namespace velta;
using namespace velta::test;

namespace {

// Fuel receipts in the shape of the receipt journal, and scanned documents.
class FilterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loadRows(prx, {FieldDef("OpNum", FieldType::Int32), FieldDef("Prihod", FieldType::Int32),
                       FieldDef("AUTO", FieldType::Int32), FieldDef("Date", FieldType::Date),
                       FieldDef("BegTime", FieldType::DateTime), FieldDef("GSMName", FieldType::String, 20),
                       FieldDef("CarVolTTN", FieldType::Currency), FieldDef("Prim", FieldType::String, 50)},
                 {
                     {1, 1, 4, Variant::fromDate(EncodeDate(2024, 3, 1)),
                      Variant::fromDate(EncodeDateTime(2024, 3, 1, 8, 30, 0, 0)), "АИ-92", Currency{10000000},
                      Variant::null()},
                     {2, 1, 2, Variant::fromDate(EncodeDate(2024, 3, 2)),
                      Variant::fromDate(EncodeDateTime(2024, 3, 2, 23, 59, 0, 0)), "АИ-95", Currency{3},
                      "Слив с опозданием"},
                     {3, 0, 4, Variant::fromDate(EncodeDate(2024, 3, 2)),
                      Variant::fromDate(EncodeDateTime(2024, 3, 2, 0, 0, 0, 0)), "ДТ", Currency{1000},
                      "перекачка"},
                     {4, 1, Variant::null(), Variant::null(), Variant::null(), "аи-92", Currency{-5000},
                      "O'Brien"},
                     {5, 2, 1, Variant::fromDate(EncodeDate(2024, 3, 5)),
                      Variant::fromDate(EncodeDateTime(2024, 3, 5, 12, 0, 0, 0)), "Газ", Currency{1},
                      "СЛИВ ночной"},
                 });
    }

    QStringList filtered(const QString& filter, TFilterOptions options = 0)
    {
        prx.SetFiltered(false);
        prx.SetFilterOptions(options);
        prx.SetFilter(filter);
        prx.SetFiltered(true);
        return columnTexts(prx, QStringLiteral("OpNum"));
    }

    TClientDataSet prx;
};

TEST_F(FilterTest, SystemTextsOfTheJournals)
{
    EXPECT_EQ(filtered(QStringLiteral("Prihod = 1 AND AUTO <> 4 ")), QStringList({"2"}))
        << "a Null AUTO is neither equal nor unequal to 4";
}

TEST_F(FilterTest, UnknownFieldIsReported)
{
    prx.SetFilter(QStringLiteral("IsDelete=0"));
    try {
        prx.SetFiltered(true);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'IsDelete' not found"));
    }
    EXPECT_FALSE(prx.Filtered()) << "a filter that does not compile is not switched on";
    EXPECT_EQ(prx.RecordCount(), 5);
}

TEST_F(FilterTest, ScanDocumentFilterWithLike)
{
    TClientDataSet docs;
    loadRows(docs, {FieldDef("ID", FieldType::Int32), FieldDef("DOCTYPE", FieldType::Int32),
                    FieldDef("DOCNUMBER", FieldType::String, 100), FieldDef("IsDelete", FieldType::Int32)},
             {{1, 1, "A-17", 0}, {2, 2, "717", 0}, {3, 1, "12", 1}, {4, 1, "7", 0}, {5, 1, Variant::null(), 0}});
    docs.SetFilter(QStringLiteral(" (DOCTYPE=1) AND (DOCNUMBER LIKE '%7%') "));
    docs.SetFiltered(true);
    EXPECT_EQ(columnTexts(docs, "ID"), QStringList({"1", "4"}));
    docs.SetFilter(QStringLiteral("IsDelete=0"));
    EXPECT_EQ(columnTexts(docs, "ID"), QStringList({"1", "2", "4", "5"}));
}

TEST_F(FilterTest, NumbersAndComparisons)
{
    EXPECT_EQ(filtered("OpNum >= 4"), QStringList({"4", "5"}));
    EXPECT_EQ(filtered("OpNum < 2.5"), QStringList({"1", "2"})) << "a decimal literal against an integer field";
    EXPECT_EQ(filtered("3 > OpNum"), QStringList({"1", "2"})) << "a literal on the left";
    EXPECT_EQ(filtered("OpNum != 3 AND OpNum <= 3"), QStringList({"1", "2"}));
    EXPECT_EQ(filtered("OpNum = -1"), QStringList());
    EXPECT_EQ(filtered("OpNum > Prihod"), QStringList({"2", "3", "4", "5"})) << "two fields compared";
}

// Each comparison at a value the column holds, so that "<=" and "<" (or ">="
// and ">") differ by exactly the rows at the boundary; Null rows match none.
TEST_F(FilterTest, ComparisonsAtTheirBoundaryOnIntegersAmountsAndDates)
{
    struct Column {
        const char* field;
        const char* value;
        QStringList equal, less, greater;
    };
    const Column columns[] = {
        {"OpNum", "3", {"3"}, {"1", "2"}, {"4", "5"}},
        {"CarVolTTN", "0.1", {"3"}, {"2", "4", "5"}, {"1"}},
        {"Date", "'02.03.2024'", {"2", "3"}, {"1"}, {"5"}},
    };
    const auto join = [](QStringList a, const QStringList& b) {
        a += b;
        a.sort();
        return a;
    };
    for (const Column& c : columns) {
        const QString lhs = QString::fromLatin1(c.field) + u' ';
        const QString rhs = u' ' + QString::fromLatin1(c.value);
        SCOPED_TRACE(lhs.toStdString());
        EXPECT_EQ(filtered(lhs + "=" + rhs), c.equal);
        EXPECT_EQ(filtered(lhs + "<>" + rhs), join(c.less, c.greater));
        EXPECT_EQ(filtered(lhs + "<" + rhs), c.less);
        EXPECT_EQ(filtered(lhs + ">" + rhs), c.greater);
        EXPECT_EQ(filtered(lhs + "<=" + rhs), join(c.less, c.equal));
        EXPECT_EQ(filtered(lhs + ">=" + rhs), join(c.equal, c.greater));
        // The same with the value on the left.
        EXPECT_EQ(filtered(QString::fromLatin1(c.value) + " >= " + c.field), join(c.less, c.equal));
        EXPECT_EQ(filtered(QString::fromLatin1(c.value) + " <= " + c.field), join(c.equal, c.greater));
    }
}

TEST_F(FilterTest, AmountsCompareExactly)
{
    EXPECT_EQ(filtered("CarVolTTN = 0.0003"), QStringList({"2"}));
    EXPECT_EQ(filtered("CarVolTTN = 0.1"), QStringList({"3"}));
    EXPECT_EQ(filtered("CarVolTTN < 0"), QStringList({"4"}));
    EXPECT_EQ(filtered("CarVolTTN > 0.00005"), QStringList({"1", "2", "3", "5"}))
        << "a literal finer than the amount's four decimals";
    EXPECT_EQ(filtered("CarVolTTN = '1000'"), QStringList({"1"})) << "a quoted number";
}

TEST_F(FilterTest, QuotedDatesAgainstDateFields)
{
    EXPECT_EQ(filtered("Date = '02.03.2024'"), QStringList({"2", "3"}));
    EXPECT_EQ(filtered("Date >= '2024-03-02'"), QStringList({"2", "3", "5"}));
    EXPECT_EQ(filtered("BegTime < '02.03.2024'"), QStringList({"1"}));
    EXPECT_EQ(filtered("BegTime >= '02.03.2024' AND BegTime < '03.03.2024'"), QStringList({"2", "3"}))
        << "a whole day of a date-time field";
    EXPECT_EQ(filtered("BegTime = '2024-03-05 12:00'"), QStringList({"5"}));
    EXPECT_THROW(filtered("Date = 'вчера'"), EDatabaseError);
}

TEST_F(FilterTest, LikeWithCyrillicWithoutRegardToCase)
{
    EXPECT_EQ(filtered("Prim LIKE 'слив%'", foCaseInsensitive), QStringList({"2", "5"}));
    EXPECT_EQ(filtered("Prim LIKE 'слив%'"), QStringList()) << "case counts without the option";
    EXPECT_EQ(filtered("GSMName LIKE 'аи-__'", foCaseInsensitive), QStringList({"1", "2", "4"}));
    EXPECT_EQ(filtered("GSMName LIKE 'АИ-9_'"), QStringList({"1", "2"}));
    EXPECT_EQ(filtered("Prim NOT LIKE '%а%'", foCaseInsensitive), QStringList({"4", "5"}))
        << "Null text takes part in no LIKE";
    EXPECT_EQ(filtered("GSMName = 'аи-92'", foCaseInsensitive), QStringList({"1", "4"}));
    EXPECT_EQ(filtered("GSMName LIKE '%'"), QStringList({"1", "2", "3", "4", "5"}));
}

TEST_F(FilterTest, LogicAndParentheses)
{
    EXPECT_EQ(filtered("OpNum = 1 OR OpNum = 2 AND Prihod = 0"), QStringList({"1"})) << "AND binds tighter";
    EXPECT_EQ(filtered("(OpNum = 1 OR OpNum = 3) AND Prihod = 0"), QStringList({"3"}));
    EXPECT_EQ(filtered("NOT (Prihod = 1)"), QStringList({"3", "5"}));
    EXPECT_EQ(filtered("not Prihod = 1 and not OpNum = 5"), QStringList({"3"})) << "keywords in any case";
    EXPECT_EQ(filtered("((OpNum > 1)) AND ((OpNum < 3) OR (OpNum > 4))"), QStringList({"2", "5"}));
}

TEST_F(FilterTest, NullTests)
{
    EXPECT_EQ(filtered("Prim IS NULL"), QStringList({"1"}));
    EXPECT_EQ(filtered("AUTO IS NOT NULL AND Date IS NOT NULL"), QStringList({"1", "2", "3", "5"}));
    EXPECT_EQ(filtered("AUTO = NULL"), QStringList({"4"}));
    EXPECT_EQ(filtered("AUTO < 3"), QStringList({"2", "5"})) << "Null is not less than anything";
}

TEST_F(FilterTest, QuotesNamesAndPartialCompare)
{
    EXPECT_EQ(filtered("Prim = 'O''Brien'"), QStringList({"4"}));
    EXPECT_EQ(filtered("[GSMName] = 'ДТ'"), QStringList({"3"}));
    EXPECT_EQ(filtered("gsmname = 'ДТ'"), QStringList({"3"})) << "field names without regard to case";
    EXPECT_EQ(filtered("GSMName = 'АИ*'"), QStringList({"1", "2"}));
    EXPECT_EQ(filtered("GSMName = 'АИ*'", foNoPartialCompare), QStringList());
}

TEST_F(FilterTest, BadTextsNameThePosition)
{
    const auto messageOf = [this](const QString& text) {
        try {
            filtered(text);
        } catch (const EDatabaseError& e) {
            return e.message();
        }
        return QString();
    };
    EXPECT_EQ(messageOf("Prim = 'abc"), "Invalid filter expression at position 8: missing closing quote");
    EXPECT_EQ(messageOf("(OpNum = 1"), "Invalid filter expression at position 11: ')' expected instead of end of text");
    EXPECT_EQ(messageOf("OpNum = "), "Invalid filter expression at position 9: field name or value expected instead of end of text");
    EXPECT_EQ(messageOf("OpNum = 1 2"), "Invalid filter expression at position 11: unexpected '2'");
    EXPECT_EQ(messageOf("OpNum # 1"), "Invalid filter expression at position 7: unexpected '#'");
    EXPECT_EQ(messageOf("OpNum IS 1"), "Invalid filter expression at position 10: NULL expected");
    EXPECT_EQ(messageOf("Prim LIKE NULL"), "Invalid filter expression at position 11: LIKE needs a pattern text");
    EXPECT_EQ(messageOf("5 LIKE Prim"), "Invalid filter expression at position 1: LIKE needs a field on its left");
    EXPECT_TRUE(messageOf("OpNum = 'x'").contains("position 9")) << "a text that is no number";
    EXPECT_TRUE(messageOf("OpNum").contains("not a Boolean field"));
}

TEST_F(FilterTest, FilterChangeKeepsTheOldOneOnError)
{
    filtered("Prihod = 1");
    EXPECT_THROW(prx.SetFilter("Prihod = = 1"), EDatabaseError);
    EXPECT_EQ(prx.Filter(), "Prihod = 1");
    EXPECT_EQ(prx.RecordCount(), 3);
}

TEST_F(FilterTest, BlankFilterPassesEverything)
{
    EXPECT_EQ(filtered("   ").size(), 5);
    EXPECT_EQ(parseFilter(" \t "), nullptr);
}

TEST_F(FilterTest, EditedRecordLeavesAndEntersTheFilter)
{
    filtered("Prihod = 1");
    ASSERT_TRUE(prx.Locate("OpNum", 2, 0));
    prx.Edit();
    prx.FieldByName("Prihod").SetAsInteger(0);
    prx.Post();
    EXPECT_EQ(columnTexts(prx, "OpNum"), QStringList({"1", "4"}));
    prx.Append();
    prx.FieldByName("OpNum").SetAsInteger(9);
    prx.FieldByName("Prihod").SetAsInteger(1);
    prx.Post();
    EXPECT_EQ(columnTexts(prx, "OpNum"), QStringList({"1", "4", "9"}));
}

TEST_F(FilterTest, BooleanFields)
{
    TClientDataSet ds;
    loadRows(ds, {FieldDef("N", FieldType::Int32), FieldDef("Done", FieldType::Boolean)},
             {{1, true}, {2, false}, {3, Variant::null()}});
    ds.SetFilter("Done");
    ds.SetFiltered(true);
    EXPECT_EQ(columnTexts(ds, "N"), QStringList({"1"}));
    ds.SetFilter("Done = FALSE OR Done IS NULL");
    EXPECT_EQ(columnTexts(ds, "N"), QStringList({"2", "3"}));
}

} // namespace
