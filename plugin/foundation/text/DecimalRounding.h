#pragma once
// Rounding of binary floating-point values to decimal digits, treating values
// meant to lie on a decimal boundary (2.675, held as slightly less) as lying on
// it: the boundary is widened by a relative error allowance before rounding.
// The allowance is bounded to an eighth of a unit of the last kept place, so a
// large value is never moved by a whole unit and a whole value stays whole.

namespace velta {

enum class TDecimalRoundingCtrl {
    None = 0,          // value returned unchanged
    HalfEven = 1,      // half to even (banker's)
    HalfPos = 2,       // half toward plus infinity
    HalfNeg = 3,       // half toward minus infinity
    HalfDown = 4,      // half toward zero
    HalfUp = 5,        // half away from zero
    RndNeg = 6,        // toward minus infinity (floor)
    RndPos = 7,        // toward plus infinity (ceiling)
    RndDown = 8,       // toward zero (truncate)
    RndUp = 9          // away from zero
};

// The default allowance: the double with the bits 3CC3C0000001E5ED.
extern const double DefaultMaxRelErr;

// Rounds Value to Digits decimal fraction digits (negative Digits round to
// tens, hundreds, ...). MaxRelErr must be greater than zero (EAssertionFailed).
long double DecimalRound(long double value, int digits, double maxRelErr, TDecimalRoundingCtrl control);
long double DecimalRoundDefault(long double value, int digits, TDecimalRoundingCtrl control);

} // namespace velta
