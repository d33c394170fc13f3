#include "plugin/foundation/text/DecimalRounding.h"

#include "common/Exception.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>
#include <random>

using namespace velta;
using C = TDecimalRoundingCtrl;

TEST(DecimalRound, ValuesMeantToLieOnABoundaryAreTreatedAsOnIt)
{
    // 2.675 is held slightly below the boundary; plain rounding would give 2.67.
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(2.675, 2, C::HalfUp)), 2.68);
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(2.665, 2, C::HalfEven)), 2.66);
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(2.675, 2, C::HalfEven)), 2.68);
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(1.005, 2, C::HalfUp)), 1.01);
}

TEST(DecimalRound, TiesFollowTheControl)
{
    EXPECT_EQ(DecimalRoundDefault(-2.5, 0, C::HalfUp), -3.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.5, 0, C::HalfDown), -2.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.5, 0, C::HalfPos), -2.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.5, 0, C::HalfNeg), -3.0L);
    EXPECT_EQ(DecimalRoundDefault(2.5, 0, C::HalfEven), 2.0L);
    EXPECT_EQ(DecimalRoundDefault(3.5, 0, C::HalfEven), 4.0L);
}

TEST(DecimalRound, DirectedModes)
{
    EXPECT_EQ(DecimalRoundDefault(2.71, 1, C::RndNeg), 27 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.71, 1, C::RndNeg), -28 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(2.71, 1, C::RndPos), 28 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.79, 1, C::RndDown), -27 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(-2.71, 1, C::RndUp), -28 / 10.0L);
    // A value on the boundary stays there in every directed mode.
    EXPECT_EQ(DecimalRoundDefault(2.7, 1, C::RndPos), 27 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(2.7, 1, C::RndNeg), 27 / 10.0L);
    EXPECT_EQ(DecimalRoundDefault(2.7, 1, C::RndUp), 27 / 10.0L);
}

TEST(DecimalRound, NegativeDigitsRoundToTensAndHundreds)
{
    EXPECT_EQ(DecimalRoundDefault(1234, -2, C::HalfUp), 1200.0L);
    EXPECT_EQ(DecimalRoundDefault(1250, -2, C::HalfUp), 1300.0L);
    EXPECT_EQ(DecimalRoundDefault(-1250, -2, C::HalfDown), -1200.0L);
}

constexpr C kAllControls[] = {C::HalfEven, C::HalfPos, C::HalfNeg, C::HalfDown, C::HalfUp,
                               C::RndNeg,   C::RndPos,  C::RndDown, C::RndUp};

TEST(DecimalRound, WholeValuesStayWholeAtAnyMagnitude)
{
    const long double wholes[] = {1e15L + 1, 1e13L, 123456789012345.0L, 9007199254740993.0L,
                                  4611686018427387905.0L, 9100000000000000001.0L, 3.0L, 0.0L};
    for (const C control : kAllControls) {
        for (const long double w : wholes) {
            for (const long double v : {w, -w}) {
                const int maxDigits = std::fabs(v) < 1e14L ? 4 : 0;
                for (int digits = 0; digits <= maxDigits; ++digits)
                    EXPECT_EQ(DecimalRoundDefault(v, digits, control), v)
                        << static_cast<int>(control) << " " << static_cast<double>(v) << " " << digits;
            }
        }
    }
}

