#include "game/app/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/MotorCycle.h"
#include "game/vehicles/RagDude.h"
#include "game/world/tvWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/StuntYardRide.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using platform::Vector3;
using testsupport::FramePixel;

namespace
{

// Pixels of the frame's middle third that differ by more than a little between two frames.
int ChangedInTheMiddle(const platform::FrameCapture& a, const platform::FrameCapture& b)
{
    int changed = 0;
    for (uint32_t y = a.Height / 3; y < 2 * a.Height / 3; y += 8)
        for (uint32_t x = a.Width / 3; x < 2 * a.Width / 3; x += 8)
            if (!testsupport::Near(FramePixel(a, int(x), int(y)), FramePixel(b, int(x), int(y))))
                ++changed;
    return changed;
}

class StuntYardRideGLTest : public gametest::StuntYardRide
{
protected:
    StuntYardRideGLTest() : StuntYardRide(true) {}
};

} // namespace

// The generated motorcycle ridden with the keys on the stunt yard, drawn through OpenGL: it rides with the
// rider's feet up, throws its rider on the bar, takes the rider back on "R", rides again and leans into a
// turn.
TEST_F(StuntYardRideGLTest, TheBikeThrowsItsRiderOnTheBarTakesHimBackOnResetAndLeansIntoATurn)
{
    ASSERT_NO_FATAL_FAILURE(StartOnTheYard());
    ASSERT_NE(m_Bike->GetRagdoll(), nullptr);
    kaEntityModel* rider = m_Bike->GetRider();
    ASSERT_NE(rider, nullptr);

    // Lined up with the bar down a clear run, the throttle held: it rides with the feet up.
    ASSERT_NO_FATAL_FAILURE(StartAt(Vector3(20.0f, 0.0f, 10.0f)));
    Hold({gametest::kW});
    ASSERT_TRUE(Frames(120, [&] { return m_Bike->GetFeetState() == MotorCycle::kRiding; }));
    ASSERT_TRUE(Frames(3));
    EXPECT_EQ(m_Bike->GetFeetState(), MotorCycle::kRiding);
    EXPECT_FALSE(m_Bike->IsRagdolled());

    // Into the bar: the rider is thrown, the rag doll shown, nothing steered.
    const bool thrown = Frames(150, [&] { return m_Bike->IsRagdolled(); });
    ASSERT_TRUE(thrown);
    EXPECT_FALSE(rider->IsVisible());
    EXPECT_TRUE(m_Bike->GetRagdoll()->IsVisible());
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    const platform::FrameCapture falling = m_Game.Capture();
    ASSERT_TRUE(Frames(20));
    EXPECT_TRUE(m_Bike->IsRagdolled());
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    // The camera follows the rag doll as it falls.
    EXPECT_GT(ChangedInTheMiddle(falling, m_Game.Capture()), 20);

    // "R": the rider back on the bike at the start (moved to a clear lane), which drives again once its
    // grace has run out.
    ASSERT_NO_FATAL_FAILURE(MoveSpawnPoint(Vector3(-5.0f, 0.0f, 18.0f)));
    Hold({gametest::kR});
    ASSERT_TRUE(Frames(2));
    Hold({});
    EXPECT_TRUE(m_Bike->IsMounted());
    EXPECT_TRUE(rider->IsVisible());
    EXPECT_FALSE(m_Bike->GetRagdoll()->IsVisible());
    EXPECT_EQ(m_World->GetSelectedEntity(), m_Bike);
    EXPECT_FALSE(m_Bike->IsCollidable());
    ASSERT_TRUE(Frames(70));
    EXPECT_TRUE(m_Bike->IsCollidable());
    EXPECT_EQ(m_Bike->GetGraceTime(), 0.0f);
    const Vector3 reset = m_Bike->GetPosition();
    Hold({gametest::kW});
    ASSERT_TRUE(Frames(120, [&] { return m_Bike->GetFeetState() == MotorCycle::kRiding; }));
    ASSERT_TRUE(Frames(10));
    EXPECT_LT(m_Bike->GetPosition().z, reset.z - 3.0f);
    EXPECT_TRUE(m_Bike->IsMounted());
    const platform::FrameCapture straight = m_Game.Capture();

    // A turn: the rider leans, the bike tilts to the side, and the rider's pixels move.
    Hold({gametest::kW, gametest::kD});
    float lean = 0.0f;
    float tilt = 0.0f;
    for (int frame = 0; frame < 10; ++frame)
    {
        ASSERT_TRUE(Frames(1));
        lean = std::max(lean, std::fabs(m_Bike->GetLean()));
        tilt = std::max(tilt, std::fabs(m_Bike->GetUpAxis().x));
    }
    EXPECT_GT(lean, 0.5f);
    EXPECT_GT(tilt, 0.02f);
    const platform::FrameCapture turning = m_Game.Capture();
    EXPECT_GT(ChangedInTheMiddle(straight, turning), 20);
    // The yard is lit: the floor below the bike is no near-black.
    const testsupport::Rgb floor = FramePixel(turning, 400, 560);
    EXPECT_GT(floor.r + floor.g + floor.b, 90);
    EXPECT_TRUE(m_Game.Screenshot("stunt_yard_lean"));
}
