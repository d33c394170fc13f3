#include "common/DateTime.h"

#include "common/Exception.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <ctime>

namespace velta {

namespace {

constexpr std::int64_t kMSecsPerDay = 86400000;
// Days from 01.01.0001 (day 1) to 30.12.1899 (day 0 of TDateTime).
constexpr std::int64_t kDateDelta = 693594;

constexpr int kDaysInMonth[2][12] = {
    {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
};

// A date-time split as the framework splits it: the value is first rounded to
// whole milliseconds; days count from 01.01.0001 (day 1); the time of day is
// the absolute fraction, so a negative date keeps a positive time.
struct TimeStamp {
    std::int64_t date = 0;
    std::int64_t msOfDay = 0;
    bool valid = false;
};

TimeStamp toTimeStamp(TDateTime value)
{
    TimeStamp ts;
    if (!std::isfinite(value) || value < kMinDateTime - 1.0 || value > kMaxDateTime + 1.0)
        return ts;
    const std::int64_t ms = std::llround(value * static_cast<double>(kMSecsPerDay));
    const std::int64_t absMs = ms < 0 ? -ms : ms;
    std::int64_t days = absMs / kMSecsPerDay;
    if (ms < 0)
        days = -days;
    ts.date = days + kDateDelta;
    ts.msOfDay = absMs % kMSecsPerDay;
    ts.valid = ts.date >= 1 && ts.date <= kDateDelta + static_cast<std::int64_t>(kMaxDateTime);
    return ts;
}

void civilFromDayNumber(std::int64_t dayNumber, int& year, int& month, int& day)
{
    constexpr std::int64_t d1 = 365;
    constexpr std::int64_t d4 = d1 * 4 + 1;
    constexpr std::int64_t d100 = d4 * 25 - 1;
    constexpr std::int64_t d400 = d100 * 4 + 1;

    std::int64_t t = dayNumber - 1;
    std::int64_t y = 1 + (t / d400) * 400;
    t %= d400;
    std::int64_t i = t / d100;
    std::int64_t d = t % d100;
    if (i == 4) {
        --i;
        d += d100;
    }
    y += i * 100;
    y += (d / d4) * 4;
    d %= d4;
    i = d / d1;
    d %= d1;
    if (i == 4) {
        --i;
        d += d1;
    }
    y += i;

    year = static_cast<int>(y);
    const int* table = kDaysInMonth[IsLeapYear(year) ? 1 : 0];
    int m = 0;
    while (d >= table[m]) {
        d -= table[m];
        ++m;
    }
    month = m + 1;
    day = static_cast<int>(d) + 1;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return 0;
    return kDaysInMonth[IsLeapYear(year) ? 1 : 0][month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    const int* table = kDaysInMonth[IsLeapYear(year) ? 1 : 0];
    std::int64_t days = day;
    for (int m = 0; m < month - 1; ++m)
        days += table[m];
    const std::int64_t y = year - 1;
    days += y * 365 + y / 4 - y / 100 + y / 400;
    result = static_cast<TDateTime>(days - kDateDelta);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result)
{
    if (hour < 0 || hour >= 24 || minute < 0 || minute >= 60 || second < 0 || second >= 60 || msec < 0
        || msec >= 1000)
        return false;
    const std::int64_t ms = ((static_cast<std::int64_t>(hour) * 60 + minute) * 60 + second) * 1000 + msec;
    result = static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMSecsPerDay);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result = 0;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime result = 0;
    if (!TryEncodeTime(hour, minute, second, msec, result))
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    const TDateTime date = EncodeDate(year, month, day);
    const TDateTime time = EncodeTime(hour, minute, second, msec);
    // Before 30.12.1899 the time is counted away from zero, like the date.
    return date >= 0 ? date + time : date - time;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    const TimeStamp ts = toTimeStamp(value);
    if (!ts.valid) {
        year = month = day = 0;
        return;
    }
    civilFromDayNumber(ts.date, year, month, day);
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec)
{
    const TimeStamp ts = toTimeStamp(value);
    if (!ts.valid) {
        hour = minute = second = msec = 0;
        return;
    }
    std::int64_t ms = ts.msOfDay;
    msec = static_cast<int>(ms % 1000);
    ms /= 1000;
    second = static_cast<int>(ms % 60);
    ms /= 60;
    minute = static_cast<int>(ms % 60);
    hour = static_cast<int>(ms / 60);
}

void DecodeDateTime(TDateTime value, int& year, int& month, int& day, int& hour, int& minute, int& second,
                    int& msec)
{
    DecodeDate(value, year, month, day);
    DecodeTime(value, hour, minute, second, msec);
}

int DayOfWeek(TDateTime value)
{
    const TimeStamp ts = toTimeStamp(value);
    if (!ts.valid)
        return 0;
    // Day 1 (01.01.0001) was a Monday, which is 2 in this counting.
    return static_cast<int>(ts.date % 7) + 1;
}

TDateTime DateOf(TDateTime value)
{
    return std::trunc(value);
}

TDateTime TimeOf(TDateTime value)
{
    return std::fabs(value - std::trunc(value));
}

TDateTime fromQDate(const QDate& value)
{
    TDateTime result = 0;
    if (!value.isValid() || !TryEncodeDate(value.year(), value.month(), value.day(), result))
        return 0;
    return result;
}

TDateTime fromQDateTime(const QDateTime& value)
{
    if (!value.isValid())
        return 0;
    const TDateTime date = fromQDate(value.date());
    const TDateTime time = static_cast<TDateTime>(value.time().msecsSinceStartOfDay())
                           / static_cast<TDateTime>(kMSecsPerDay);
    return date >= 0 ? date + time : date - time;
}

QDateTime toQDateTime(TDateTime value)
{
    const TimeStamp ts = toTimeStamp(value);
    if (!ts.valid)
        return {};
    int year = 0;
    int month = 0;
    int day = 0;
    civilFromDayNumber(ts.date, year, month, day);
    return QDateTime(QDate(year, month, day), QTime::fromMSecsSinceStartOfDay(static_cast<int>(ts.msOfDay)));
}

TDateTime SystemNow()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // localtime_r reads the zone rules once; tzset re-reads them (TZ, or
    // /etc/localtime when it changed), so a new zone is seen within a minute
    // without the file check on every call that QDateTime makes.
    static std::atomic<std::int64_t> zoneCheckedAt{0};
    const std::int64_t seconds = now.tv_sec;
    const std::int64_t checked = zoneCheckedAt.load(std::memory_order_relaxed);
    if (seconds - checked >= 60 || seconds < checked) {
        ::tzset();
        zoneCheckedAt.store(seconds, std::memory_order_relaxed);
    }
    const time_t whole = now.tv_sec;
    tm local {};
    TDateTime date = 0;
    if (!::localtime_r(&whole, &local)
        || !TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date) || date < 0)
        return fromQDateTime(QDateTime::currentDateTime());
    // A leap second (only under "right/" zones) is kept within its minute.
    const std::int64_t second = std::min(local.tm_sec, 59);
    const std::int64_t ms = ((static_cast<std::int64_t>(local.tm_hour) * 60 + local.tm_min) * 60 + second) * 1000
                            + now.tv_nsec / 1000000;
    return date + static_cast<TDateTime>(ms) / static_cast<TDateTime>(kMSecsPerDay);
}

} // namespace velta
