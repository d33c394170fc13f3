// FloatToStr, FloatToStrF and FormatFloat.
#include "common/SysUtils.h"
#include "tests/common/TestSettings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using namespace velta;
using velta::test::ru;
using velta::test::point;

namespace {

QString nbsp(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char('_'), QChar(0x00A0));
}

QString ff(const char* picture, double value, const TFormatSettings& s = point())
{
    return FormatFloat(QString::fromUtf8(picture), value, s);
}

} // namespace

TEST(FloatToStr, FixedNotationWithinFifteenDigits)
{
    EXPECT_EQ(FloatToStr(0, ru()), "0");
    EXPECT_EQ(FloatToStr(-0.0, ru()), "0");
    EXPECT_EQ(FloatToStr(1.5, ru()), "1,5");
    EXPECT_EQ(FloatToStr(1.5, point()), "1.5");
    EXPECT_EQ(FloatToStr(-123.25, ru()), "-123,25");
    EXPECT_EQ(FloatToStr(0.1, ru()), "0,1");
    EXPECT_EQ(FloatToStr(0.1 + 0.2, ru()), "0,3");
    EXPECT_EQ(FloatToStr(1.0 / 3.0, ru()), "0,333333333333333");
    EXPECT_EQ(FloatToStr(2.0 / 3.0, ru()), "0,666666666666667");
    EXPECT_EQ(FloatToStr(100000000000000.0, ru()), "100000000000000");
    EXPECT_EQ(FloatToStr(0.0001, ru()), "0,0001");
    EXPECT_EQ(FloatToStr(1234567.891, ru()), "1234567,891"); // no thousand separators
}

TEST(FloatToStr, ExponentFormOutsideTheFixedRange)
{
    EXPECT_EQ(FloatToStr(1e20, ru()), "1E20");
    EXPECT_EQ(FloatToStr(1e15, ru()), "1E15");
    EXPECT_EQ(FloatToStr(1.5e-5, ru()), "1,5E-5");
    EXPECT_EQ(FloatToStr(1e-5, ru()), "1E-5");
    EXPECT_EQ(FloatToStr(-2.5e-10, point()), "-2.5E-10");
    EXPECT_EQ(FloatToStr(1.7976931348623157e308, point()), "1.79769313486232E308");
    EXPECT_EQ(FloatToStr(5e-324, point()), "4.94065645841247E-324");
    // 999999999999999.9 rounds up to sixteen integer digits.
    EXPECT_EQ(FloatToStr(999999999999999.9, point()), "1E15");
}

TEST(FloatToStr, SpecialValues)
{
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::quiet_NaN(), ru()), "NAN");
    EXPECT_EQ(FloatToStr(std::numeric_limits<double>::infinity(), ru()), "INF");
    EXPECT_EQ(FloatToStr(-std::numeric_limits<double>::infinity(), ru()), "-INF");
}

TEST(FloatToStrF, GeneralRoundsToThePrecisionHalfAwayFromZero)
{
    EXPECT_EQ(FloatToStrF(2.5, FloatFormat::General, 1, 0, point()), "3");
    EXPECT_EQ(FloatToStrF(-2.5, FloatFormat::General, 1, 0, point()), "-3");
    EXPECT_EQ(FloatToStrF(1234.5, FloatFormat::General, 4, 0, point()), "1235");
    EXPECT_EQ(FloatToStrF(12345.0, FloatFormat::General, 4, 2, point()), "1.235E04");
    EXPECT_EQ(FloatToStrF(9.99, FloatFormat::General, 2, 0, point()), "10");
}

