#pragma once
// FloatDecimal: a double as a rounded string of decimal digits with a sign and
// an exponent, the common ground of every float formatting function.
#include <array>
#include <cstdint>

namespace velta {

struct FloatDecimal {
    enum class Kind { Number, NaN, PositiveInfinity, NegativeInfinity };
    Kind kind = Kind::Number;
    bool negative = false;
    // The value is 0.d1d2d3... times ten to this power.
    int exponent = 0;
    // Significant digits as characters, trailing zeros removed; none for zero.
    std::array<char, 24> digits{};
    int count = 0;

    bool isZero() const { return kind == Kind::Number && count == 0; }
    // The digit at a position, '0' past the stored ones.
    char digit(int index) const { return index >= 0 && index < count ? digits[index] : '0'; }
};

// Rounds value to at most `precision` significant digits (1..18) and to at most
// `decimals` places after the decimal point (a large number for no limit), in
// one step at whichever of the two places comes first. Halves are rounded away
// from zero on the value's 15-digit form (more digits for a larger precision),
// which is how the value reads in FloatToStr.
FloatDecimal toFloatDecimal(double value, int precision, int decimals);

inline constexpr int kNoDecimalLimit = 9999;

} // namespace velta
