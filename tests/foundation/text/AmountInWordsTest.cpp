#include "plugin/foundation/text/Tools.h"

#include "common/SysUtils.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <random>

using namespace velta;

TEST(AmountInWords, Examples)
{
    const struct { double value; const char* words; } cases[] = {
        {0, "Ноль рублей 00 копеек "},
        {0.01, "Ноль рублей 01 копейка "},
        {0.11, "Ноль рублей 11 копеек "},
        {0.22, "Ноль рублей 22 копейки "},
        {1.01, "Один рубль 01 копейка "},
        {21.5, "Двадцать один рубль 50 копеек "},
        {1000, "Одна тысяча рублей 00 копеек "},
        {1234567.89, "Один миллион двести тридцать четыре тысячи пятьсот шестьдесят семь рублей 89 копеек "},
        {12000000, "Двенадцать миллионов рублей 00 копеек "},
        {1000000, "Один миллион рублей 00 копеек "},
        {2002, "Две тысячи два рубля 00 копеек "},
        {10, "Десять рублей 00 копеек "},
        {110, "Сто десять рублей 00 копеек "},
        {999999999.99, "Девятьсот девяносто девять миллионов девятьсот девяносто девять тысяч "
                       "девятьсот девяносто девять рублей 99 копеек "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AmountInWords(c.value), QString::fromUtf8(c.words)) << c.value;
}

TEST(AmountInWords, FormsOfScaleWords)
{
    for (double v : {11.0, 12.0, 111.0, 1011.0, 5.0, 14.0})
        EXPECT_TRUE(AmountInWords(v).contains(QStringLiteral("рублей "))) << v;
    for (double v : {2.0, 22.0, 1002.0, 3.0, 104.0})
        EXPECT_TRUE(AmountInWords(v).contains(QStringLiteral(" рубля "))) << v;
    EXPECT_TRUE(AmountInWords(12000).contains(QStringLiteral("Двенадцать тысяч рублей")));
    EXPECT_TRUE(AmountInWords(2000).contains(QStringLiteral("Две тысячи рублей")));
    EXPECT_TRUE(AmountInWords(1000).contains(QStringLiteral("тысяча")));
    EXPECT_EQ(AmountInWords(1011), QStringLiteral("Одна тысяча одиннадцать рублей 00 копеек "));
    EXPECT_EQ(AmountInWords(0.05), QStringLiteral("Ноль рублей 05 копеек "));
}

TEST(AmountInWords, SignAndLimits)
{
    EXPECT_EQ(AmountInWords(-21.5), AmountInWords(21.5));
    const QString stars(25, QLatin1Char('*'));
    EXPECT_EQ(AmountInWords(1000000000), stars);
    // Far beyond the limit, and values that are no numbers, give the asterisks too.
    EXPECT_EQ(AmountInWords(1e13), stars);
    EXPECT_EQ(AmountInWords(1e300), stars);
    EXPECT_EQ(AmountInWords(std::numeric_limits<double>::infinity()), stars);
    // Rounding to kopecks that carries into the next milliard is over the limit as well.
    EXPECT_EQ(AmountInWords(999999999.999), stars);
}

TEST(AmountInWords, HalfAKopeckGoesAwayFromZeroOnTheDecimalValue)
{
    // Each is held in binary slightly below its half; the sum printed beside
    // the words (RoundMoney, FormatFloat "0.00") shows 2.68, 1.01 and 123.46.
    EXPECT_EQ(AmountInWords(2.675), QStringLiteral("Два рубля 68 копеек "));
    EXPECT_EQ(AmountInWords(1.005), QStringLiteral("Один рубль 01 копейка "));
    EXPECT_EQ(AmountInWords(123.455), QStringLiteral("Сто двадцать три рубля 46 копеек "));
    EXPECT_EQ(AmountInWords(-123.455), AmountInWords(123.455));
    EXPECT_EQ(AmountInWords(0.005), QStringLiteral("Ноль рублей 01 копейка "));
    EXPECT_EQ(AmountInWords(0.0049), QStringLiteral("Ноль рублей 00 копеек "));
    // Rounding carries into the roubles.
    EXPECT_EQ(AmountInWords(0.995), QStringLiteral("Один рубль 00 копеек "));
    EXPECT_EQ(AmountInWords(9.9951), QStringLiteral("Десять рублей 00 копеек "));
}

TEST(AmountInWords, TheMilliardLimitAppliesToTheRoundedSum)
{
    const QString stars(25, QLatin1Char('*'));
    EXPECT_EQ(AmountInWords(999999999.9949),
              QStringLiteral("Девятьсот девяносто девять миллионов девятьсот девяносто девять тысяч "
                             "девятьсот девяносто девять рублей 99 копеек "));
    EXPECT_EQ(AmountInWords(999999999.995), stars);
    EXPECT_EQ(AmountInWords(-999999999.995), stars);
    EXPECT_EQ(AmountInWords(std::numeric_limits<double>::quiet_NaN()), stars);
}

TEST(AmountInWords, AgreesWithTheSumPrintedBesideIt)
{
    // Database sums carry four decimals; a third of the samples are exact
    // halves of a kopeck, the case where two roundings part.
    std::mt19937_64 random(20240610);
    const QRegularExpression kopeckDigits(QStringLiteral(" (\\d\\d) копе"));
    int withWords = 0;
    for (int i = 0; i < 6000; ++i) {
        const int magnitude = static_cast<int>(random() % 15); // up to 10^14 ten-thousandths
        long long units = static_cast<long long>(random() % 100000000000000ull);
        for (int k = magnitude; k < 14; ++k)
            units /= 10;
        if (i % 3 == 0)
            units = units / 100 * 100 + 50;
        const double value = (i % 2 ? -1.0 : 1.0) * static_cast<double>(units) / 10000.0;

        const QString printed = FormatFloat(QStringLiteral("0.00"), RoundMoney(value), ToolsFormatSettings());
        const QString words = AmountInWords(value);
        // The printed sum read back gives the same words: roubles and kopecks agree.
        EXPECT_EQ(words, AmountInWords(printed.toDouble())) << printed.toStdString();
        if (words.startsWith(QLatin1Char('*'))) {
            EXPECT_GE(std::fabs(printed.toDouble()), 1e9) << printed.toStdString();
            continue;
        }
        ++withWords;
        const auto match = kopeckDigits.match(words);
        ASSERT_TRUE(match.hasMatch()) << words.toStdString();
        EXPECT_EQ(match.captured(1), printed.right(2)) << printed.toStdString();
    }
    EXPECT_GT(withWords, 5000);
    EXPECT_LT(withWords, 6000);
}

TEST(WeightInWords, Examples)
{
    EXPECT_EQ(WeightInWords(0), QStringLiteral("ноль"));
    EXPECT_EQ(WeightInWords(1), QStringLiteral("один кг"));
    EXPECT_EQ(WeightInWords(11), QStringLiteral("одиннадцать кг"));
    EXPECT_EQ(WeightInWords(1500), QStringLiteral("одна тыс. пятьсот кг"));
    EXPECT_EQ(WeightInWords(21000), QStringLiteral("двадцать одна тыс. кг"));
    EXPECT_EQ(WeightInWords(2000000), QStringLiteral("два миллиона кг"));
    EXPECT_EQ(WeightInWords(12345), QStringLiteral("двенадцать тыс. триста сорок пять кг"));
    EXPECT_EQ(WeightInWords(4294967295u),
              QStringLiteral("четыре миллиарда двести девяносто четыре миллиона девятьсот шестьдесят семь тыс. "
                             "двести девяносто пять кг"));
    EXPECT_EQ(WeightInWords(5000000), QStringLiteral("пять миллионов кг"));
}