TEST(DecimalRound, LargeValuesOffTheHalfRoundAsTheyLie)
{
    // A fraction more than an eighth away from the half and from the whole
    // numbers is never moved by the allowance, however large the value.
    std::mt19937_64 random(7);
    for (int i = 0; i < 3000; ++i) {
        const long double whole = static_cast<long double>(random() % (1ull << 52));
        const int sixtyFourths = static_cast<int>(9 + random() % 47); // 9/64 .. 55/64
        if (sixtyFourths >= 24 && sixtyFourths <= 40)
            continue;
        const long double fraction = sixtyFourths / 64.0L;
        const bool upper = fraction > 0.5L;
        for (const long double v : {whole + fraction, -(whole + fraction)}) {
            const bool negative = v < 0;
            const long double down = std::floor(v), up = std::ceil(v);
            const long double nearest = (upper != negative) ? up : down;
            const long double towardZero = negative ? up : down;
            const long double awayFromZero = negative ? down : up;
            const struct { C control; long double expected; } cases[] = {
                {C::HalfEven, nearest}, {C::HalfPos, nearest}, {C::HalfNeg, nearest},
                {C::HalfDown, nearest}, {C::HalfUp, nearest},  {C::RndNeg, down},
                {C::RndPos, up},        {C::RndDown, towardZero}, {C::RndUp, awayFromZero},
            };
            for (const auto& c : cases)
                ASSERT_EQ(DecimalRoundDefault(v, 0, c.control), c.expected)
                    << static_cast<int>(c.control) << " " << static_cast<double>(v);
        }
    }
}

TEST(DecimalRound, LargeExactHalvesStillFollowTheControl)
{
    // The allowance is bounded, not dropped: an exact half is decided by the
    // control, not by ties to even.
    const long double odd = 1e15L + 1;
    EXPECT_EQ(DecimalRoundDefault(odd + 0.5L, 0, C::HalfUp), odd + 1);
    EXPECT_EQ(DecimalRoundDefault(odd + 0.5L, 0, C::HalfDown), odd);
    EXPECT_EQ(DecimalRoundDefault(odd + 0.5L, 0, C::HalfNeg), odd);
    EXPECT_EQ(DecimalRoundDefault(-(odd + 0.5L), 0, C::HalfUp), -(odd + 1));
    EXPECT_EQ(DecimalRoundDefault(-(odd + 0.5L), 0, C::HalfPos), -odd);
    EXPECT_EQ(DecimalRoundDefault(odd + 0.5L, 0, C::HalfEven), odd + 1);
    EXPECT_EQ(DecimalRoundDefault(odd + 1.5L, 0, C::HalfEven), odd + 1);
    // 10000000000000.125 is held exactly; at two decimals it is a half.
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(10000000000000.125, 2, C::HalfUp)), 10000000000000.13);
    EXPECT_DOUBLE_EQ(double(DecimalRoundDefault(10000000000000.125, 2, C::HalfDown)), 10000000000000.12);
    // A caller's larger allowance is bounded the same way.
    EXPECT_EQ(DecimalRound(7.25L, 0, 0.1, C::HalfUp), 7.0L);
    EXPECT_EQ(DecimalRound(7.0L, 0, 0.1, C::HalfUp), 7.0L);
    EXPECT_EQ(DecimalRound(7.0L, 0, 0.1, C::RndNeg), 7.0L);
}

TEST(DecimalRound, PassThroughAndBadAllowance)
{
    EXPECT_EQ(DecimalRoundDefault(2.675, 2, C::None), static_cast<long double>(2.675));
    EXPECT_TRUE(std::isnan(DecimalRoundDefault(std::numeric_limits<double>::quiet_NaN(), 2, C::HalfUp)));
    EXPECT_TRUE(std::isinf(DecimalRoundDefault(std::numeric_limits<double>::infinity(), 2, C::HalfUp)));
    // Values too large to carry a fraction come back as they are instead of overflowing.
    EXPECT_EQ(DecimalRoundDefault(1e300, 2, C::HalfUp), static_cast<long double>(1e300));
    try {
        DecimalRound(1.0, 2, 0.0, C::HalfUp);
        FAIL() << "no assertion";
    } catch (const EAssertionFailed& e) {
        EXPECT_EQ(e.message(), QStringLiteral("MaxRelErr param in call to DecimalRound() must be greater than zero."));
    }
}

TEST(DecimalRound, DefaultAllowanceHasItsBits)
{
    EXPECT_DOUBLE_EQ(DefaultMaxRelErr, 5.481726184209375e-16);
}
