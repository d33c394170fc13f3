#include "common/FloatDecimal.h"

#include <algorithm>
#include <cmath>
#include <charconv>
#include <cstdlib>

namespace velta {

namespace {

// Rounds the stored digits to keep digits, halves away from zero.
void roundDigits(FloatDecimal& d, int keep)
{
    if (keep >= d.count)
        return;
    if (keep < 0) {
        d.count = 0;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.count = keep;
    if (!up)
        return;
    int i = keep - 1;
    while (i >= 0 && d.digits[i] == '9') {
        d.digits[i] = '0';
        --i;
    }
    if (i >= 0) {
        ++d.digits[i];
    } else {
        // All nines carried over: 0.999 becomes 0.1 times ten more.
        d.digits[0] = '1';
        d.count = std::max(keep, 1);
        for (int k = 1; k < d.count; ++k)
            d.digits[k] = '0';
        ++d.exponent;
    }
}

void stripTrailingZeros(FloatDecimal& d)
{
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
}

} // namespace

FloatDecimal toFloatDecimal(double value, int precision, int decimals)
{
    FloatDecimal d;
    if (std::isnan(value)) {
        d.kind = FloatDecimal::Kind::NaN;
        return d;
    }
    if (std::isinf(value)) {
        d.kind = value > 0 ? FloatDecimal::Kind::PositiveInfinity : FloatDecimal::Kind::NegativeInfinity;
        return d;
    }
    if (value == 0)
        return d;

    precision = std::clamp(precision, 1, 18);
    const int printed = std::max(precision, 15);
    char buf[48];
    const auto written = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, printed - 1);
    *written.ptr = 0;

    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p != 'e' && *p != 0; ++p) {
        if (*p >= '0' && *p <= '9' && d.count < static_cast<int>(d.digits.size()))
            d.digits[d.count++] = *p;
    }
    d.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;

    // One rounding, at whichever limit comes first: rounding to the precision
    // and then again to the decimals would carry 0.8949999 up to 0.90.
    const int keep = decimals < kNoDecimalLimit ? std::min(precision, d.exponent + decimals) : precision;
    roundDigits(d, keep);
    stripTrailingZeros(d);
    if (d.count == 0) {
        d.negative = false;
        d.exponent = 0;
    }
    return d;
}

} // namespace velta
