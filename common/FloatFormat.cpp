// FloatToStr and FloatToStrF: the framework's float formats with the decimal
// and thousand separators of the given settings.
#include "common/FloatDecimal.h"
#include "common/SysUtils.h"

#include <algorithm>
#include <cstdlib>

namespace velta {

namespace {

bool appendSpecial(QString& out, const FloatDecimal& d)
{
    switch (d.kind) {
    case FloatDecimal::Kind::NaN:
        out += QLatin1String("NAN");
        return true;
    case FloatDecimal::Kind::PositiveInfinity:
        out += QLatin1String("INF");
        return true;
    case FloatDecimal::Kind::NegativeInfinity:
        out += QLatin1String("-INF");
        return true;
    case FloatDecimal::Kind::Number:
        break;
    }
    return false;
}

void appendExponent(QString& out, int exponent, int minDigits, bool alwaysSign)
{
    out += QLatin1Char('E');
    if (exponent < 0)
        out += QLatin1Char('-');
    else if (alwaysSign)
        out += QLatin1Char('+');
    const QString digits = QString::number(std::abs(exponent));
    for (qsizetype i = digits.size(); i < minDigits; ++i)
        out += QLatin1Char('0');
    out += digits;
}

// The integer digits of d (at least "0"), grouped by the thousand separator when asked.
void appendIntegerPart(QString& out, const FloatDecimal& d, QChar thousandSeparator, bool grouped)
{
    if (d.exponent <= 0) {
        out += QLatin1Char('0');
        return;
    }
    for (int i = 0; i < d.exponent; ++i) {
        out += QLatin1Char(d.digit(i));
        const int left = d.exponent - 1 - i;
        if (grouped && left > 0 && left % 3 == 0 && !thousandSeparator.isNull())
            out += thousandSeparator;
    }
}

void appendFraction(QString& out, const FloatDecimal& d, int places, QChar decimalSeparator)
{
    if (places <= 0)
        return;
    out += decimalSeparator;
    for (int i = 0; i < places; ++i)
        out += QLatin1Char(d.digit(d.exponent + i));
}

QString formatGeneral(double value, int precision, int digits, const TFormatSettings& settings)
{
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 4);
    const FloatDecimal d = toFloatDecimal(value, precision, kNoDecimalLimit);
    QString out;
    if (appendSpecial(out, d))
        return out;
    if (d.isZero())
        return QStringLiteral("0");
    if (d.negative)
        out += QLatin1Char('-');
    if (d.exponent > precision || d.exponent < -3) {
        out += QLatin1Char(d.digits[0]);
        if (d.count > 1) {
            out += settings.DecimalSeparator;
            for (int i = 1; i < d.count; ++i)
                out += QLatin1Char(d.digits[i]);
        }
        appendExponent(out, d.exponent - 1, digits, false);
        return out;
    }
    appendIntegerPart(out, d, settings.ThousandSeparator, false);
    appendFraction(out, d, std::max(d.count - d.exponent, 0), settings.DecimalSeparator);
    return out;
}

QString formatExponent(double value, int precision, int digits, const TFormatSettings& settings)
{
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 4);
    const FloatDecimal d = toFloatDecimal(value, precision, kNoDecimalLimit);
    QString out;
    if (appendSpecial(out, d))
        return out;
    if (d.negative)
        out += QLatin1Char('-');
    out += QLatin1Char(d.digit(0));
    if (precision > 1) {
        out += settings.DecimalSeparator;
        for (int i = 1; i < precision; ++i)
            out += QLatin1Char(d.digit(i));
    }
    appendExponent(out, d.isZero() ? 0 : d.exponent - 1, digits, true);
    return out;
}

// Fixed and number formats: `digits` places after the decimal point.
QString formatFixed(double value, int precision, int digits, bool grouped, const TFormatSettings& settings)
{
    precision = std::clamp(precision, 1, 18);
    digits = std::clamp(digits, 0, 18);
    const FloatDecimal d = toFloatDecimal(value, precision, digits);
    QString out;
    if (appendSpecial(out, d))
        return out;
    // More integer digits than the precision can carry: scientific form.
    if (d.exponent > precision)
        return formatGeneral(value, precision, 0, settings);
    if (d.negative)
        out += QLatin1Char('-');
    appendIntegerPart(out, d, settings.ThousandSeparator, grouped);
    appendFraction(out, d, digits, settings.DecimalSeparator);
    return out;
}

QString formatCurrency(double value, int precision, int digits, const TFormatSettings& settings)
{
    const QString number = formatFixed(std::abs(value), precision, digits, true, settings);
    const QString& cur = settings.CurrencyString;
    const bool negative = value < 0 && toFloatDecimal(value, std::clamp(precision, 1, 18),
                                                      std::clamp(digits, 0, 18)).count > 0;
    if (!negative) {
        switch (settings.CurrencyFormat) {
        case 0: return cur + number;
        case 2: return cur + QLatin1Char(' ') + number;
        case 3: return number + QLatin1Char(' ') + cur;
        default: return number + cur;
        }
    }
    const QString minus = QStringLiteral("-");
    switch (settings.NegCurrFormat) {
    case 0: return QLatin1Char('(') + cur + number + QLatin1Char(')');
    case 1: return minus + cur + number;
    case 2: return cur + minus + number;
    case 3: return cur + number + minus;
    case 4: return QLatin1Char('(') + number + cur + QLatin1Char(')');
    case 6: return number + minus + cur;
    case 7: return number + cur + minus;
    case 8: return minus + number + QLatin1Char(' ') + cur;
    case 9: return minus + cur + QLatin1Char(' ') + number;
    case 10: return number + QLatin1Char(' ') + cur + minus;
    case 11: return cur + QLatin1Char(' ') + number + minus;
    case 12: return cur + QLatin1Char(' ') + minus + number;
    case 13: return number + minus + QLatin1Char(' ') + cur;
    case 14: return QLatin1String("(") + cur + QLatin1Char(' ') + number + QLatin1Char(')');
    case 15: return QLatin1Char('(') + number + QLatin1Char(' ') + cur + QLatin1Char(')');
    default: return minus + number + cur;
    }
}

} // namespace

QString FloatToStrF(double value, FloatFormat format, int precision, int digits, const TFormatSettings& settings)
{
    switch (format) {
    case FloatFormat::General:
        return formatGeneral(value, precision, digits, settings);
    case FloatFormat::Exponent:
        return formatExponent(value, precision, digits, settings);
    case FloatFormat::Fixed:
        return formatFixed(value, precision, digits, false, settings);
    case FloatFormat::Number:
        return formatFixed(value, precision, digits, true, settings);
    case FloatFormat::Currency:
        return formatCurrency(value, precision, digits, settings);
    }
    return {};
}

QString FloatToStr(double value, const TFormatSettings& settings)
{
    return formatGeneral(value, 15, 0, settings);
}

QString FloatToStr(double value)
{
    return FloatToStr(value, globalFormatSettings());
}

} // namespace velta
