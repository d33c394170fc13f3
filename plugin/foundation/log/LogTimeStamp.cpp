#include "plugin/foundation/log/LogTimeStamp.h"

#include "common/Codecs.h"
#include "common/SysUtils.h"
#include "plugin/foundation/log/LDSLogger.h"

namespace velta {

namespace {

char* putDigits(char* at, int value, int width)
{
    for (int i = width - 1; i >= 0; --i) {
        at[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    return at + width;
}

} // namespace

LogTimeStamp::LogTimeStamp(const QString& format)
    : format_(format)
    , isDefault_(format == QLatin1String(kDefaultFormat))
{
}

void LogTimeStamp::appendTo(QByteArray& out, TDateTime value) const
{
    // Values before 30.12.1899 or past the calendar take the general path,
    // which knows how they are shown.
    if (!isDefault_ || !(value >= 0 && value <= kMaxDateTime)) {
        out += codec::toCp1251(text(value));
        return;
    }
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, msec = 0;
    DecodeDateTime(value, year, month, day, hour, minute, second, msec);
    // "dd.mm.yyyy hh:nn:ss.zzz": the log settings' separators are fixed.
    char stamp[23];
    char* at = putDigits(stamp, day, 2);
    *at++ = '.';
    at = putDigits(at, month, 2);
    *at++ = '.';
    at = putDigits(at, year, 4);
    *at++ = ' ';
    at = putDigits(at, hour, 2);
    *at++ = ':';
    at = putDigits(at, minute, 2);
    *at++ = ':';
    at = putDigits(at, second, 2);
    *at++ = '.';
    putDigits(at, msec, 3);
    out.append(stamp, sizeof stamp);
}

QString LogTimeStamp::text(TDateTime value) const
{
    return FormatDateTime(format_, value, LogFormatSettings());
}

} // namespace velta
