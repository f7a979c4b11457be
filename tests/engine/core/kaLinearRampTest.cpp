#include "engine/core/kaLinearRamp.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(LinearRampTest, HoldsTheEndsOutsideTheInputRange)
{
    const kaLinearRamp fade(0.0f, 2.0f, -1000.0f, 0.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(fade, -1.0f), -1000.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(fade, 0.0f), -1000.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(fade, 0.5f), -750.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(fade, 2.0f), 0.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(fade, 9.0f), 0.0f);
}

TEST(LinearRampTest, WorksWithAFallingOutputAndAnOffsetInput)
{
    const kaLinearRamp ramp(0.25f, 2000.0f, 2.0f, 1.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(ramp, 1000.125f), 1.5f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(ramp, 0.0f), 2.0f);
}

TEST(LinearRampTest, AnEmptyInputRangeIsAStepNotANan)
{
    const kaLinearRamp instant(3.0f, 3.0f, 0.0f, 1.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(instant, 2.0f), 0.0f);
    EXPECT_FLOAT_EQ(kaLinearRamp::Evaluate(instant, 3.0f), 1.0f);
    EXPECT_FALSE(std::isnan(kaLinearRamp::Evaluate(instant, 3.0f)));
}
