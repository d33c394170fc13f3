// StrToInt and Trim: integers in decimal or "$"/"0x" hexadecimal form, and
// trimming of blanks and control characters.
#include "common/Exception.h"
#include "common/Hex.h"
#include "common/SysUtils.h"

#include <limits>

namespace velta {

namespace {

// Reads an integer of at most `bits` bits. Decimal numbers must fit the signed
// range; hexadecimal ones may use the whole unsigned range and wrap into the
// signed one, as the framework reads "$FFFFFFFF" as -1.
bool parseInteger(const QString& text, int bits, std::int64_t& result)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        negative = text.at(i) == QLatin1Char('-');
        ++i;
    }
    bool hex = false;
    if (i < n && text.at(i) == QLatin1Char('$')) {
        hex = true;
        ++i;
    } else if (i + 1 < n && text.at(i) == QLatin1Char('0')
               && (text.at(i + 1) == QLatin1Char('x') || text.at(i + 1) == QLatin1Char('X'))) {
        hex = true;
        i += 2;
    }
    if (i == n)
        return false;

    const std::uint64_t unsignedMax = bits == 64 ? std::numeric_limits<std::uint64_t>::max()
                                                 : (std::uint64_t{1} << bits) - 1;
    std::uint64_t value = 0;
    for (; i < n; ++i) {
        const int digit = hex ? HexDigitValue(text.at(i).unicode())
                              : (text.at(i).unicode() >= u'0' && text.at(i).unicode() <= u'9'
                                     ? text.at(i).unicode() - u'0'
                                     : -1);
        if (digit < 0)
            return false;
        const unsigned base = hex ? 16 : 10;
        if (value > (unsignedMax - static_cast<unsigned>(digit)) / base)
            return false;
        value = value * base + static_cast<unsigned>(digit);
    }

    if (hex) {
        // Reinterpret the bit pattern as a signed number of the given width.
        std::int64_t signedValue = static_cast<std::int64_t>(value);
        if (bits < 64 && value >= (std::uint64_t{1} << (bits - 1)))
            signedValue = static_cast<std::int64_t>(value) - (std::int64_t{1} << bits);
        result = negative ? static_cast<std::int64_t>(0ULL - static_cast<std::uint64_t>(signedValue))
                          : signedValue;
        if (bits < 64)
            result = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
        return true;
    }
    const std::uint64_t limit = (std::uint64_t{1} << (bits - 1)) - (negative ? 0 : 1);
    if (value > limit)
        return false;
    result = negative ? static_cast<std::int64_t>(0ULL - value) : static_cast<std::int64_t>(value);
    return true;
}

[[noreturn]] void raiseInvalidInteger(const QString& text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
}

bool isTrimmed(QChar c)
{
    return c.unicode() <= 32;
}

} // namespace

bool TryStrToInt(const QString& text, int& value)
{
    std::int64_t result = 0;
    if (!parseInteger(text, 32, result))
        return false;
    value = static_cast<int>(result);
    return true;
}

bool TryStrToInt64(const QString& text, std::int64_t& value)
{
    return parseInteger(text, 64, value);
}

int StrToInt(const QString& text)
{
    int value = 0;
    if (!TryStrToInt(text, value))
        raiseInvalidInteger(text);
    return value;
}

int StrToIntDef(const QString& text, int defaultValue)
{
    int value = 0;
    return TryStrToInt(text, value) ? value : defaultValue;
}

std::int64_t StrToInt64(const QString& text)
{
    std::int64_t value = 0;
    if (!TryStrToInt64(text, value))
        raiseInvalidInteger(text);
    return value;
}

QString Trim(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isTrimmed(text.at(begin)))
        ++begin;
    while (end > begin && isTrimmed(text.at(end - 1)))
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

QString TrimLeft(const QString& text)
{
    qsizetype begin = 0;
    while (begin < text.size() && isTrimmed(text.at(begin)))
        ++begin;
    return begin == 0 ? text : text.mid(begin);
}

QString TrimRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && isTrimmed(text.at(end - 1)))
        --end;
    return end == text.size() ? text : text.left(end);
}

} // namespace velta
