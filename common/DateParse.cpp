// StrToDate, StrToTime and StrToDateTime: reading dates and times typed by
// people in the order and with the separators of the given settings.
#include "common/Exception.h"
#include "common/SysUtils.h"

namespace velta {

namespace {

enum class DateOrder { MDY, DMY, YMD };

// The order of day, month and year is that of their first letters in the picture.
DateOrder dateOrder(const QString& picture)
{
    for (const QChar c : picture) {
        switch (c.toLatin1()) {
        case 'e': case 'E':
        case 'y': case 'Y':
            return DateOrder::YMD;
        case 'm': case 'M':
            return DateOrder::MDY;
        case 'd': case 'D':
            return DateOrder::DMY;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

class Scanner {
public:
    explicit Scanner(const QString& text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    qsizetype pos() const { return pos_; }

    void skipBlanks()
    {
        while (pos_ < text_.size() && text_.at(pos_) == QLatin1Char(' '))
            ++pos_;
    }

    // Reads up to the first value of 1000 or more, as the framework does, so an
    // over-long number leaves digits behind and the text fails to convert.
    bool number(int& value, int& digits)
    {
        skipBlanks();
        qsizetype i = pos_;
        int n = 0;
        while (i < text_.size() && n < 1000) {
            const char16_t c = text_.at(i).unicode();
            if (c < u'0' || c > u'9')
                break;
            n = n * 10 + (c - u'0');
            ++i;
        }
        if (i == pos_)
            return false;
        digits = static_cast<int>(i - pos_);
        pos_ = i;
        value = n;
        return true;
    }

    bool character(QChar c)
    {
        skipBlanks();
        if (pos_ < text_.size() && text_.at(pos_) == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool word(const QString& w)
    {
        skipBlanks();
        if (w.isEmpty() || pos_ + w.size() > text_.size())
            return false;
        if (QStringView(text_).mid(pos_, w.size()).compare(w, Qt::CaseInsensitive) != 0)
            return false;
        pos_ += w.size();
        return true;
    }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

int currentYear()
{
    int year = 0, month = 0, day = 0;
    DecodeDate(SystemNow(), year, month, day);
    return year;
}

bool scanDate(Scanner& in, TDateTime& date, const TFormatSettings& settings)
{
    const DateOrder order = dateOrder(settings.ShortDateFormat);
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!(in.number(n1, l1) && in.character(settings.DateSeparator) && in.number(n2, l2)))
        return false;
    int year = 0, month = 0, day = 0;
    if (in.character(settings.DateSeparator)) {
        if (!in.number(n3, l3))
            return false;
        int yearDigits = 0;
        switch (order) {
        case DateOrder::MDY: year = n3; yearDigits = l3; month = n1; day = n2; break;
        case DateOrder::DMY: year = n3; yearDigits = l3; month = n2; day = n1; break;
        case DateOrder::YMD: year = n1; yearDigits = l1; month = n2; day = n3; break;
        }
        if (yearDigits <= 2)
            year = expandTwoDigitYear(year, currentYear(), settings.TwoDigitYearCenturyWindow);
    } else {
        // Two numbers: day and month of the current year.
        year = currentYear();
        if (order == DateOrder::DMY) {
            day = n1;
            month = n2;
        } else {
            month = n1;
            day = n2;
        }
    }
    in.character(settings.DateSeparator);
    in.skipBlanks();
    return TryEncodeDate(year, month, day, date);
}

bool scanTime(Scanner& in, TDateTime& time, const TFormatSettings& settings)
{
    static const QString am = QStringLiteral("AM");
    static const QString pm = QStringLiteral("PM");
    int baseHour = -1;
    if (in.word(settings.TimeAMString) || in.word(am))
        baseHour = 0;
    else if (in.word(settings.TimePMString) || in.word(pm))
        baseHour = 12;
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    if (!in.number(hour, digits))
        return false;
    if (in.character(settings.TimeSeparator)) {
        if (!in.number(minute, digits))
            return false;
        if (in.character(settings.TimeSeparator)) {
            if (!in.number(second, digits))
                return false;
            if (in.character(settings.DecimalSeparator) && !in.number(msec, digits))
                return false;
        }
    }
    if (baseHour < 0) {
        if (in.word(settings.TimeAMString) || in.word(am))
            baseHour = 0;
        else if (in.word(settings.TimePMString) || in.word(pm))
            baseHour = 12;
    }
    if (baseHour >= 0) {
        if (hour == 0 || hour > 12)
            return false;
        if (hour == 12)
            hour = 0;
        hour += baseHour;
    }
    in.skipBlanks();
    return TryEncodeTime(hour, minute, second, msec, time);
}

[[noreturn]] void raiseConvert(const char* pattern, const QString& text)
{
    throw EConvertError(QString::fromUtf8(pattern).arg(text));
}

} // namespace

int expandTwoDigitYear(int year, int currentYear, int window)
{
    const int floorYear = currentYear - window;
    year += floorYear / 100 * 100;
    if (window > 0 && year < floorYear)
        year += 100;
    return year;
}

bool TryStrToDate(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    Scanner in(text);
    TDateTime date = 0;
    if (!scanDate(in, date, settings) || !in.atEnd())
        return false;
    value = date;
    return true;
}

bool TryStrToTime(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    Scanner in(text);
    TDateTime time = 0;
    if (!scanTime(in, time, settings) || !in.atEnd())
        return false;
    value = time;
    return true;
}

bool TryStrToDateTime(const QString& text, TDateTime& value, const TFormatSettings& settings)
{
    Scanner in(text);
    TDateTime date = 0;
    TDateTime time = 0;
    // Unlike the framework, text left over after the time is not ignored.
    if (scanDate(in, date, settings) && (in.atEnd() || (scanTime(in, time, settings) && in.atEnd()))) {
        value = date >= 0 ? date + time : date - time;
        return true;
    }
    return TryStrToTime(text, value, settings);
}

TDateTime StrToDate(const QString& text, const TFormatSettings& settings)
{
    TDateTime value = 0;
    if (!TryStrToDate(text, value, settings))
        raiseConvert("'%1' is not a valid date", text);
    return value;
}

TDateTime StrToTime(const QString& text, const TFormatSettings& settings)
{
    TDateTime value = 0;
    if (!TryStrToTime(text, value, settings))
        raiseConvert("'%1' is not a valid time", text);
    return value;
}

TDateTime StrToDateTime(const QString& text, const TFormatSettings& settings)
{
    TDateTime value = 0;
    if (!TryStrToDateTime(text, value, settings))
        raiseConvert("'%1' is not a valid date and time", text);
    return value;
}

TDateTime StrToDate(const QString& text)
{
    return StrToDate(text, globalFormatSettings());
}

TDateTime StrToTime(const QString& text)
{
    return StrToTime(text, globalFormatSettings());
}

TDateTime StrToDateTime(const QString& text)
{
    return StrToDateTime(text, globalFormatSettings());
}

} // namespace velta
