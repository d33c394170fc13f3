#include "plugin/foundation/text/DecimalRounding.h"

#include "common/Exception.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace velta {

const double DefaultMaxRelErr = std::bit_cast<double>(std::uint64_t{0x3CC3C0000001E5EDull});

namespace {

// The widest allowance, in units of the last kept place. Below half a unit a
// whole value stays whole in every mode and nothing moves by a whole unit;
// an eighth still covers a double's own error wherever it can hold that place.
constexpr long double kMaxAllowance = 0.125L;

bool isEven(long double x)
{
    return std::fmod(x, 2.0L) == 0.0L;
}

// Nearest integer to whole + offset, ties to even, for a whole number and
// |offset| < 2. Rounding the small part alone keeps the offset's precision
// where the whole part is too large for the sum to hold it.
long double roundParts(long double whole, long double offset)
{
    const long double step = static_cast<long double>(std::llrintl(offset));
    long double result = whole + step;
    // offset - step is exact here; on a tie the even neighbour of the sum wins.
    const long double rest = offset - step;
    if (std::fabs(rest) == 0.5L && !isEven(result))
        result += 2 * rest;
    return result;
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
    // A relative allowance grows with the value; past half a unit it would
    // move whole values, so it is bounded.
    allowance = std::min(allowance, kMaxAllowance);

    const long double magnitude = std::fabs(scaled);
    // Past 2^63 an extended value has no fraction left at this scale: the
    // value is already rounded.
    if (magnitude >= 9.2e18L)
        return value;
    // Each rule rounds S + c; it is taken as S's whole part plus the rounding
    // of its fraction + c, so that a large S does not swallow c.
    const long double whole = std::trunc(scaled);
    const long double fraction = scaled - whole;
    const long double wholeMagnitude = std::fabs(whole);
    const long double fractionMagnitude = std::fabs(fraction);
    long double rounded = 0;
    bool restoreSign = false;
    switch (control) {
    case TDecimalRoundingCtrl::None:
        return value;
    case TDecimalRoundingCtrl::HalfEven: {
        const long double a = roundParts(whole, fraction - allowance);
        rounded = isEven(a) ? a : roundParts(whole, fraction + allowance);
        break;
    }
    case TDecimalRoundingCtrl::HalfPos: rounded = roundParts(whole, fraction + allowance); break;
    case TDecimalRoundingCtrl::HalfNeg: rounded = roundParts(whole, fraction - allowance); break;
    case TDecimalRoundingCtrl::HalfDown:
        rounded = roundParts(wholeMagnitude, fractionMagnitude - allowance);
        restoreSign = true;
        break;
    case TDecimalRoundingCtrl::HalfUp:
        rounded = roundParts(wholeMagnitude, fractionMagnitude + allowance);
        restoreSign = true;
        break;
    case TDecimalRoundingCtrl::RndNeg: rounded = roundParts(whole, fraction + allowance - 0.5L); break;
    case TDecimalRoundingCtrl::RndPos: rounded = roundParts(whole, fraction - allowance + 0.5L); break;
    case TDecimalRoundingCtrl::RndDown:
        rounded = roundParts(wholeMagnitude, fractionMagnitude + allowance - 0.5L);
        restoreSign = true;
        break;
    case TDecimalRoundingCtrl::RndUp:
        rounded = roundParts(wholeMagnitude, fractionMagnitude - allowance + 0.5L);
        restoreSign = true;
        break;
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
