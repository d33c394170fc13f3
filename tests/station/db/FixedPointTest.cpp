#include "common/Exception.h"
#include "station/db/FixedPoint.h"

#include <gtest/gtest.h>
#include <limits>

using namespace velta;
using namespace velta::station;

TEST(FixedPoint, TextHasFourDecimalsAndASignOnlyWhenNegative)
{
    EXPECT_EQ(fixedText(std::int64_t{0}), QStringLiteral("0.0000"));
    EXPECT_EQ(fixedText(std::int64_t{1}), QStringLiteral("0.0001"));
    EXPECT_EQ(fixedText(std::int64_t{-1}), QStringLiteral("-0.0001"));
    EXPECT_EQ(fixedText(std::int64_t{-123450}), QStringLiteral("-12.3450"));
    EXPECT_EQ(fixedText(std::numeric_limits<std::int64_t>::max()), QStringLiteral("922337203685477.5807"));
    EXPECT_EQ(fixedText(std::numeric_limits<std::int64_t>::min()), QStringLiteral("-922337203685477.5808"));
}

TEST(FixedPoint, ParsesDecimalTextExactly)
{
    EXPECT_EQ(parseFixed(QStringLiteral("0.29")).scaled, 2900);
    EXPECT_EQ(parseFixed(QStringLiteral("12345678901234.5678")).scaled, 123456789012345678);
    EXPECT_EQ(parseFixed(QStringLiteral("-7")).scaled, -70000);
    EXPECT_EQ(parseFixed(QStringLiteral(" +.5 ")).scaled, 5000);
    EXPECT_EQ(parseFixed(QStringLiteral("3.")).scaled, 30000);
}

TEST(FixedPoint, RoundsTheFifthDecimalHalfAwayFromZero)
{
    // What a driver formatting NUMERIC through a double hands back.
    EXPECT_EQ(parseFixed(QStringLiteral("0.29000000000000004")).scaled, 2900);
    EXPECT_EQ(parseFixed(QStringLiteral("2.9009999999999998")).scaled, 29010);
    EXPECT_EQ(parseFixed(QStringLiteral("1.00005")).scaled, 10001);
    EXPECT_EQ(parseFixed(QStringLiteral("-1.00005")).scaled, -10001);
    EXPECT_EQ(parseFixed(QStringLiteral("1.00004999")).scaled, 10000);
}

TEST(FixedPoint, RefusesMalformedAndOversizedText)
{
    for (const char* bad : {"", "-", ".", "1.2.3", "12a", "1e5", "1,5", "922337203685477.5808", "99999999999999999999"})
        EXPECT_THROW(parseFixed(QString::fromLatin1(bad)), EConvertError) << bad;
    EXPECT_EQ(parseFixed(QStringLiteral("922337203685477.5807")).scaled, std::numeric_limits<std::int64_t>::max());
    // Full-width digits are digits to Unicode but not to SQL.
    EXPECT_THROW(parseFixed(QString::fromUtf8("１２")), EConvertError);
}

TEST(FixedPoint, MultiplicationKeepsFourDecimalsRounded)
{
    // 48.91 l at 58.90 = 2880.799 -> 2880.7990; 5.74 l at 0.7516 kg/l = 4.314184 -> 4.3142
    EXPECT_EQ(multiplyFixed(Currency{489100}, Currency{589000}).scaled, 28807990);
    EXPECT_EQ(multiplyFixed(Currency{57400}, Currency{7516}).scaled, 43142);
    EXPECT_EQ(multiplyFixed(Currency{-57400}, Currency{7516}).scaled, -43142);
    EXPECT_EQ(multiplyFixed(Currency{5}, Currency{5000}).scaled, 3); // 0.00025 rounds up to 0.0003
    EXPECT_THROW(multiplyFixed(Currency{std::numeric_limits<std::int64_t>::max()}, Currency{20000}), EConvertError);
}

TEST(FixedPoint, ProductRoundedOnceToKopecks)
{
    // (52.30 - 51.80) * 19.31 = 9.655 exactly: 9.66, where a binary product rounds to 9.65.
    EXPECT_EQ(multiplyRounded(Currency{5000}, Currency{193100}, 2).scaled, 96600);
    EXPECT_EQ(multiplyRounded(Currency{-5000}, Currency{193100}, 2).scaled, -96600);
    // 0.0099 * 0.5 = 0.00495: rounded once it is 0.00, not 0.0050 -> 0.01 in two steps.
    EXPECT_EQ(multiplyRounded(Currency{99}, Currency{5000}, 2).scaled, 0);
    EXPECT_EQ(multiplyRounded(Currency{12345}, Currency{10000}, 0).scaled, 10000);
    EXPECT_EQ(multiplyRounded(Currency{57400}, Currency{7516}, 4), multiplyFixed(Currency{57400}, Currency{7516}));
    EXPECT_THROW(multiplyRounded(Currency{1}, Currency{1}, 5), EConvertError);
}
