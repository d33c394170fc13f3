#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "common/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velta;

namespace {

// Sets the process-wide decimal separator for one test and puts it back.
class DecimalSeparatorGuard {
public:
    explicit DecimalSeparatorGuard(QChar separator) : saved_(globalFormatSettings().DecimalSeparator)
    {
        globalFormatSettings().DecimalSeparator = separator;
    }
    ~DecimalSeparatorGuard() { globalFormatSettings().DecimalSeparator = saved_; }

private:
    QChar saved_;
};

// The message of the EVariantError a call raises ("" when it raises none).
template <class F>
QString variantErrorOf(F&& call)
{
    try {
        call();
    } catch (const EVariantError& e) {
        return e.message();
    }
    return QString();
}

QString castMessage(const char* from, const char* to)
{
    return QStringLiteral("Could not convert variant of type (%1) into type (%2)")
        .arg(QLatin1String(from), QLatin1String(to));
}

QString overflowMessage(const char* from, const char* to)
{
    return QStringLiteral("Arithmetic overflow converting variant of type (%1) into type (%2)")
        .arg(QLatin1String(from), QLatin1String(to));
}

} // namespace

TEST(VariantConversion, FloatToIntegerRoundsHalfToEven)
{
    EXPECT_EQ(Variant(2.5).toInt(), 2);
    EXPECT_EQ(Variant(3.5).toInt(), 4);
    EXPECT_EQ(Variant(-2.5).toInt(), -2);
    EXPECT_EQ(Variant(-3.5).toInt(), -4);
    EXPECT_EQ(Variant(0.5).toInt(), 0);
    EXPECT_EQ(Variant(2.4999999).toInt(), 2);
    EXPECT_EQ(Variant(2.5000001).toInt(), 3);
    EXPECT_EQ(Variant(1.5f).toInt64(), 2);
    EXPECT_EQ(Variant::fromDate(45000.5).toInt(), 45000);
    EXPECT_EQ(Variant(4503599627370497.0).toInt64(), 4503599627370497LL); // beyond 2^52, already whole
}

