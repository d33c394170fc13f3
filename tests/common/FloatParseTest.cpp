// StrToFloat and TryStrToFloat.
#include "common/Exception.h"
#include "common/SysUtils.h"
#include "tests/common/TestSettings.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace velta;
using velta::test::ru;
using velta::test::point;

namespace {

} // namespace

TEST(FloatParse, ReadsTheSettingsDecimalSeparatorOnly)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("1,5"), ru()), 1.5);
    EXPECT_EQ(StrToFloat(QStringLiteral("1.5"), point()), 1.5);
    double value = 7;
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1.5"), value, ru()));
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1,5"), value, point()));
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1,5,0"), value, ru()));
    EXPECT_EQ(value, 7) << "a failed Try must leave the result alone";
}

TEST(FloatParse, SignsBlanksAndShortForms)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("  -12,25  "), ru()), -12.25);
    EXPECT_EQ(StrToFloat(QStringLiteral("+3"), ru()), 3.0);
    EXPECT_EQ(StrToFloat(QStringLiteral(",5"), ru()), 0.5);
    EXPECT_EQ(StrToFloat(QStringLiteral("5,"), ru()), 5.0);
    EXPECT_EQ(StrToFloat(QStringLiteral("007"), ru()), 7.0);
    double value = 0;
    for (const char* bad : {"", " ", ",", "-", "+-1", "1 000", "1\u00A0000", "\t1", "1\t", "0x10", "1e", "1e+",
                            "e5", "- 1", "INF", "NAN", "1,5р."})
        EXPECT_FALSE(TryStrToFloat(QString::fromUtf8(bad), value, ru())) << bad;
}

TEST(FloatParse, Exponents)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("1E20"), ru()), 1e20);
    EXPECT_EQ(StrToFloat(QStringLiteral("1,5E-5"), ru()), 1.5e-5);
    EXPECT_EQ(StrToFloat(QStringLiteral("2e+3"), ru()), 2000.0);
    EXPECT_EQ(StrToFloat(QStringLiteral("1e-400"), ru()), 0.0);   // too small: zero
    EXPECT_EQ(StrToFloat(QStringLiteral("0e999"), ru()), 0.0);
    double value = 0;
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("1e400"), value, ru()));   // too large: no value
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("-1e400"), value, ru()));
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("0,001e312"), value, ru()));
    EXPECT_TRUE(TryStrToFloat(QStringLiteral("0,001e311"), value, ru()));
}

TEST(FloatParse, LongDigitStringsRoundCorrectly)
{
    EXPECT_EQ(StrToFloat(QStringLiteral("0,1000000000000000055511151231257827"), ru()), 0.1);
    const QString many = QStringLiteral("1") + QString(400, QLatin1Char('0')) + QStringLiteral("e-400");
    EXPECT_EQ(StrToFloat(many, ru()), 1.0);
}

TEST(FloatParse, RoundTripsWithFloatToStr)
{
    for (double v : {0.0, 1.0, -1.0, 0.1, 1.5e-5, 123456.789, 1e20, -2.5e-10, 99999.99, 1e15, 0.0001,
                     1234567890.12345}) {
        for (const TFormatSettings* s : {&ru(), &point()}) {
            const QString text = FloatToStr(v, *s);
            EXPECT_EQ(StrToFloat(text, *s), v) << text.toStdString();
        }
    }
    // FloatToStr keeps fifteen digits: values that need more come back within that precision.
    const double third = 1.0 / 3.0;
    EXPECT_NEAR(StrToFloat(FloatToStr(third, ru()), ru()), third, 1e-15);
}

TEST(FloatParse, ErrorNamesTheText)
{
    try {
        StrToFloat(QStringLiteral("12,3x"), ru());
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'12,3x' is not a valid floating point value"));
    }
}

TEST(FloatParse, UsesTheGlobalSettingsWhenNoneAreGiven)
{
    TFormatSettings& global = globalFormatSettings();
    const TFormatSettings saved = global;
    EXPECT_EQ(StrToFloat(QStringLiteral("2,5")), 2.5);
    global.DecimalSeparator = QLatin1Char('.');
    EXPECT_EQ(StrToFloat(QStringLiteral("2.5")), 2.5);
    EXPECT_EQ(FloatToStr(2.5), "2.5");
    double value = 0;
    EXPECT_FALSE(TryStrToFloat(QStringLiteral("2,5"), value));
    global = saved;
}
