#include "engine/core/kaAngles.h"

#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cmath>
#include <limits>
#include <utility>

using kaAngles::kPi;
using kaAngles::kTwoPi;

namespace
{

constexpr float kEndlessAngle = std::numeric_limits<float>::infinity();
constexpr float kNoAngle = std::numeric_limits<float>::quiet_NaN();

// Stepping a turn at a time past about 1e8 never ends; these fail instead.
constexpr std::chrono::seconds kMostAngleTime(20);

// The angle less the turns, worked in double, where the product of a whole count and the float turn is exact.
float LessTurns(double angle, double turns)
{
    return static_cast<float>(angle - turns * static_cast<double>(kTwoPi));
}

TEST(AnglesTest, WrapLandsEveryFiniteAngleInAHalfTurnEitherSideAndLeavesTheRestAlone)
{
    testsupport::Watchdog watchdog(kMostAngleTime, "an angle was not wrapped");
    // Each angle with what stepping a turn at a time gives, or the exact remainder where stepping never ends.
    const std::pair<float, float> known[] = {{0.0f, 0.0f},
                                             {1.5f, 1.5f},
                                             {-2.5f, -2.5f},
                                             {kPi, kPi},
                                             {-kPi, -kPi},
                                             {FLT_MIN, FLT_MIN},
                                             {4.0f, 4.0f - kTwoPi},
                                             {-4.0f, -4.0f + kTwoPi},
                                             {9.0f, 9.0f - kTwoPi},
                                             {kPi + 0.001f, (kPi + 0.001f) - kTwoPi},
                                             {-kPi - 0.001f, (-kPi - 0.001f) + kTwoPi},
                                             {1000.0f, LessTurns(1000.0, 159.0)},
                                             {1e8f, LessTurns(1e8, 15915494.0)},
                                             {-1e8f, LessTurns(-1e8, -15915494.0)}};
    for (const auto& [angle, wrapped] : known)
        EXPECT_EQ(kaAngles::Wrap(angle), wrapped) << angle;
    // Past where a float holds a turn only the range is known; a wrapped angle wraps to itself.
    for (const float angle : {0.5f, -7.0f, 1e8f, 1e20f, -1e20f, 1e30f, 3.4e38f, -FLT_MAX})
    {
        const float wrapped = kaAngles::Wrap(angle);
        EXPECT_TRUE(std::isfinite(wrapped)) << angle;
        EXPECT_LE(std::fabs(wrapped), kPi) << angle;
        EXPECT_EQ(kaAngles::Wrap(wrapped), wrapped) << angle;
    }
    EXPECT_EQ(kaAngles::Wrap(kEndlessAngle), kEndlessAngle);
    EXPECT_EQ(kaAngles::Wrap(-kEndlessAngle), -kEndlessAngle);
    EXPECT_TRUE(std::isnan(kaAngles::Wrap(kNoAngle)));
}

// An angle whose distance from the reference is not finite says nothing of the turns between them: it is
// left as it is.
TEST(AnglesTest, NearTurnMovesAnAngleByWholeTurnsToWithinHalfATurnOfItsReference)
{
    testsupport::Watchdog watchdog(kMostAngleTime, "an angle was not wrapped");
    struct Case
    {
        float angle;
        float reference;
        // What stepping gives, or the angle itself past any finite distance; NaN where only the nearness is
        // known.
        float near;
    } cases[] = {{0.5f, 0.0f, 0.5f},
                 {kPi, 0.0f, kPi},
                 {3.0f, -3.0f, 3.0f - kTwoPi},
                 {-3.0f, 3.0f, -3.0f + kTwoPi},
                 {0.5f, 4.0f * kTwoPi, kNoAngle},
                 {-0.5f, -40.0f * kTwoPi, kNoAngle},
                 {0.5f, 1e8f, kNoAngle},
                 {0.5f, -1e20f, kNoAngle},
                 {1e20f, 0.25f, kNoAngle},
                 {3.4e38f, 1.0f, kNoAngle},
                 {0.5f, kEndlessAngle, 0.5f},
                 {0.5f, -kEndlessAngle, 0.5f},
                 {0.5f, kNoAngle, 0.5f},
                 {-3.4e38f, 3.4e38f, -3.4e38f},
                 {3.4e38f, -3.4e38f, 3.4e38f}};
    for (const Case& c : cases)
    {
        const float near = kaAngles::NearTurn(c.angle, c.reference);
        EXPECT_TRUE(std::isfinite(near)) << c.angle << " near " << c.reference;
        if (!std::isnan(c.near))
        {
            EXPECT_EQ(near, c.near) << c.angle << " near " << c.reference;
        }
        if (!std::isfinite(c.angle - c.reference))
            continue;
        // Within half a turn, give or take the rounding of values this large.
        const double off = static_cast<double>(near) - static_cast<double>(c.reference);
        EXPECT_LE(std::fabs(off), kPi + 1e-7 * std::fabs(c.reference)) << c.angle << " near " << c.reference;
    }
    // Whole turns off a reference of a few turns: the angle keeps its place on the circle.
    EXPECT_NEAR(kaAngles::NearTurn(0.5f, 4.0f * kTwoPi), 0.5f + 4.0f * kTwoPi, 1e-5f);
    EXPECT_NEAR(kaAngles::NearTurn(-0.5f, -40.0f * kTwoPi), -0.5f - 40.0f * kTwoPi, 1e-4f);
    EXPECT_TRUE(std::isnan(kaAngles::NearTurn(kNoAngle, 0.0f)));
    EXPECT_EQ(kaAngles::NearTurn(kEndlessAngle, 0.0f), kEndlessAngle);
}

} // namespace