TEST(VariantConversion, FloatOutOfIntegerRangeOverflows)
{
    EXPECT_EQ(Variant(2147483647.4).toInt(), 2147483647);
    EXPECT_EQ(Variant(-2147483648.5).toInt(), std::numeric_limits<int>::min()); // tie goes to even
    EXPECT_EQ(variantErrorOf([] { Variant(2147483647.5).toInt(); }), overflowMessage("Double", "Integer"));
    EXPECT_EQ(variantErrorOf([] { Variant(-2147483649.0).toInt(); }), overflowMessage("Double", "Integer"));
    EXPECT_EQ(Variant(2147483648.0).toInt64(), 2147483648LL);
    EXPECT_EQ(variantErrorOf([] { Variant(9223372036854775808.0).toInt64(); }), overflowMessage("Double", "Int64"));
    EXPECT_EQ(Variant(-9223372036854775808.0).toInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(Variant(std::nan("")).toInt(), EVariantError);
    EXPECT_THROW(Variant(std::numeric_limits<double>::infinity()).toInt64(), EVariantError);
    EXPECT_EQ(variantErrorOf([] { Variant(1e10f).toInt(); }), overflowMessage("Single", "Integer"));
}

TEST(VariantConversion, WideIntegersOverflowNarrowTargets)
{
    EXPECT_EQ(variantErrorOf([] { Variant(5000000000LL).toInt(); }), overflowMessage("Int64", "Integer"));
    EXPECT_EQ(variantErrorOf([] { Variant(4000000000u).toInt(); }), overflowMessage("LongWord", "Integer"));
    EXPECT_EQ(Variant(4000000000u).toInt64(), 4000000000LL);
    EXPECT_EQ(Variant(std::numeric_limits<std::int64_t>::min()).toInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Variant(std::int8_t{-128}).toInt(), -128);
    EXPECT_EQ(Variant(std::uint16_t{65535}).toInt(), 65535);
    EXPECT_EQ(Variant(9007199254740993LL).toDouble(), 9007199254740992.0);
}

TEST(VariantConversion, BooleansAndNumbers)
{
    EXPECT_EQ(Variant(true).toInt(), -1);
    EXPECT_EQ(Variant(true).toInt64(), -1);
    EXPECT_EQ(Variant(true).toDouble(), -1.0);
    EXPECT_EQ(Variant(true).toCurrency().scaled, -10000);
    EXPECT_EQ(Variant(false).toInt(), 0);
    EXPECT_TRUE(Variant(-7).toBool());
    EXPECT_FALSE(Variant(std::uint8_t{0}).toBool());
    EXPECT_TRUE(Variant(0.001).toBool());
    EXPECT_FALSE(Variant(0.0).toBool());
    EXPECT_TRUE(Variant(Currency{1}).toBool());
    EXPECT_EQ(Variant(true).toString(), QStringLiteral("True"));
    EXPECT_EQ(Variant(false).toString(), QStringLiteral("False"));
}

TEST(VariantConversion, StringsToBooleans)
{
    EXPECT_TRUE(Variant("true").toBool());
    EXPECT_TRUE(Variant("TRUE").toBool());
    EXPECT_FALSE(Variant("False").toBool());
    EXPECT_FALSE(Variant("0").toBool());
    EXPECT_TRUE(Variant("-1").toBool());
    EXPECT_TRUE(Variant("0,5").toBool());
    EXPECT_EQ(variantErrorOf([] { Variant("yes").toBool(); }), castMessage("OleStr", "Boolean"));
    EXPECT_EQ(variantErrorOf([] { Variant("").toBool(); }), castMessage("OleStr", "Boolean"));
}

TEST(VariantConversion, StringsToNumbersAcceptSeparatorInForceAndFullStop)
{
    const DecimalSeparatorGuard comma(QLatin1Char(','));
    EXPECT_EQ(Variant("12,5").toDouble(), 12.5);
    EXPECT_EQ(Variant("12.5").toDouble(), 12.5);
    EXPECT_EQ(Variant(" 42 ").toInt(), 42);
    EXPECT_EQ(Variant("-17").toInt64(), -17);
    EXPECT_EQ(Variant("2,5").toInt(), 2);
    EXPECT_EQ(Variant("3.5").toInt(), 4);
    EXPECT_EQ(Variant("9007199254740993").toInt64(), 9007199254740993LL); // exact, not through double
    EXPECT_EQ(Variant("12,3456").toCurrency().scaled, 123456);
    EXPECT_EQ(variantErrorOf([] { Variant("9999999999").toInt(); }), overflowMessage("OleStr", "Integer"));
    EXPECT_EQ(Variant("9999999999").toInt64(), 9999999999LL);
    EXPECT_EQ(variantErrorOf([] { Variant("abc").toInt(); }), castMessage("OleStr", "Integer"));
    EXPECT_EQ(variantErrorOf([] { Variant("").toDouble(); }), castMessage("OleStr", "Double"));
    EXPECT_EQ(variantErrorOf([] { Variant("1,2,3").toCurrency(); }), castMessage("OleStr", "Currency"));
}

TEST(VariantConversion, ForeignSeparatorIsNotAccepted)
{
    const DecimalSeparatorGuard point(QLatin1Char('.'));
    EXPECT_EQ(Variant("12.5").toDouble(), 12.5);
    EXPECT_THROW(Variant("12,5").toDouble(), EVariantError);
    EXPECT_EQ(Variant(Currency{125000}).toString(), QStringLiteral("12.5"));
}

TEST(VariantConversion, NullConvertsToNothing)
{
    const Variant null = Variant::null();
    EXPECT_EQ(variantErrorOf([&] { null.toInt(); }), castMessage("Null", "Integer"));
    EXPECT_EQ(variantErrorOf([&] { null.toInt64(); }), castMessage("Null", "Int64"));
    EXPECT_EQ(variantErrorOf([&] { null.toDouble(); }), castMessage("Null", "Double"));
    EXPECT_EQ(variantErrorOf([&] { null.toBool(); }), castMessage("Null", "Boolean"));
    EXPECT_EQ(variantErrorOf([&] { null.toCurrency(); }), castMessage("Null", "Currency"));
    EXPECT_EQ(variantErrorOf([&] { null.toDateTime(); }), castMessage("Null", "Date"));
    EXPECT_EQ(variantErrorOf([&] { null.toString(); }), castMessage("Null", "String"));
    EXPECT_TRUE(null.isEmptyOrNull());
}

TEST(VariantConversion, EmptyConvertsToZeroes)
{
    const Variant empty;
    EXPECT_EQ(empty.toInt(), 0);
    EXPECT_EQ(empty.toInt64(), 0);
    EXPECT_EQ(empty.toDouble(), 0.0);
    EXPECT_EQ(empty.toDateTime(), 0.0);
    EXPECT_EQ(empty.toCurrency(), Currency{});
    EXPECT_FALSE(empty.toBool());
    EXPECT_TRUE(empty.toString().isEmpty());
}

TEST(VariantConversion, ArraysDoNotConvert)
{
    const Variant array = Variant::makeArray(1);
    EXPECT_EQ(variantErrorOf([&] { array.toInt(); }), castMessage("Array Variant", "Integer"));
    EXPECT_EQ(variantErrorOf([&] { array.toString(); }), castMessage("Array Variant", "String"));
    EXPECT_EQ(variantErrorOf([&] { array.toDateTime(); }), castMessage("Array Variant", "Date"));
    EXPECT_THROW(array.toBool(), EVariantError);
    EXPECT_THROW(array.toCurrency(), EVariantError);
}

TEST(VariantConversion, CurrencyRoundingAndText)
{
    const DecimalSeparatorGuard comma(QLatin1Char(','));
    EXPECT_EQ(Variant(Currency{25000}).toInt(), 2);
    EXPECT_EQ(Variant(Currency{35000}).toInt(), 4);
    EXPECT_EQ(Variant(Currency{-25000}).toInt(), -2);
    EXPECT_EQ(Variant(Currency{-25001}).toInt(), -3);
    EXPECT_EQ(Variant(Currency{15001}).toInt(), 2);
    EXPECT_EQ(Variant(Currency{125000}).toString(), QStringLiteral("12,5"));
    EXPECT_EQ(Variant(Currency{120000}).toString(), QStringLiteral("12"));
    EXPECT_EQ(Variant(Currency{-1}).toString(), QStringLiteral("-0,0001"));
    EXPECT_EQ(Variant(Currency{std::numeric_limits<std::int64_t>::min()}).toString(),
              QStringLiteral("-922337203685477,5808"));
    EXPECT_EQ(Variant(Currency{123456}).toDouble(), 12.3456);
}

TEST(VariantConversion, CurrencyFromNumbers)
{
    EXPECT_EQ(Currency::fromDouble(12.34).scaled, 123400);
    // Products that land exactly on a half go to the even neighbour.
    EXPECT_EQ(Currency::fromDouble(0.00025).scaled, 2);
    EXPECT_EQ(Currency::fromDouble(0.00035).scaled, 4);
    EXPECT_EQ(Currency::fromDouble(-0.00125).scaled, -12);
    EXPECT_EQ(Variant(3).toCurrency().scaled, 30000);
    EXPECT_EQ(variantErrorOf([] { Currency::fromDouble(1e16); }), overflowMessage("Double", "Currency"));
    EXPECT_THROW(Currency::fromDouble(std::nan("")), EVariantError);
    EXPECT_EQ(variantErrorOf([] { Variant(1000000000000000LL).toCurrency(); }), overflowMessage("Int64", "Currency"));
    EXPECT_EQ(Variant(922337203685477LL).toCurrency().scaled, 9223372036854770000LL);
}

TEST(VariantConversion, CurrencyTextIsExact)
{
    const DecimalSeparatorGuard comma(QLatin1Char(','));
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("-12.3456")), Variant(Currency{-123456}));
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("12,3456")).toCurrency().scaled, 123456);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("0.1")).toCurrency().scaled, 1000);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("123456789012345.6789")).toCurrency().scaled,
              1234567890123456789LL);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("12.")).toCurrency().scaled, 120000);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral(".5")).toCurrency().scaled, 5000);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("+3")).toCurrency().scaled, 30000);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral(" 7 ")).toCurrency().scaled, 70000);
}

