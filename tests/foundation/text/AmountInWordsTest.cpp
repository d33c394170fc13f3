#include "plugin/foundation/text/Tools.h"

#include <gtest/gtest.h>

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