TEST(FloatToStrF, ExponentAlwaysShowsItsSignAndPrecisionDigits)
{
    EXPECT_EQ(FloatToStrF(12345.0, FloatFormat::Exponent, 4, 2, ru()), "1,235E+04");
    EXPECT_EQ(FloatToStrF(0.00012, FloatFormat::Exponent, 3, 0, point()), "1.20E-4");
    EXPECT_EQ(FloatToStrF(0, FloatFormat::Exponent, 3, 3, point()), "0.00E+000");
    EXPECT_EQ(FloatToStrF(-1, FloatFormat::Exponent, 1, 1, point()), "-1E+0");
    EXPECT_EQ(FloatToStrF(9.99, FloatFormat::Exponent, 2, 2, point()), "1.0E+01");
}

TEST(FloatToStrF, FixedAndNumberPadTheDecimals)
{
    EXPECT_EQ(FloatToStrF(1.5, FloatFormat::Fixed, 15, 2, ru()), "1,50");
    EXPECT_EQ(FloatToStrF(-0.004, FloatFormat::Fixed, 15, 2, ru()), "0,00");
    EXPECT_EQ(FloatToStrF(-0.005, FloatFormat::Fixed, 15, 2, ru()), "-0,01");
    EXPECT_EQ(FloatToStrF(2.675, FloatFormat::Fixed, 15, 2, point()), "2.68");
    EXPECT_EQ(FloatToStrF(0.125, FloatFormat::Fixed, 15, 2, point()), "0.13");
    EXPECT_EQ(FloatToStrF(1234.5678, FloatFormat::Fixed, 6, 4, point()), "1234.5700");
    EXPECT_EQ(FloatToStrF(12.5, FloatFormat::Fixed, 15, 0, point()), "13");
    EXPECT_EQ(FloatToStrF(1234567.891, FloatFormat::Number, 15, 2, ru()), nbsp("1_234_567,89"));
    EXPECT_EQ(FloatToStrF(-999.999, FloatFormat::Number, 15, 2, point()), "-1,000.00");
    EXPECT_EQ(FloatToStrF(123.0, FloatFormat::Number, 15, 0, point()), "123");
    // More integer digits than the precision: scientific.
    EXPECT_EQ(FloatToStrF(123456.0, FloatFormat::Fixed, 3, 2, point()), "1.23E5");
}

TEST(FloatToStrF, FixedRoundsOnceAtTheLastShownPlace)
{
    // Rounding to the precision first (…89500) and then to two decimals would give ,90.
    for (int precision = 9; precision <= 18; ++precision) {
        EXPECT_EQ(FloatToStrF(1234567.8949999, FloatFormat::Fixed, precision, 2, ru()), "1234567,89") << precision;
        EXPECT_EQ(FloatToStrF(-1234567.8949999, FloatFormat::Number, precision, 2, point()), "-1,234,567.89")
            << precision;
        EXPECT_EQ(FloatToStrF(1234567.8949999, FloatFormat::Currency, precision, 2, ru()),
                  QString(nbsp("1_234_567,89") + QStringLiteral("р.")))
            << precision;
    }
    // A precision short of the decimals is the one rounding place.
    EXPECT_EQ(FloatToStrF(1234567.8949999, FloatFormat::Fixed, 8, 2, point()), "1234567.90");
    EXPECT_EQ(FloatToStrF(1234567.8949999, FloatFormat::Fixed, 7, 2, point()), "1234568.00");
    EXPECT_EQ(FloatToStrF(0.0449999, FloatFormat::Fixed, 2, 2, point()), "0.04");
    EXPECT_EQ(FloatToStrF(99.9949, FloatFormat::Fixed, 5, 2, point()), "99.99");
    EXPECT_EQ(ff("0.00", 1234567.8949999), "1234567.89");
    EXPECT_EQ(ff("#,##0.00", 1234567.8949999), "1,234,567.89");
}

