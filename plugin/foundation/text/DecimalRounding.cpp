#include "plugin/foundation/text/DecimalRounding.h"

#include "common/Exception.h"

#include <bit>
#include <cmath>
#include <cstdint>

namespace velta {

const double DefaultMaxRelErr = std::bit_cast<double>(std::uint64_t{0x3CC3C0000001E5EDull});

namespace {

// Nearest 64-bit integer, ties to even (the FPU's default rounding mode).
long double roundEven(long double x)
{
    return static_cast<long double>(std::llrintl(x));
}

bool isEven(long double x)
{
    return std::fmod(x, 2.0L) == 0.0L;
}

} // namespace

long double DecimalRound(long double value, int digits, double maxRelErr, TDecimalRoundingCtrl control)
{
    if (!std::isfinite(value) || control == TDecimalRoundingCtrl::None)
        return value;
    if (!(maxRelErr > 0))
        throw EAssertionFailed(QStringLiteral("MaxRelErr param in call to DecimalRound() must be greater than zero."));

    long double scale = 1.0L;
    for (int i = 0; i < std::abs(digits); ++i)
        scale *= 10.0L;

    long double allowance = std::fabs(value * static_cast<long double>(maxRelErr));
    long double scaled;
    if (digits >= 0) {
        scaled = value * scale;
        allowance *= scale;
    } else {
        scaled = value / scale;
        allowance /= scale;
    }

    const long double magnitude = std::fabs(scaled);
    // Past 2^63 an extended value has no fraction left at this scale, and the
    // 64-bit rounding below would overflow: the value is already rounded.
    if (magnitude >= 9.2e18L)
        return value;
    long double rounded = 0;
    bool restoreSign = false;
    switch (control) {
    case TDecimalRoundingCtrl::None:
        return value;
    case TDecimalRoundingCtrl::HalfEven: {
        const long double a = roundEven(scaled - allowance);
        rounded = isEven(a) ? a : roundEven(scaled + allowance);
        break;
    }
    case TDecimalRoundingCtrl::HalfPos: rounded = roundEven(scaled + allowance); break;
    case TDecimalRoundingCtrl::HalfNeg: rounded = roundEven(scaled - allowance); break;
    case TDecimalRoundingCtrl::HalfDown: rounded = roundEven(magnitude - allowance); restoreSign = true; break;
    case TDecimalRoundingCtrl::HalfUp: rounded = roundEven(magnitude + allowance); restoreSign = true; break;
    case TDecimalRoundingCtrl::RndNeg: rounded = roundEven(scaled + allowance - 0.5L); break;
    case TDecimalRoundingCtrl::RndPos: rounded = roundEven(scaled - allowance + 0.5L); break;
    case TDecimalRoundingCtrl::RndDown: rounded = roundEven(magnitude + allowance - 0.5L); restoreSign = true; break;
    case TDecimalRoundingCtrl::RndUp: rounded = roundEven(magnitude - allowance + 0.5L); restoreSign = true; break;
    }

    long double result = digits >= 0 ? rounded / scale : rounded * scale;
    if (restoreSign && value < 0)
        result = -result;
    return result;
}

long double DecimalRoundDefault(long double value, int digits, TDecimalRoundingCtrl control)
{
    return DecimalRound(value, digits, DefaultMaxRelErr, control);
}

} // namespace velta
