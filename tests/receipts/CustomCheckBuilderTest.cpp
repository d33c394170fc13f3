// The template language through TCustomCheckBuilder: substitution, the
// number, date-time and text formats, and the final pass.
#include "plugin/receipts/template/CustomCheckBuilder.h"
#include "tests/receipts/ReceiptSettings.h"

#include "common/DateTime.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

using velta::receipts::TCustomCheckBuilder;
using velta::receipts::test::ReceiptSettingsTest;

namespace {

QString number(const QString& templateText, double value, const QString& defaultFormat = QStringLiteral(".2"))
{
    TCustomCheckBuilder builder(templateText);
    builder.SetFloat(QStringLiteral("Summa"), defaultFormat, value);
    return builder.GetCheckText();
}

QString text(const QString& templateText, const QString& value, const QString& defaultFormat = QString())
{
    TCustomCheckBuilder builder(templateText);
    builder.SetString(QStringLiteral("GSM"), value, defaultFormat);
    return builder.GetCheckText();
}

QString dateTime(const QString& templateText, velta::TDateTime value)
{
    TCustomCheckBuilder builder(templateText);
    builder.SetDateTime(QStringLiteral("DateTime"), QStringLiteral("dd.mm.yyyy hh:mm:ss"), value);
    return builder.GetCheckText();
}

} // namespace

// --- Substitution ---------------------------------------------------------

using ReceiptSubstitution = ReceiptSettingsTest;

TEST_F(ReceiptSubstitution, TextWithoutTagsComesBackUnchanged)
{
    const QString plain = QStringLiteral("@ИТОГО: 5 < 6 > 4 # @\r\n  a<b #c>\r\n@");
    TCustomCheckBuilder builder(plain);
    builder.SetFloat(QStringLiteral("Summa"), QStringLiteral(".2"), 1);
    builder.SetString(QStringLiteral("GSM"), QStringLiteral("АИ-95"));
    EXPECT_EQ(builder.GetCheckText(), plain);
}

TEST_F(ReceiptSubstitution, EveryOccurrenceInTextOrderEachWithItsOwnFormat)
{
    // The formatted forms before and after the plain one are all filled.
    EXPECT_EQ(number(QStringLiteral("[<#Summa(10.2)>][<#Summa>][<#Summa(12.3)>][<#Summa>]"), 1234.5),
              QStringLiteral("[   1234,50][1234,50][    1234,500][1234,50]"));
    EXPECT_EQ(number(QStringLiteral("<#Summa(10.2s)>|<#Summa(10.2s)>"), 1234.5),
              QStringLiteral("1234,50   |1234,50   "));
}

TEST_F(ReceiptSubstitution, NamesMatchWithoutRegardToCaseLatinAndCyrillic)
{
    EXPECT_EQ(number(QStringLiteral("<#summa(10.2)>|<#SUMMA(10.2)>|<#sUmMa>"), 1234.5),
              QStringLiteral("   1234,50|   1234,50|1234,50"));

    TCustomCheckBuilder builder(QStringLiteral("<#запас>|<#ЗАПАС(3)>|<#ЁЖ>|<#ёж>"));
    builder.SetString(QStringLiteral("Запас"), QStringLiteral("значение"));
    builder.SetString(QStringLiteral("Ёж"), QStringLiteral("x"));
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("значение|зна|x|x"));
}

TEST_F(ReceiptSubstitution, OnlyTheWholeNameMatches)
{
    // "Dsc" is a prefix of "DscSum"; "Summa " is not "Summa".
    TCustomCheckBuilder builder(QStringLiteral("<#Dsc>|<#DscSum>|<#Dsc(5.1)>|<#Summa (10.2)>"));
    builder.SetFloat(QStringLiteral("Dsc"), QStringLiteral(".2"), 5);
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("5,00||  5,0|"));
}

TEST_F(ReceiptSubstitution, FormatIsReadFromTheFirstParenthesisToTheFirstClosingOne)
{
    EXPECT_EQ(number(QStringLiteral("<#Summa(8.1)(3.3)>"), 1234.5), QStringLiteral("  1234,5"));
    EXPECT_EQ(number(QStringLiteral("<#Summa(10.2x)y>"), 1234.5), QStringLiteral("   1234,50"));
    EXPECT_EQ(number(QStringLiteral("<#Summa()>"), 1234.5), QStringLiteral("   1234,50")) << "empty format: width 10";
    // No ")" before the ">": the default format; the tag ends at its first ">".
    EXPECT_EQ(number(QStringLiteral("<#Summa(10.2>)>"), 1234.5), QStringLiteral("1234,50)>"));
}

TEST_F(ReceiptSubstitution, TagWithoutClosingBracketStaysAndSoDoesTheRest)
{
    EXPECT_EQ(number(QStringLiteral("<#Summa>: <#Summa(10.2"), 7), QStringLiteral("7,00: <#Summa(10.2"));
    EXPECT_EQ(number(QStringLiteral("<#Unknown <#Summa>"), 7), QStringLiteral("<#Unknown 7,00"))
        << "the inner tag is filled; the outer is unclosed and stays";
}

