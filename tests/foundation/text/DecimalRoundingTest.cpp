#include "plugin/foundation/text/DecimalRounding.h"

#include "common/Exception.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

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
