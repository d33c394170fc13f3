#pragma once
// The framework's formatting and parsing functions: Format, FormatDateTime,
// FloatToStr and the StrTo* conversions, each with explicit format settings
// (or the process-wide ones when none are given).
#include "common/DateTime.h"
#include "common/FormatSettings.h"
#include "common/RuntimeExport.h"
#include "common/Variant.h"

#include <QString>
#include <initializer_list>

namespace velta {

// Format(fmt, args): %d %u %s %f %n %e %g %x %m %p with index ("%0:s"), "-"
// (left justify), width and precision ("*" takes them from the arguments);
// "%%" is a percent sign. An argument that does not match its conversion, or a
// missing argument, raises EConvertError
// "Format '%s' invalid or incompatible with argument".
using FormatArgs = std::initializer_list<Variant>;
VELTA_RUNTIME_EXPORT QString Format(const QString& format, FormatArgs args);
VELTA_RUNTIME_EXPORT QString Format(const QString& format, FormatArgs args, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString Format(const QString& format, const QVector<Variant>& args, const TFormatSettings& settings);

// FormatDateTime picture codes: c d dd ddd dddd ddddd dddddd aaa aaaa e ee g
// m mm mmm mmmm yy yyyy h hh n nn s ss z zzz t tt am/pm a/p ampm / : 'quoted'
// "quoted". Letters are case-insensitive; "m" right after an hour code means
// minutes; an empty picture is "c".
VELTA_RUNTIME_EXPORT QString FormatDateTime(const QString& format, TDateTime value);
VELTA_RUNTIME_EXPORT QString FormatDateTime(const QString& format, TDateTime value, const TFormatSettings& settings);

VELTA_RUNTIME_EXPORT QString DateToStr(TDateTime value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString TimeToStr(TDateTime value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString DateTimeToStr(TDateTime value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString DateToStr(TDateTime value);
VELTA_RUNTIME_EXPORT QString TimeToStr(TDateTime value);
VELTA_RUNTIME_EXPORT QString DateTimeToStr(TDateTime value);

// Parse by the settings' ShortDateFormat order and separators, as the framework
// does. Failure raises EConvertError "'%s' is not a valid date" (time: "... valid
// time", date and time: "... valid date and time").
VELTA_RUNTIME_EXPORT TDateTime StrToDate(const QString& text, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT TDateTime StrToTime(const QString& text, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT TDateTime StrToDateTime(const QString& text, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT bool TryStrToDate(const QString& text, TDateTime& value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT bool TryStrToTime(const QString& text, TDateTime& value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT bool TryStrToDateTime(const QString& text, TDateTime& value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT TDateTime StrToDate(const QString& text);
VELTA_RUNTIME_EXPORT TDateTime StrToTime(const QString& text);
VELTA_RUNTIME_EXPORT TDateTime StrToDateTime(const QString& text);
// The full year a one- or two-digit year stands for: the year of the century
// window that starts `window` years before `currentYear` (window 0: this century).
VELTA_RUNTIME_EXPORT int expandTwoDigitYear(int year, int currentYear, int window);

// Floats: 15 significant digits in general format, the settings' decimal
// separator. StrToFloat raises EConvertError "'%s' is not a valid floating point value".
VELTA_RUNTIME_EXPORT QString FloatToStr(double value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString FloatToStr(double value);
VELTA_RUNTIME_EXPORT double StrToFloat(const QString& text, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT double StrToFloat(const QString& text);
VELTA_RUNTIME_EXPORT bool TryStrToFloat(const QString& text, double& value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT bool TryStrToFloat(const QString& text, double& value);

// FloatToStrF formats: ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency.
enum class FloatFormat { General, Exponent, Fixed, Number, Currency };
VELTA_RUNTIME_EXPORT QString FloatToStrF(double value, FloatFormat format, int precision, int digits,
                                         const TFormatSettings& settings);
// FormatFloat picture ("0.00", "#,##0.00", "0.###", sections by ";").
VELTA_RUNTIME_EXPORT QString FormatFloat(const QString& picture, double value, const TFormatSettings& settings);
VELTA_RUNTIME_EXPORT QString FormatFloat(const QString& picture, double value);

// Integers: StrToInt raises EConvertError "'%s' is not a valid integer value";
// decimal and "$"/"0x" hexadecimal forms are accepted as the framework does.
VELTA_RUNTIME_EXPORT int StrToInt(const QString& text);
VELTA_RUNTIME_EXPORT int StrToIntDef(const QString& text, int defaultValue);
VELTA_RUNTIME_EXPORT bool TryStrToInt(const QString& text, int& value);
VELTA_RUNTIME_EXPORT std::int64_t StrToInt64(const QString& text);
VELTA_RUNTIME_EXPORT bool TryStrToInt64(const QString& text, std::int64_t& value);

// Trim: removes leading and trailing characters with codes up to 32 (blanks and controls).
VELTA_RUNTIME_EXPORT QString Trim(const QString& text);
VELTA_RUNTIME_EXPORT QString TrimLeft(const QString& text);
VELTA_RUNTIME_EXPORT QString TrimRight(const QString& text);

} // namespace velta