TEST_F(ReceiptSubstitution, InsertedValuesAreNotSearchedAgain)
{
    TCustomCheckBuilder builder(QStringLiteral("№ <#CardNum> / <#CardNum(3)>"));
    builder.SetString(QStringLiteral("CardNum"), QStringLiteral("<#CardNum><#Summa>"));
    builder.SetFloat(QStringLiteral("Summa"), QStringLiteral(".2"), 1);
    builder.SetString(QStringLiteral("CardNum"), QStringLiteral("again"));
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("№ <#CardNum><#Summa> / <#C"));
}

// --- Numbers --------------------------------------------------------------

struct NumberCase {
    const char* format;
    double value;
    const char* expected;
};

class ReceiptNumberFormat : public ReceiptSettingsTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(ReceiptNumberFormat, WritesTheValueAsTheFormatSays)
{
    const NumberCase& c = GetParam();
    const QString tag = QStringLiteral("<#Summa(%1)>").arg(QString::fromUtf8(c.format));
    EXPECT_EQ(number(tag, c.value), QString::fromUtf8(c.expected)) << "format " << c.format;
}

INSTANTIATE_TEST_SUITE_P(Examples, ReceiptNumberFormat, ::testing::Values(
    NumberCase{"10.2", 1234.5, "   1234,50"},
    NumberCase{"10.2s", 1234.5, "1234,50   "},
    NumberCase{"12.3", 1234.5, "    1234,500"},
    NumberCase{"5.1", 1234.5, "1234,5"},              // longer than the width: never cut
    NumberCase{"8", 1234.5, "   1234,50"},            // no point: width 10, precision 2
    NumberCase{"8s", 1234.5, "   1234,50"},           // ... and right alignment whatever it ends with
    NumberCase{"5.15", 1.25, "  1,3"},                // one digit of precision
    NumberCase{"6.0", 2.5, "     3"},
    NumberCase{".4", 0.7512, "0,7512"},               // no digits before the point: no width
    NumberCase{"7.x", 1.5, "   1,50"},                // no digit after the point: precision 2
    NumberCase{"a7.1", 1.5, "    1,5"},               // the digits right before the point
    NumberCase{"8.1S", -5, "-5,0    "},
    NumberCase{"8.1п", 5, "5,0     "},
    NumberCase{"8.1 ", 5, "5,0     "},
    NumberCase{"8.1Р", 5, "     5,0"},
    NumberCase{"10.2", 123456789.125, "123456789,13"}));

TEST_F(ReceiptNumberFormat, TheDefaultFormatServesTagsWithoutOne)
{
    EXPECT_EQ(number(QStringLiteral("<#Summa>|<#Summa(10.2>"), 1234.5), QStringLiteral("1234,50|1234,50"));
    EXPECT_EQ(number(QStringLiteral("<#Summa>"), 0.75, QStringLiteral(".4")), QStringLiteral("0,7500"));
    EXPECT_EQ(number(QStringLiteral("<#Summa>"), 1, QString()), QStringLiteral("      1,00"));
}

TEST_F(ReceiptNumberFormat, UsesTheDecimalSeparatorInForce)
{
    velta::globalFormatSettings().DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(number(QStringLiteral("<#Summa(10.2)>"), 1234.5), QStringLiteral("   1234.50"));
}

TEST_F(ReceiptNumberFormat, WidthsAreBoundedAtOneThousand)
{
    EXPECT_EQ(number(QStringLiteral("<#Summa(2000000000.2)>"), 1).size(), 1000);
    EXPECT_EQ(number(QStringLiteral("<#Summa(99999999999999999999999.1s)>"), 1).size(), 1000);
    EXPECT_EQ(number(QStringLiteral("<#Summa(1000.1)>"), 1).size(), 1000);
    EXPECT_EQ(number(QStringLiteral("<#Summa(999.1)>"), 1).size(), 999);
}

TEST_F(ReceiptNumberFormat, ValueThatCannotBeWrittenGivesErrAndTheRestIsFilled)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(number(QStringLiteral("<#Summa(10.2)>|<#Summa>"), nan), QStringLiteral("Err!|Err!"));
    EXPECT_EQ(number(QStringLiteral("<#Summa>"), inf), QStringLiteral("Err!"));
    EXPECT_EQ(number(QStringLiteral("<#Summa>"), -inf), QStringLiteral("Err!"));

    TCustomCheckBuilder builder(QStringLiteral("<#Liter> л <#Summa> р"));
    builder.SetFloat(QStringLiteral("Liter"), QStringLiteral(".2"), nan);
    builder.SetFloat(QStringLiteral("Summa"), QStringLiteral(".2"), 10);
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("Err! л 10,00 р"));
}

// --- Dates and times ------------------------------------------------------

using ReceiptDateTimeFormat = ReceiptSettingsTest;

TEST_F(ReceiptDateTimeFormat, PicturesOfTheRuntime)
{
    const velta::TDateTime sale = velta::EncodeDateTime(2024, 3, 7, 9, 5, 4, 21);
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime>|<#DateTime(dd.mm.yy)>|<#DateTime(h:mm)>"), sale),
              QStringLiteral("07.03.2024 09:05:04|07.03.24|9:05"));
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime(dddd d mmmm 'dd' yyyy/mm)>"), sale),
              QStringLiteral("четверг 7 Март dd 2024.03"));
}

