#include "plugin/receipts/template/ReceiptValueFormat.h"

#include "common/Exception.h"
#include "common/SysUtils.h"

#include <algorithm>
#include <cmath>

namespace velta::receipts {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A run of decimal digits as a width, saturating at the largest field.
int boundedWidth(QStringView digits)
{
    int width = 0;
    for (QChar c : digits) {
        width = width * 10 + (c.unicode() - '0');
        if (width > kMaxReceiptFieldWidth)
            return kMaxReceiptFieldWidth;
    }
    return width;
}

bool alignsLeft(QChar last)
{
    return last == QLatin1Char(' ') || last == QLatin1Char('S') || last == QLatin1Char('s')
        || last == QChar(0x041F) /* П */ || last == QChar(0x043F) /* п */;
}

QString padded(QString text, int width, bool alignLeft)
{
    if (text.size() >= width)
        return text;
    const QString spaces(width - text.size(), QLatin1Char(' '));
    return alignLeft ? text + spaces : spaces + text;
}

} // namespace

ReceiptNumberLayout ReceiptNumberLayout::read(const QString& format)
{
    ReceiptNumberLayout layout;
    const qsizetype point = format.indexOf(QLatin1Char('.'));
    if (point < 0)
        return layout;
    qsizetype digitsFrom = point;
    while (digitsFrom > 0 && isAsciiDigit(format.at(digitsFrom - 1)))
        --digitsFrom;
    layout.width = boundedWidth(QStringView(format).sliced(digitsFrom, point - digitsFrom));
    if (point + 1 < format.size() && isAsciiDigit(format.at(point + 1)))
        layout.precision = format.at(point + 1).unicode() - '0';
    layout.alignLeft = alignsLeft(format.back());
    return layout;
}

QString FormatReceiptNumber(double value, const QString& format, const TFormatSettings& settings)
{
    if (!std::isfinite(value))
        throw EConvertError(QStringLiteral("Invalid floating point value"));
    const ReceiptNumberLayout layout = ReceiptNumberLayout::read(format);
    // The same fixed notation as Format's "%.*f".
    const QString number = Trim(FloatToStrF(value, FloatFormat::Fixed, 15, layout.precision, settings));
    return padded(number, layout.width, layout.alignLeft);
}

QString FormatReceiptDateTime(TDateTime value, const QString& format, const TFormatSettings& settings)
{
    int year = 0, month = 0, day = 0;
    DecodeDate(value, year, month, day);
    if (year == 0)
        throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return FormatDateTime(format, value, settings);
}

QString FormatReceiptText(const QString& value, const QString& format)
{
    if (format.isEmpty() || !std::all_of(format.begin(), format.end(), isAsciiDigit))
        return value;
    const int width = boundedWidth(format);
    return value.size() >= width ? value.left(width) : padded(value, width, true);
}

} // namespace velta::receipts