TEST(FloatToStrF, FixedIsTheSameForEveryPrecisionThatHoldsTheDecimals)
{
    // Decimal values of up to 14 digits ending in 4 and nines, the pattern a
    // second rounding carries up: every precision from the number of digits
    // shown to 15 gives the same text, and so does the matching picture.
    std::mt19937_64 random(42);
    for (int i = 0; i < 4000; ++i) {
        const int length = 3 + static_cast<int>(random() % 12);      // 3..14 digits
        const int nines = 1 + static_cast<int>(random() % (length - 1));
        long long mantissa = 1 + static_cast<long long>(random() % 9);
        for (int k = 1; k < length - nines; ++k)
            mantissa = mantissa * 10 + static_cast<long long>(random() % 10);
        mantissa = mantissa * 10 + 4;
        for (int k = 1; k < nines; ++k)
            mantissa = mantissa * 10 + 9;
        const int decimalsInValue = static_cast<int>(random() % (length + 1));
        const double value = static_cast<double>(mantissa) / std::pow(10.0, decimalsInValue);
        const int digits = static_cast<int>(random() % (decimalsInValue + 1));
        const QString reference = FloatToStrF(value, FloatFormat::Fixed, 15, digits, point());
        // The digits shown, counting an integer digit gained by a carry (9.5 -> 10).
        const int shown = static_cast<int>(reference.size()) - (digits ? 1 : 0);
        for (int precision = shown; precision < 15; ++precision)
            ASSERT_EQ(FloatToStrF(value, FloatFormat::Fixed, precision, digits, point()), reference)
                << value << " precision " << precision << " digits " << digits;
        const QString picture = digits ? QStringLiteral("0.") + QString(digits, QLatin1Char('0')) : QStringLiteral("0");
        ASSERT_EQ(FormatFloat(picture, value, point()), reference) << value << " digits " << digits;
    }
}

TEST(FloatToStrF, CurrencyUsesTheCurrencyLayouts)
{
    EXPECT_EQ(FloatToStrF(1234.5, FloatFormat::Currency, 15, 2, ru()), QString(nbsp("1_234,50") + QStringLiteral("р.")));
    EXPECT_EQ(FloatToStrF(-5, FloatFormat::Currency, 15, 2, ru()), QStringLiteral("-5,00р."));
    TFormatSettings dollars = point();
    dollars.CurrencyString = QStringLiteral("$");
    dollars.CurrencyFormat = 0;
    dollars.NegCurrFormat = 0;
    EXPECT_EQ(FloatToStrF(5, FloatFormat::Currency, 15, 2, dollars), "$5.00");
    EXPECT_EQ(FloatToStrF(-5, FloatFormat::Currency, 15, 2, dollars), "($5.00)");
    dollars.NegCurrFormat = 12;
    EXPECT_EQ(FloatToStrF(-5, FloatFormat::Currency, 15, 0, dollars), "$ -5");
    dollars.NegCurrFormat = 15;
    EXPECT_EQ(FloatToStrF(-5, FloatFormat::Currency, 15, 0, dollars), "(5 $)");
    // A negative amount that rounds to nothing is not shown as negative.
    EXPECT_EQ(FloatToStrF(-0.001, FloatFormat::Currency, 15, 2, dollars), "$0.00");
}

TEST(FormatFloat, DigitPlaceholders)
{
    EXPECT_EQ(ff("0", 12.5), "13");
    EXPECT_EQ(ff("0", 0.4), "0");
    EXPECT_EQ(ff("0", -0.4), "0");
    EXPECT_EQ(ff("#", 0), "");
    EXPECT_EQ(ff("000", 5), "005");
    EXPECT_EQ(ff("#0", 5), "5");
    EXPECT_EQ(ff("0", 12345), "12345");
    EXPECT_EQ(ff("0.00", 1), "1.00");
    EXPECT_EQ(ff("0.00", 1.005), "1.01");
    EXPECT_EQ(ff("0.00", -1.5), "-1.50");
    EXPECT_EQ(ff("0.###", 1), "1");
    EXPECT_EQ(ff("0.###", 1.25), "1.25");
    EXPECT_EQ(ff("0.###", 1.23456), "1.235");
    EXPECT_EQ(ff("0.0##", 2), "2.0");
    EXPECT_EQ(ff("#.##", 0.5), ".5");
    EXPECT_EQ(ff("0.00", 1.5, ru()), "1,50");
}

