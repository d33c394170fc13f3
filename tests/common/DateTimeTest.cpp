// TDateTime arithmetic: encoding, decoding, days of the week, negative dates
// and the rounding of milliseconds.
#include "common/DateTime.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace velta;

namespace {

struct Ymd {
    int year, month, day;
    friend bool operator==(const Ymd&, const Ymd&) = default;
};
struct Hmsz {
    int hour, minute, second, msec;
    friend bool operator==(const Hmsz&, const Hmsz&) = default;
};

Ymd dateOf(TDateTime value)
{
    Ymd r{};
    DecodeDate(value, r.year, r.month, r.day);
    return r;
}

Hmsz timeOf(TDateTime value)
{
    Hmsz r{};
    DecodeTime(value, r.hour, r.minute, r.second, r.msec);
    return r;
}

void PrintTo(const Ymd& d, std::ostream* os) { *os << d.day << '.' << d.month << '.' << d.year; }
void PrintTo(const Hmsz& t, std::ostream* os) { *os << t.hour << ':' << t.minute << ':' << t.second << '.' << t.msec; }

} // namespace

TEST(DateTimeEncode, KnownDaysOfTheCalendar)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1899, 12, 31), 1.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(1899, 12, 29), -1.0);
    EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
    EXPECT_EQ(EncodeDate(1, 1, 1), kMinDateTime);
    EXPECT_EQ(EncodeDate(9999, 12, 31), 2958465.0);
}

TEST(DateTimeEncode, LeapYearRules)
{
    EXPECT_TRUE(IsLeapYear(2000));
    EXPECT_TRUE(IsLeapYear(2024));
    EXPECT_FALSE(IsLeapYear(1900));
    EXPECT_FALSE(IsLeapYear(2100));
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2026, 13), 0);

    TDateTime value = 0;
    EXPECT_TRUE(TryEncodeDate(2000, 2, 29, value));
    EXPECT_FALSE(TryEncodeDate(1900, 2, 29, value));
    EXPECT_EQ(EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 28), 2.0);
    EXPECT_EQ(EncodeDate(2023, 3, 1) - EncodeDate(2023, 2, 28), 1.0);
}

TEST(DateTimeEncode, RejectsOutOfRangeArgumentsWithTheFrameworkMessages)
{
    TDateTime value = 42;
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(10000, 1, 1, value));
    EXPECT_FALSE(TryEncodeDate(2026, 4, 31, value));
    EXPECT_FALSE(TryEncodeDate(2026, 0, 1, value));
    EXPECT_FALSE(TryEncodeTime(24, 0, 0, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 60, 0, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 0, 60, 0, value));
    EXPECT_FALSE(TryEncodeTime(0, 0, 0, 1000, value));
    EXPECT_FALSE(TryEncodeTime(-1, 0, 0, 0, value));
    EXPECT_EQ(value, 42) << "a failed Try must leave the result alone";

    try {
        EncodeDate(2026, 2, 30);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid argument to date encode"));
    }
    try {
        EncodeTime(25, 0, 0, 0);
        FAIL() << "no exception";
    } catch (const EConvertError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid argument to time encode"));
    }
}

TEST(DateTimeDecode, RoundTripsEveryDayAcrossCenturyAndLeapBoundaries)
{
    for (int year : {1, 4, 100, 400, 1600, 1899, 1900, 1999, 2000, 2024, 2100, 9999}) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= DaysInMonth(year, month); ++day) {
                const TDateTime value = EncodeDate(year, month, day);
                ASSERT_EQ(dateOf(value), (Ymd{year, month, day})) << "serial " << value;
            }
        }
    }
}

TEST(DateTimeDecode, ConsecutiveSerialsAreConsecutiveDays)
{
    Ymd previous = dateOf(EncodeDate(1899, 1, 1));
    for (TDateTime serial = EncodeDate(1899, 1, 2); serial <= EncodeDate(1901, 12, 31); serial += 1) {
        const Ymd current = dateOf(serial);
        const bool nextDay = current.year == previous.year && current.month == previous.month
                             && current.day == previous.day + 1;
        const bool nextMonth = current.day == 1
                               && ((current.month == previous.month + 1 && current.year == previous.year)
                                   || (current.month == 1 && previous.month == 12 && current.year == previous.year + 1));
        ASSERT_TRUE(nextDay || nextMonth) << "at serial " << serial;
        previous = current;
    }
}

