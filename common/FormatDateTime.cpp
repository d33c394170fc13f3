// FormatDateTime and the DateToStr family: the framework's picture codes,
// read letter by letter with runs of the same letter counted.
#include "common/SysUtils.h"

namespace velta {

namespace {

// The era name a Russian station's Gregorian calendar reports for "g".
const QString& eraName()
{
    static const QString name = QStringLiteral("н.э.");
    return name;
}

inline char upperAscii(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'a' && u <= u'z')
        return static_cast<char>(u - 32);
    if (u >= u'A' && u <= u'Z')
        return static_cast<char>(u);
    return 0;
}

// Appends value in decimal, padded with zeros to at least digits places.
void appendNumber(QString& out, int value, int digits)
{
    char buf[16];
    int n = 0;
    unsigned v = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0);
    while (n < digits && n < 16)
        buf[n++] = '0';
    if (value < 0)
        out += QLatin1Char('-');
    while (n > 0)
        out += QLatin1Char(buf[--n]);
}

// Case-insensitive comparison of the picture at p with an upper-case ASCII word.
bool matchesAt(const QChar* p, const QChar* end, const char* word)
{
    for (; *word != 0; ++word, ++p) {
        if (p >= end)
            return false;
        const char16_t c = p->unicode();
        const char16_t upper = c >= u'a' && c <= u'z' ? c - 32 : c;
        if (upper != static_cast<char16_t>(*word))
            return false;
    }
    return true;
}

class DateTimeWriter {
public:
    DateTimeWriter(TDateTime value, const TFormatSettings& settings, QString& out)
        : value_(value), settings_(settings), out_(out)
    {
    }

    void append(const QString& format, int level)
    {
        // Nested pictures (c, ddddd, t, ...) may nest once; deeper ones are dropped
        // so that a picture naming itself cannot recurse.
        if (level >= 2)
            return;
        const QChar* p = format.constData();
        const QChar* const end = p + format.size();
        char lastToken = ' ';
        bool use12Hour = false;
        while (p < end) {
            const QChar starter = *p++;
            char token = upperAscii(starter);
            if (token != 0) {
                if (token == 'M' && lastToken == 'H')
                    token = 'N';
                lastToken = token;
            }
            switch (token) {
            case 'Y': {
                const int count = runLength(p, end, starter);
                decodeDate();
                if (count <= 2)
                    appendNumber(out_, year_ % 100, 2);
                else
                    appendNumber(out_, year_, 4);
                break;
            }
            case 'G':
                runLength(p, end, starter);
                out_ += eraName();
                break;
            case 'E': {
                const int count = runLength(p, end, starter);
                decodeDate();
                if (count <= 2)
                    appendNumber(out_, year_ % 100, count == 1 ? 1 : 2);
                else
                    appendNumber(out_, year_, 4);
                break;
            }
            case 'M': {
                const int count = runLength(p, end, starter);
                decodeDate();
                if (count <= 2)
                    appendNumber(out_, month_, count);
                else if (month_ >= 1)
                    out_ += count == 3 ? settings_.ShortMonthNames[month_ - 1] : settings_.LongMonthNames[month_ - 1];
                break;
            }
            case 'D': {
                const int count = runLength(p, end, starter);
                if (count <= 2) {
                    decodeDate();
                    appendNumber(out_, day_, count);
                } else if (count <= 4) {
                    const int dow = DayOfWeek(value_);
                    if (dow >= 1)
                        out_ += count == 3 ? settings_.ShortDayNames[dow - 1] : settings_.LongDayNames[dow - 1];
                } else {
                    append(count == 5 ? settings_.ShortDateFormat : settings_.LongDateFormat, level + 1);
                }
                break;
            }
            case 'H': {
                const int count = runLength(p, end, starter);
                decodeTime();
                if (!use12Hour)
                    use12Hour = followedByAmPm(p, end);
                int h = hour_;
                if (use12Hour) {
                    if (h == 0)
                        h = 12;
                    else if (h > 12)
                        h -= 12;
                }
                appendNumber(out_, h, count > 1 ? 2 : 1);
                break;
            }
            case 'N': {
                const int count = runLength(p, end, starter);
                decodeTime();
                appendNumber(out_, minute_, count > 1 ? 2 : 1);
                break;
            }
            case 'S': {
                const int count = runLength(p, end, starter);
                decodeTime();
                appendNumber(out_, second_, count > 1 ? 2 : 1);
                break;
            }
            case 'Z': {
                const int count = runLength(p, end, starter);
                decodeTime();
                appendNumber(out_, msec_, count > 1 ? 3 : 1);
                break;
            }
            case 'T': {
                const int count = runLength(p, end, starter);
                append(count == 1 ? settings_.ShortTimeFormat : settings_.LongTimeFormat, level + 1);
                break;
            }
            case 'A':
                appendAmPm(p, end, use12Hour);
                break;
            case 'C': {
                runLength(p, end, starter);
                append(settings_.ShortDateFormat, level + 1);
                decodeTime();
                if (hour_ != 0 || minute_ != 0 || second_ != 0 || msec_ != 0) {
                    out_ += QLatin1Char(' ');
                    append(settings_.LongTimeFormat, level + 1);
                }
                break;
            }
            default:
                if (starter == QLatin1Char('/')) {
                    if (!settings_.DateSeparator.isNull())
                        out_ += settings_.DateSeparator;
                } else if (starter == QLatin1Char(':')) {
                    if (!settings_.TimeSeparator.isNull())
                        out_ += settings_.TimeSeparator;
                } else if (starter == QLatin1Char('\'') || starter == QLatin1Char('"')) {
                    const QChar* text = p;
                    while (p < end && *p != starter)
                        ++p;
                    out_.append(text, p - text);
                    if (p < end)
                        ++p;
                } else {
                    out_ += starter;
                }
                break;
            }
        }
    }

private:
    // Consumes the rest of a run of the same character; returns the run's length.
    static int runLength(const QChar*& p, const QChar* end, QChar starter)
    {
        int count = 1;
        while (p < end && *p == starter) {
            ++p;
            ++count;
        }
        return count;
    }