TEST(FormatFloat, ThousandSeparatorsWhereverTheCommaStands)
{
    EXPECT_EQ(ff("#,##0.00", 1234567.891), "1,234,567.89");
    EXPECT_EQ(ff("#,##0.00", 0), "0.00");
    EXPECT_EQ(ff("#,##0.00", 999.999), "1,000.00");
    EXPECT_EQ(ff("#,##0.00", -1234.5), "-1,234.50");
    EXPECT_EQ(ff("0,", 1234567), "1,234,567");
    EXPECT_EQ(ff("#,##0.00", 1234567.891, ru()), nbsp("1_234_567,89"));
}

TEST(FormatFloat, SectionsForNegativeAndZero)
{
    EXPECT_EQ(ff("0.00;(0.00)", -5), "(5.00)");
    EXPECT_EQ(ff("0.00;(0.00)", 5), "5.00");
    EXPECT_EQ(ff("0.00;(0.00);zero", 0), "zero");
    EXPECT_EQ(ff("0.00;(0.00);'nil'", 0), "nil");
    // A value that rounds to zero takes the zero section.
    EXPECT_EQ(ff("0.00;(0.00);zero", -0.001), "zero");
    EXPECT_EQ(ff("0.00;;zero", -5), "-5.00");   // empty negative section: the first, with a sign
    EXPECT_EQ(ff("0.00;(0.00)", 0), "0.00");    // no zero section: the first
    EXPECT_EQ(ff("'a;b' 0;-", -1), "-");        // a quoted semicolon does not split
    EXPECT_EQ(ff("", 1.5), "1.5");
    EXPECT_EQ(ff(";0", 1.5), "1.5");
}

TEST(FormatFloat, LiteralTextAroundTheDigits)
{
    EXPECT_EQ(ff("0.00 'р.'", 5), QStringLiteral("5.00 р."));
    EXPECT_EQ(ff("\"#\"0", 5), "#5");
    EXPECT_EQ(ff("00-00", 1234), "12-34");
    EXPECT_EQ(ff("00-00", 123456), "1234-56");
    EXPECT_EQ(ff("[0]", -7), "-[7]");
    EXPECT_EQ(ff("x", 7), "x");
}

TEST(FormatFloat, ScientificPictures)
{
    EXPECT_EQ(ff("0.00E+00", 12345), "1.23E+04");
    EXPECT_EQ(ff("0.00E+00", 0.000123), "1.23E-04");
    EXPECT_EQ(ff("0.00E-00", 12345), "1.23E04");
    EXPECT_EQ(ff("0.00e-0", 0.5), "5.00e-1");
    EXPECT_EQ(ff("00.0E+0", 12345), "12.3E+3");
    EXPECT_EQ(ff("0.##E+00", 12000), "1.2E+04");
    EXPECT_EQ(ff("0.00E+00", 0), "0.00E+00");
    EXPECT_EQ(ff("0.00E+00", -12345), "-1.23E+04");
    EXPECT_EQ(ff("0.00E+00 'm'", 12345), "1.23E+04 m");
    EXPECT_EQ(ff("0.0Ex", 5), "5.0Ex"); // E without a sign is text
}

TEST(FormatFloat, HugeAndSpecialValuesFallBackToGeneral)
{
    EXPECT_EQ(ff("0.00", 1e20), "1E20");
    EXPECT_EQ(ff("0.00", std::numeric_limits<double>::quiet_NaN()), "NAN");
    EXPECT_EQ(ff("0.00", -std::numeric_limits<double>::infinity()), "-INF");
    // Eighteen integer digits are written out, nineteen are not.
    EXPECT_EQ(ff("0", 1e17), "100000000000000000");
    EXPECT_EQ(ff("0", 1e18), "1E18");
}