TEST(DateTimeDecode, TimeRoundTripsAtMillisecondResolution)
{
    for (int h : {0, 1, 11, 12, 13, 23})
        for (int m : {0, 1, 30, 59})
            for (int s : {0, 1, 59})
                for (int ms : {0, 1, 499, 500, 999}) {
                    const TDateTime value = EncodeDateTime(2026, 12, 6, h, m, s, ms);
                    ASSERT_EQ(timeOf(value), (Hmsz{h, m, s, ms}));
                    ASSERT_EQ(dateOf(value), (Ymd{2026, 12, 6}));
                }
}

TEST(DateTimeDecode, HalfMillisecondRoundsIntoTheNextUnitWithoutOverflowingFields)
{
    // 23:59:59.9996 is nearer to midnight of the next day than to .999.
    const TDateTime lastInstant = EncodeDate(2026, 12, 31) + (86400000.0 - 0.4) / 86400000.0;
    EXPECT_EQ(timeOf(lastInstant), (Hmsz{0, 0, 0, 0}));
    EXPECT_EQ(dateOf(lastInstant), (Ymd{2027, 1, 1}));

    const TDateTime nearMinute = EncodeTime(10, 0, 59, 999) + 0.6 / 86400000.0;
    EXPECT_EQ(timeOf(nearMinute), (Hmsz{10, 1, 0, 0}));

    const TDateTime justBelow = EncodeTime(10, 0, 59, 999) + 0.4 / 86400000.0;
    EXPECT_EQ(timeOf(justBelow), (Hmsz{10, 0, 59, 999}));
}

TEST(DateTimeDecode, NegativeDatesKeepAPositiveTimeOfDay)
{
    // -1.25 is 29.12.1899 06:00: the date counts back, the fraction forward.
    EXPECT_EQ(dateOf(-1.25), (Ymd{1899, 12, 29}));
    EXPECT_EQ(timeOf(-1.25), (Hmsz{6, 0, 0, 0}));
    EXPECT_EQ(dateOf(-0.5), (Ymd{1899, 12, 30}));
    EXPECT_EQ(timeOf(-0.5), (Hmsz{12, 0, 0, 0}));

    const TDateTime old = EncodeDateTime(1812, 9, 7, 18, 30, 15, 250);
    EXPECT_LT(old, 0);
    EXPECT_EQ(dateOf(old), (Ymd{1812, 9, 7}));
    EXPECT_EQ(timeOf(old), (Hmsz{18, 30, 15, 250}));
    EXPECT_DOUBLE_EQ(DateOf(old), EncodeDate(1812, 9, 7));
    EXPECT_NEAR(TimeOf(old), EncodeTime(18, 30, 15, 250), 1e-9);
    EXPECT_NEAR(TimeOf(-1.25), 0.25, 1e-12);
}

TEST(DateTimeDecode, OutOfRangeValuesDecodeToZeros)
{
    for (TDateTime bad : {kMinDateTime - 2.0, kMaxDateTime + 2.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(dateOf(bad), (Ymd{0, 0, 0}));
        EXPECT_EQ(timeOf(bad), (Hmsz{0, 0, 0, 0}));
        EXPECT_FALSE(toQDateTime(bad).isValid());
    }
    EXPECT_EQ(dateOf(kMaxDateTime), (Ymd{9999, 12, 31}));
    EXPECT_EQ(timeOf(kMaxDateTime), (Hmsz{23, 59, 59, 999}));
}

TEST(DateTimeDayOfWeek, CountsFromSunday)
{
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7); // a Saturday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6)), 1);  // a Sunday
    EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);
    EXPECT_EQ(DayOfWeek(EncodeDate(1, 1, 1)), 2);      // a Monday
    EXPECT_EQ(DayOfWeek(EncodeDateTime(1812, 9, 7, 23, 0, 0, 0)), 2);
    for (int d = 0; d < 14; ++d)
        EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 6) + d), d % 7 + 1);
}

TEST(DateTimeQt, ConvertsBothWays)
{
    const QDateTime qt(QDate(2026, 12, 6), QTime(14, 30, 15, 123));
    const TDateTime value = fromQDateTime(qt);
    EXPECT_EQ(dateOf(value), (Ymd{2026, 12, 6}));
    EXPECT_EQ(timeOf(value), (Hmsz{14, 30, 15, 123}));
    EXPECT_EQ(toQDateTime(value), qt);

    const QDateTime old(QDate(1812, 9, 7), QTime(6, 15, 0));
    EXPECT_EQ(toQDateTime(fromQDateTime(old)), old);
    EXPECT_EQ(fromQDate(QDate(1899, 12, 30)), 0.0);
    EXPECT_EQ(fromQDate(QDate()), 0.0);
    EXPECT_EQ(fromQDateTime(QDateTime()), 0.0);
}