    // An hour code uses the 12-hour clock when the next unquoted "a" code after
    // it (before any further hour code) is am/pm, a/p or ampm.
    static bool followedByAmPm(const QChar* p, const QChar* end)
    {
        bool betweenQuotes = false;
        for (; p < end; ++p) {
            const char c = upperAscii(*p);
            if (c == 'A' && !betweenQuotes)
                return matchesAt(p, end, "AM/PM") || matchesAt(p, end, "A/P") || matchesAt(p, end, "AMPM");
            if (c == 'H')
                return false;
            if (*p == QLatin1Char('\'') || *p == QLatin1Char('"'))
                betweenQuotes = !betweenQuotes;
        }
        return false;
    }

    void appendAmPm(const QChar*& p, const QChar* end, bool& use12Hour)
    {
        const QChar* start = p - 1;
        if (matchesAt(start, end, "AM/PM")) {
            decodeTime();
            // The letters keep the case they have in the picture.
            out_.append(hour_ >= 12 ? start + 3 : start, 2);
            p = start + 5;
            use12Hour = true;
        } else if (matchesAt(start, end, "A/P")) {
            decodeTime();
            out_.append(hour_ >= 12 ? start + 2 : start, 1);
            p = start + 3;
            use12Hour = true;
        } else if (matchesAt(start, end, "AMPM")) {
            decodeTime();
            out_ += hour_ < 12 ? settings_.TimeAMString : settings_.TimePMString;
            p = start + 4;
            use12Hour = true;
        } else if (matchesAt(start, end, "AAAA")) {
            const int dow = DayOfWeek(value_);
            if (dow >= 1)
                out_ += settings_.LongDayNames[dow - 1];
            p = start + 4;
        } else if (matchesAt(start, end, "AAA")) {
            const int dow = DayOfWeek(value_);
            if (dow >= 1)
                out_ += settings_.ShortDayNames[dow - 1];
            p = start + 3;
        } else {
            out_ += *start;
        }
    }

    void decodeDate()
    {
        if (!dateDecoded_) {
            DecodeDate(value_, year_, month_, day_);
            dateDecoded_ = true;
        }
    }

    void decodeTime()
    {
        if (!timeDecoded_) {
            DecodeTime(value_, hour_, minute_, second_, msec_);
            timeDecoded_ = true;
        }
    }

    TDateTime value_;
    const TFormatSettings& settings_;
    QString& out_;
    bool dateDecoded_ = false;
    bool timeDecoded_ = false;
    int year_ = 0, month_ = 0, day_ = 0;
    int hour_ = 0, minute_ = 0, second_ = 0, msec_ = 0;
};

} // namespace

QString FormatDateTime(const QString& format, TDateTime value, const TFormatSettings& settings)
{
    QString out;
    out.reserve(format.size() + 16);
    DateTimeWriter writer(value, settings, out);
    if (format.isEmpty())
        writer.append(QStringLiteral("c"), 0);
    else
        writer.append(format, 0);
    return out;
}

QString FormatDateTime(const QString& format, TDateTime value)
{
    return FormatDateTime(format, value, globalFormatSettings());
}

QString DateToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.ShortDateFormat, value, settings);
}

QString TimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(settings.LongTimeFormat, value, settings);
}

QString DateTimeToStr(TDateTime value, const TFormatSettings& settings)
{
    return FormatDateTime(QString(), value, settings);
}

QString DateToStr(TDateTime value)
{
    return DateToStr(value, globalFormatSettings());
}

QString TimeToStr(TDateTime value)
{
    return TimeToStr(value, globalFormatSettings());
}

QString DateTimeToStr(TDateTime value)
{
    return DateTimeToStr(value, globalFormatSettings());
}

} // namespace velta
