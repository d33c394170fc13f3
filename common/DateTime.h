#pragma once
// TDateTime: days since 30.12.1899 as a double; the fraction is the time of day.
#include "common/RuntimeExport.h"

#include <QDate>
#include <QDateTime>
#include <QTime>
#include <cstdint>

namespace velta {

using TDateTime = double;

inline constexpr TDateTime kMinDateTime = -693593.0; // 01.01.0001
inline constexpr TDateTime kMaxDateTime = 2958465.99999999; // 31.12.9999

// Raise EConvertError "Invalid argument to date encode" / "Invalid argument to time encode".
VELTA_RUNTIME_EXPORT TDateTime EncodeDate(int year, int month, int day);
VELTA_RUNTIME_EXPORT TDateTime EncodeTime(int hour, int minute, int second, int msec);
VELTA_RUNTIME_EXPORT bool TryEncodeDate(int year, int month, int day, TDateTime& result);
VELTA_RUNTIME_EXPORT bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);
VELTA_RUNTIME_EXPORT TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int msec);

VELTA_RUNTIME_EXPORT void DecodeDate(TDateTime value, int& year, int& month, int& day);
VELTA_RUNTIME_EXPORT void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);
VELTA_RUNTIME_EXPORT void DecodeDateTime(TDateTime value, int& year, int& month, int& day,
                                         int& hour, int& minute, int& second, int& msec);

// 1 = Sunday ... 7 = Saturday, as the framework counts.
VELTA_RUNTIME_EXPORT int DayOfWeek(TDateTime value);
VELTA_RUNTIME_EXPORT bool IsLeapYear(int year);
VELTA_RUNTIME_EXPORT int DaysInMonth(int year, int month);

// The date part and the time part (time of a negative date is taken as the
// framework does: the fraction's absolute value).
VELTA_RUNTIME_EXPORT TDateTime DateOf(TDateTime value);
VELTA_RUNTIME_EXPORT TDateTime TimeOf(TDateTime value);

// Conversions to and from Qt's types (local time, no zone arithmetic).
VELTA_RUNTIME_EXPORT TDateTime fromQDateTime(const QDateTime& value);
VELTA_RUNTIME_EXPORT TDateTime fromQDate(const QDate& value);
VELTA_RUNTIME_EXPORT QDateTime toQDateTime(TDateTime value);

// The current local date and time of the machine. Code that must be testable
// asks the injectable clock of the platform layer instead.
VELTA_RUNTIME_EXPORT TDateTime SystemNow();

} // namespace velta
