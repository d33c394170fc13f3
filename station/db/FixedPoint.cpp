#include "station/db/FixedPoint.h"

#include "common/Exception.h"

#include <limits>

namespace velta::station {

QString fixedText(Currency value)
{
    const bool negative = value.scaled < 0;
    // Work on the unsigned magnitude so that the smallest int64 does not overflow.
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value.scaled)
                                             : static_cast<std::uint64_t>(value.scaled);
    QString text = QString::number(magnitude / 10000) + QLatin1Char('.')
        + QStringLiteral("%1").arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
    return negative ? QLatin1Char('-') + text : text;
}

Currency parseFixed(const QString& text)
{
    const auto fail = [&text]() -> Currency {
        throw EConvertError(QStringLiteral("'%1' is not a valid fixed-point value").arg(text));
    };
    const QString t = text.trimmed();
    int pos = 0;
    bool negative = false;
    if (pos < t.size() && (t[pos] == QLatin1Char('-') || t[pos] == QLatin1Char('+')))
        negative = t[pos++] == QLatin1Char('-');
    constexpr std::uint64_t limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    std::uint64_t scaled = 0;
    int digits = 0;
    int decimals = -1; // -1: no full stop seen yet
    bool roundUp = false;
    for (; pos < t.size(); ++pos) {
        const QChar c = t[pos];
        if (c == QLatin1Char('.') && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (!c.isDigit() || c.unicode() > '9')
            return fail();
        const unsigned digit = c.unicode() - '0';
        ++digits;
        if (decimals >= 4) { // beyond the fourth decimal only the fifth decides the rounding
            if (decimals == 4)
                roundUp = digit >= 5;
            ++decimals;
            continue;
        }
        if (scaled > (limit - digit) / 10)
            return fail();
        scaled = scaled * 10 + digit;
        if (decimals >= 0)
            ++decimals;
    }
    if (digits == 0)
        return fail();
    for (int d = decimals < 0 ? 0 : decimals; d < 4; ++d) {
        if (scaled > limit / 10)
            return fail();
        scaled *= 10;
    }
    if (roundUp) {
        if (scaled == limit)
            return fail();
        ++scaled;
    }
    const auto signedValue = static_cast<std::int64_t>(scaled);
    return Currency{negative ? -signedValue : signedValue};
}

Currency multiplyFixed(Currency value, Currency factor)
{
    return multiplyRounded(value, factor, 4);
}

Currency multiplyRounded(Currency value, Currency factor, int decimals)
{
    if (decimals < 0 || decimals > 4)
        throw EConvertError(QStringLiteral("Fixed-point rounding to %1 decimals").arg(decimals));
    // The product carries eight decimals; dropped are 4 + (4 - decimals) of them.
    __int128 unit = 10000;
    for (int d = decimals; d < 4; ++d)
        unit *= 10;
    const __int128 product = static_cast<__int128>(value.scaled) * factor.scaled;
    const __int128 half = product < 0 ? -(unit / 2) : unit / 2;
    const __int128 result = (product + half) / unit * (unit / 10000);
    if (result > std::numeric_limits<std::int64_t>::max() || result < std::numeric_limits<std::int64_t>::min())
        throw EConvertError(QStringLiteral("Fixed-point overflow"));
    return Currency{static_cast<std::int64_t>(result)};
}

} // namespace velta::station
