// StrToFloat: a decimal number with the settings' decimal separator, an
// optional sign and exponent, and blanks around it.
#include "common/Exception.h"
#include "common/SysUtils.h"

#include <QVarLengthArray>

#include <charconv>

namespace velta {

namespace {

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

} // namespace

bool TryStrToFloat(const QString& text, double& value, const TFormatSettings& settings)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    // Rebuilt in the C form (point, ASCII) for from_chars, which rounds correctly
    // and does not depend on the process locale.
    QVarLengthArray<char, 64> buf;
    auto put = [&buf](char c) { buf.append(c); };
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        put(text.at(i).toLatin1());
        ++i;
    }
    int mantissaDigits = 0;
    // The power of ten of the first significant digit, to tell overflow from underflow.
    long magnitude = 0;
    bool significant = false;
    while (i < n && isDigit(text.at(i))) {
        put(text.at(i).toLatin1());
        significant = significant || text.at(i) != QLatin1Char('0');
        if (significant)
            ++magnitude;
        ++mantissaDigits;
        ++i;
    }
    if (i < n && text.at(i) == settings.DecimalSeparator) {
        put('.');
        ++i;
        while (i < n && isDigit(text.at(i))) {
            put(text.at(i).toLatin1());
            if (!significant && text.at(i) == QLatin1Char('0'))
                --magnitude;
            significant = significant || text.at(i) != QLatin1Char('0');
            ++mantissaDigits;
            ++i;
        }
    }
    if (mantissaDigits == 0)
        return false;
    if (i < n && (text.at(i) == QLatin1Char('E') || text.at(i) == QLatin1Char('e'))) {
        put('e');
        ++i;
        bool negativeExponent = false;
        if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
            negativeExponent = text.at(i) == QLatin1Char('-');
            put(text.at(i).toLatin1());
            ++i;
        }
        int exponentDigits = 0;
        long exponent = 0;
        while (i < n && isDigit(text.at(i))) {
            put(text.at(i).toLatin1());
            if (exponent < 100000)
                exponent = exponent * 10 + (text.at(i).unicode() - u'0');
            ++exponentDigits;
            ++i;
        }
        magnitude += negativeExponent ? -exponent : exponent;
        if (exponentDigits == 0)
            return false;
    }
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    if (i != n)
        return false;
    double result = 0;
    const char* first = buf.constData();
    // from_chars takes no leading '+'.
    if (*first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, buf.constData() + buf.size(), result);
    // Too large for a double is not a value; a number too small to keep becomes zero.
    if (error == std::errc::result_out_of_range) {
        if (magnitude > 0)
            return false;
        result = 0;
    } else if (error != std::errc() || end != buf.constData() + buf.size()) {
        return false;
    }
    value = result;
    return true;
}

bool TryStrToFloat(const QString& text, double& value)
{
    return TryStrToFloat(text, value, globalFormatSettings());
}

double StrToFloat(const QString& text, const TFormatSettings& settings)
{
    double value = 0;
    if (!TryStrToFloat(text, value, settings))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(text));
    return value;
}

double StrToFloat(const QString& text)
{
    return StrToFloat(text, globalFormatSettings());
}

} // namespace velta