TEST(VariantConversion, CurrencyTextRoundsFifthDecimalHalfAwayFromZero)
{
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("0.00005")).toCurrency().scaled, 1);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("-0.00005")).toCurrency().scaled, -1);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("0.000049999")).toCurrency().scaled, 0);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("1.99995")).toCurrency().scaled, 20000);
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("2.00025")).toCurrency().scaled, 20003);
}

TEST(VariantConversion, CurrencyTextLimitsAndBadText)
{
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("922337203685477.5807")).toCurrency().scaled,
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant::fromCurrencyText(QStringLiteral("-922337203685477.5808")).toCurrency().scaled,
              std::numeric_limits<std::int64_t>::min());
    EXPECT_THROW(Variant::fromCurrencyText(QStringLiteral("922337203685477.5808")), EConvertError);
    EXPECT_THROW(Variant::fromCurrencyText(QStringLiteral("922337203685477.58075")), EConvertError);
    EXPECT_THROW(Variant::fromCurrencyText(QStringLiteral("99999999999999999999")), EConvertError);
    for (const char* bad : {"", ".", "-", "1e5", "1.2.3", "12a", "--1", "1 000"}) {
        try {
            Variant::fromCurrencyText(QString::fromLatin1(bad));
            ADD_FAILURE() << "accepted " << bad;
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("'%1' is not a valid floating point value").arg(QLatin1String(bad)));
        }
    }
}

