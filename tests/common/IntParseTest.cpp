// StrToInt and its relatives, and Trim.
#include "common/Exception.h"
#include "common/SysUtils.h"

#include <gtest/gtest.h>

#include <limits>

using namespace velta;

TEST(IntParse, DecimalWithSignAndLeadingBlanks)
{
    EXPECT_EQ(StrToInt(QStringLiteral("42")), 42);
    EXPECT_EQ(StrToInt(QStringLiteral("  -42")), -42);
    EXPECT_EQ(StrToInt(QStringLiteral("+7")), 7);
    EXPECT_EQ(StrToInt(QStringLiteral("0007")), 7);
    EXPECT_EQ(StrToInt(QStringLiteral("2147483647")), std::numeric_limits<int>::max());
    EXPECT_EQ(StrToInt(QStringLiteral("-2147483648")), std::numeric_limits<int>::min());
    int value = 5;
    for (const char* bad : {"", " ", "-", "+", "42 ", "4 2", "4.0", "1e3", "2147483648", "-2147483649",
                            "99999999999999999999", "--1", "0x", "$", "12a", "\t1", "٣"})
        EXPECT_FALSE(TryStrToInt(QString::fromUtf8(bad), value)) << bad;
    EXPECT_EQ(value, 5);
}

TEST(IntParse, HexadecimalFormsWrapIntoTheSignedRange)
{
    EXPECT_EQ(StrToInt(QStringLiteral("$1A")), 26);
    EXPECT_EQ(StrToInt(QStringLiteral("0x1a")), 26);
    EXPECT_EQ(StrToInt(QStringLiteral("0X1A")), 26);
    EXPECT_EQ(StrToInt(QStringLiteral("-$10")), -16);
    EXPECT_EQ(StrToInt(QStringLiteral("$7FFFFFFF")), std::numeric_limits<int>::max());
    EXPECT_EQ(StrToInt(QStringLiteral("$FFFFFFFF")), -1);
    EXPECT_EQ(StrToInt(QStringLiteral("$80000000")), std::numeric_limits<int>::min());
    EXPECT_EQ(StrToInt(QStringLiteral("$00000000000000FF")), 255);
    int value = 0;
    EXPECT_FALSE(TryStrToInt(QStringLiteral("$100000000"), value));
    EXPECT_FALSE(TryStrToInt(QStringLiteral("$G"), value));
    EXPECT_FALSE(TryStrToInt(QStringLiteral("0x-1"), value));

    EXPECT_EQ(StrToInt64(QStringLiteral("$FFFFFFFF")), 0xFFFFFFFFLL);
    EXPECT_EQ(StrToInt64(QStringLiteral("$FFFFFFFFFFFFFFFF")), -1);
    EXPECT_EQ(StrToInt64(QStringLiteral("0x7FFFFFFFFFFFFFFF")), std::numeric_limits<std::int64_t>::max());
}

TEST(IntParse, SixtyFourBitRange)
{
    EXPECT_EQ(StrToInt64(QStringLiteral("9223372036854775807")), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(StrToInt64(QStringLiteral("-9223372036854775808")), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(StrToInt64(QStringLiteral("2147483648")), 2147483648LL);
    std::int64_t value = 0;
    EXPECT_FALSE(TryStrToInt64(QStringLiteral("9223372036854775808"), value));
    EXPECT_FALSE(TryStrToInt64(QStringLiteral("18446744073709551616"), value));
}

TEST(IntParse, DefaultsAndErrors)
{
    EXPECT_EQ(StrToIntDef(QStringLiteral("x"), -1), -1);
    EXPECT_EQ(StrToIntDef(QStringLiteral("12"), -1), 12);
    try {
        StrToInt(QStringLiteral("12 шт"));
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'12 шт' is not a valid integer value"));
    }
    try {
        StrToInt64(QString());
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("'' is not a valid integer value"));
    }
}

TEST(Trim, RemovesControlsAndBlanksOnly)
{
    const QString padded = QStringLiteral("\t\r\n \x01 text \x1f\x20");
    EXPECT_EQ(Trim(padded), "text");
    EXPECT_EQ(TrimLeft(padded), QStringLiteral("text \x1f\x20"));
    EXPECT_EQ(TrimRight(padded), QStringLiteral("\t\r\n \x01 text"));
    // The no-break space (160) and other letters are kept.
    const QString nbsp = QString(QChar(0x00A0)) + QStringLiteral("a") + QChar(0x00A0);
    EXPECT_EQ(Trim(nbsp), nbsp);
    EXPECT_EQ(Trim(QStringLiteral(" a b ")), "a b");
    EXPECT_EQ(Trim(QStringLiteral("   ")), "");
    EXPECT_EQ(TrimLeft(QStringLiteral("   ")), "");
    EXPECT_EQ(TrimRight(QStringLiteral("   ")), "");
    EXPECT_EQ(Trim(QString()), "");
    EXPECT_EQ(Trim(QStringLiteral("\x7f")), QStringLiteral("\x7f"));
}
