#include "game/vehicles/MotorCycle.h"
#include "tests/support/game/StuntYardRide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using platform::Vector3;

namespace
{

// The generated motorcycle on the stunt yard, driven through the game's frames on the CPU device.
class MotorCycleRideTest : public gametest::StuntYardRide
{
protected:
    MotorCycleRideTest() : StuntYardRide(false) {}
};

} // namespace

// Ridden, its front wheel knocked aside, then slowed below riding speed: the fork goes back to centre and
// stays there, rather than running on at the last riding command to its stop.
TEST_F(MotorCycleRideTest, ASlowBikesForkComesBackToCentreAfterAKnockWhileRiding)
{
    ASSERT_NO_FATAL_FAILURE(StartOnTheYard());
    ASSERT_EQ(m_Bike->GetSteeringJoints().size(), 1u);
    kaJoint* fork = m_Bike->GetSteeringJoints().front();
    kaEntityPhysical* frontWheel = fork->GetOtherEnd(m_Bike);
    ASSERT_NE(frontWheel, nullptr);

    // A clear lane, facing -z.
    ASSERT_NO_FATAL_FAILURE(StartAt(Vector3(-5.0f, 0.0f, 18.0f)));

    Hold({gametest::kW});
    ASSERT_TRUE(Frames(120, [&] { return m_Bike->GetFeetState() == MotorCycle::kRiding; }));
    // A hard knock turns the front wheel about the bike's up axis; the riding law answers it for a frame.
    const dReal* r = dBodyGetRotation(m_Bike->GetBody());
    const dReal twist = 100.0;
    const dReal* w = dBodyGetAngularVel(frontWheel->GetBody());
    dBodySetAngularVel(frontWheel->GetBody(), w[0] + twist * r[1], w[1] + twist * r[5], w[2] + twist * r[9]);
    ASSERT_TRUE(Frames(1));
    ASSERT_EQ(m_Bike->GetFeetState(), MotorCycle::kRiding);
    ASSERT_GT(std::fabs(fork->GetAngle()), 0.2f);

    // Slowed at once below riding speed, nothing held.
    Hold({});
    m_Bike->SetLinearVelocity(0.0f, 0.0f, -2.0f);
    float furthest = 0.0f;
    for (int frame = 0; frame < 45; ++frame)
    {
        ASSERT_TRUE(Frames(1));
        ASSERT_NE(m_Bike->GetFeetState(), MotorCycle::kRiding);
        if (frame >= 15)
            furthest = std::max(furthest, std::fabs(fork->GetAngle()));
    }
    // Left at its last command the fork would sit at its stop, past the steering limit.
    EXPECT_LT(furthest, 0.02f);
}