TEST_F(ReceiptDateTimeFormat, DateOutOfRangeGivesErr)
{
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime>"), velta::kMaxDateTime + 2), QStringLiteral("Err!"));
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime>"), velta::kMinDateTime - 2), QStringLiteral("Err!"));
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime>"), std::nan("")), QStringLiteral("Err!"));
    EXPECT_EQ(dateTime(QStringLiteral("<#DateTime(dd.mm.yyyy)>"), velta::EncodeDate(9999, 12, 31)),
              QStringLiteral("31.12.9999"));
}

// --- Texts ----------------------------------------------------------------

using ReceiptTextFormat = ReceiptSettingsTest;

TEST_F(ReceiptTextFormat, WidthCutsOrPadsOtherFormatsLeaveTheText)
{
    const QString fuel = QStringLiteral("АИ-92-К5"); // eight characters
    EXPECT_EQ(text(QStringLiteral("[<#GSM(5)>]"), fuel), QStringLiteral("[АИ-92]"));
    EXPECT_EQ(text(QStringLiteral("[<#GSM(10)>]"), fuel), QStringLiteral("[АИ-92-К5  ]"));
    EXPECT_EQ(text(QStringLiteral("[<#GSM(8)>]"), fuel), QStringLiteral("[АИ-92-К5]"));
    EXPECT_EQ(text(QStringLiteral("[<#GSM(0)>]"), fuel), QStringLiteral("[]"));
    EXPECT_EQ(text(QStringLiteral("[<#GSM(007)>]"), fuel), QStringLiteral("[АИ-92-К]"));
    for (const char* other : {"20s", "-3", "+5", " 5", "5.0", "", "x"})
        EXPECT_EQ(text(QStringLiteral("[<#GSM(%1)>]").arg(QLatin1String(other)), fuel), QStringLiteral("[АИ-92-К5]"))
            << "format \"" << other << "\"";
    EXPECT_EQ(text(QStringLiteral("[<#GSM>]"), fuel, QStringLiteral("3")), QStringLiteral("[АИ-]"))
        << "the default format is a width too";
}

TEST_F(ReceiptTextFormat, WidthsAreBoundedAtOneThousand)
{
    TCustomCheckBuilder builder(QStringLiteral("<#Kassir(2000000000)>|<#Kassir(99999999999999999999)>"));
    builder.SetString(QStringLiteral("Kassir"), QStringLiteral("Иванова"));
    const QStringList fields = builder.GetCheckText().split(QLatin1Char('|'));
    ASSERT_EQ(fields.size(), 2);
    for (const QString& field : fields) {
        EXPECT_EQ(field.size(), 1000);
        EXPECT_TRUE(field.startsWith(QStringLiteral("Иванова ")));
        EXPECT_TRUE(field.trimmed() == QStringLiteral("Иванова"));
    }
}

// --- The final pass -------------------------------------------------------

using ReceiptFinalPass = ReceiptSettingsTest;

TEST_F(ReceiptFinalPass, RemovesUnfilledTagsWithoutLeavingSpaces)
{
    TCustomCheckBuilder builder(
        QStringLiteral("Плотн.:<#TRKDens>|<#Запас>|<#Запас(5)>|<#NoSuchTag(10.2)>|<#>|end"));
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("Плотн.:|||||end"));
}

TEST_F(ReceiptFinalPass, KeepsBoldMarkersAndRemovesTagsAgainAfterARemoval)
{
    TCustomCheckBuilder builder(QStringLiteral("@<#Bold>ИТОГО\r\n@@x<<#a>#b>y\r\nz @ w"));
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("@ИТОГО\r\n@@xy\r\nz @ w"));
}

TEST_F(ReceiptFinalPass, StopsAtAnUnclosedTag)
{
    TCustomCheckBuilder builder(QStringLiteral("a<#X>b<#Y(5"));
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("ab<#Y(5"));
}

TEST_F(ReceiptFinalPass, DoesNotReachIntoInsertedValues)
{
    TCustomCheckBuilder builder(QStringLiteral("Покупатель: <#CNT>\r\nИНН <#INN><#Unknown>\r\n<#Summa(8.2)> р.>"));
    builder.SetString(QStringLiteral("CNT"), QStringLiteral("ООО <#1"));
    builder.SetString(QStringLiteral("INN"), QStringLiteral("77<#01>"));
    builder.SetFloat(QStringLiteral("Summa"), QStringLiteral(".2"), 950);
    EXPECT_EQ(builder.GetCheckText(), QStringLiteral("Покупатель: ООО <#1\r\nИНН 77<#01>\r\n  950,00 р.>"));

    // A template tag left open before a value does not swallow the value.
    TCustomCheckBuilder open(QStringLiteral("<#A <#CNT> <#B>"));
    open.SetString(QStringLiteral("CNT"), QStringLiteral("x>y"));
    EXPECT_EQ(open.GetCheckText(), QStringLiteral("<#A x>y "));
}