TEST(VariantConversion, FloatsAndDatesAsText)
{
    const DecimalSeparatorGuard comma(QLatin1Char(','));
    EXPECT_EQ(Variant(1.5).toString(), QStringLiteral("1,5"));
    EXPECT_EQ(Variant(0.5f).toString(), QStringLiteral("0,5"));
    EXPECT_EQ(Variant(-42).toString(), QStringLiteral("-42"));
    EXPECT_EQ(Variant(4294967295u).toString(), QStringLiteral("4294967295"));
    EXPECT_EQ(Variant::fromDate(45000.0).toString(), QStringLiteral("15.03.2023"));
    EXPECT_EQ(Variant::fromDate(0.5).toString(), QStringLiteral("12:00:00"));
    EXPECT_EQ(Variant::fromDate(45000.75).toString(), QStringLiteral("15.03.2023 18:00:00"));
}

TEST(VariantConversion, TextToDate)
{
    EXPECT_EQ(Variant("15.03.2023").toDateTime(), 45000.0);
    EXPECT_EQ(Variant("45000,25").toDateTime(), 45000.25);
    EXPECT_EQ(variantErrorOf([] { Variant("tomorrow").toDateTime(); }), castMessage("OleStr", "Date"));
    EXPECT_EQ(Variant(true).toDateTime(), -1.0);
}

TEST(VariantConversion, EqualityNeedsTheSameType)
{
    EXPECT_EQ(Variant("Счёт").toString(), QStringLiteral("Счёт"));
    EXPECT_NE(Variant(1), Variant(std::int16_t{1}));
    EXPECT_NE(Variant(1.0), Variant::fromDate(1.0));
    EXPECT_NE(Variant(), Variant::null());
    EXPECT_EQ(Variant(std::nan("")), Variant(std::nan("")));
}

TEST(VariantConversion, ByteArraysConvertOnlyToBytes)
{
    const Variant blob(QByteArray("\x01\x02", 2));
    EXPECT_TRUE(blob.isByteArray());
    EXPECT_FALSE(blob.isArray());
    EXPECT_EQ(blob.toByteArray(), QByteArray("\x01\x02", 2));
    EXPECT_TRUE(Variant().toByteArray().isEmpty());
    EXPECT_EQ(variantErrorOf([&] { blob.toString(); }), castMessage("Array Byte", "String"));
    EXPECT_EQ(variantErrorOf([&] { blob.toDateTime(); }), castMessage("Array Byte", "Date"));
    EXPECT_EQ(variantErrorOf([&] { blob.toInt(); }), castMessage("Array Byte", "Integer"));
    EXPECT_EQ(variantErrorOf([] { Variant("text").toByteArray(); }), castMessage("OleStr", "Array Byte"));
    EXPECT_EQ(variantErrorOf([] { Variant::null().toByteArray(); }), castMessage("Null", "Array Byte"));
    EXPECT_THROW(blob.rawWords(), EVariantError);
    EXPECT_NE(blob, Variant(QByteArray("\x01", 1)));
}
