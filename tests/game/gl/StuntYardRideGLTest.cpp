#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/MotorCycle.h"
#include "game/RagDude.h"
#include "game/SpawnPlacement.h"
#include "game/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/tvWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

using platform::Quaternion;
using platform::Vector3;
using testsupport::FramePixel;
using testsupport::HeadlessGame;

namespace
{

constexpr double kFrame = 1.0 / 30.0;
constexpr const char* kStuntYard = "Worlds\\stunt_yard.xml";

// Keys of the scripted keyboard, in its object order.
enum Key
{
    kW,
    kA,
    kS,
    kD,
    kC,
    kR,
    kKeyCount = 9
};

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

// As the reset places it: the spawn point moved there, the bike put on it facing -z, standing still.
void StartAt(tvWorld& world, MotorCycle& bike, const Vector3& at)
{
    auto* spawn = dynamic_cast<kaSpawnPoint*>(world.FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(spawn, nullptr);
    spawn->SetPosition(at);
    // Twice: the lowest point is measured as the bike stands, and a leaning bike stands lower than upright.
    for (int placing = 0; placing < 2; ++placing)
        ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(world, bike));
    bike.StopMotion();
}

class StuntYardRideGLTest : public ::testing::Test
{
protected:
    StuntYardRideGLTest() : m_Keyboard(gametest::Keyboard()), m_Game(Options(m_Keyboard)) {}

    static HeadlessGame::Options Options(const gametest::Script& keyboard)
    {
        HeadlessGame::Options options;
        options.realGraphics = true;
        options.devices = {gametest::Mouse(), keyboard};
        return options;
    }

    void Hold(const std::vector<Key>& keys)
    {
        std::vector<int32_t> reading(kKeyCount, 0);
        for (Key key : keys)
            reading[key] = 1;
        m_Keyboard->PushReading(reading);
    }

    // Game frames of 1/30 s; the check runs after each and stops them when it answers true.
    bool Frames(int count, const std::function<bool()>& until = nullptr)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            m_Game.Clock().AdvanceSeconds(kFrame);
            if (!m_Game.Frame())
                return false;
            if (until && until())
                return true;
        }
        return !until;
    }

    gametest::Script m_Keyboard;
    HeadlessGame m_Game;
};

} // namespace

// The generated motorcycle ridden with the keys on the stunt yard, drawn through OpenGL: it rides with the
// rider's feet up, throws its rider on the bar, takes the rider back on "R", rides again and leans into a
// turn.
TEST_F(StuntYardRideGLTest, TheBikeThrowsItsRiderOnTheBarTakesHimBackOnResetAndLeansIntoATurn)
{
    ASSERT_TRUE(m_Game.Start());
    m_Game.SetClockStep(0.0);
    Hold({});
    Tarvolin& app = m_Game.App();
    app.SetGameMode(0);
    app.SetLevelPathCopy(kStuntYard);
    app.SetLevelPath(kStuntYard);
    app.SetVehicleName("Motorcycle");
    app.StartCourse();
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    auto* bike = dynamic_cast<MotorCycle*>(app.GetPlayerVehicle());
    ASSERT_NE(bike, nullptr);
    m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    ASSERT_TRUE(Frames(tvWorld::kPracticeStartFrames + 2));
    ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    ASSERT_NE(bike->GetRagdoll(), nullptr);
    kaEntityModel* rider = bike->GetRider();
    ASSERT_NE(rider, nullptr);

    // Lined up with the bar down a clear run, the throttle held: it rides with the feet up.
    StartAt(*world, *bike, Vector3(20.0f, 0.0f, 10.0f));
    Hold({kW});
    ASSERT_TRUE(Frames(120, [&] { return bike->GetFeetState() == MotorCycle::kRiding; }));
    ASSERT_TRUE(Frames(3));
    EXPECT_EQ(bike->GetFeetState(), MotorCycle::kRiding);
    EXPECT_FALSE(bike->IsRagdolled());

    // Into the bar: the rider is thrown, the rag doll shown, nothing steered.
    const bool thrown = Frames(150, [&] { return bike->IsRagdolled(); });
    ASSERT_TRUE(thrown);
    EXPECT_FALSE(rider->IsVisible());
    EXPECT_TRUE(bike->GetRagdoll()->IsVisible());
    EXPECT_EQ(world->GetSelectedEntity(), nullptr);
    const platform::FrameCapture falling = m_Game.Capture();
    ASSERT_TRUE(Frames(20));
    EXPECT_TRUE(bike->IsRagdolled());
    EXPECT_EQ(world->GetSelectedEntity(), nullptr);
    // The camera follows the rag doll as it falls.
    EXPECT_GT(ChangedInTheMiddle(falling, m_Game.Capture()), 20);

    // "R": the rider back on the bike at the start (moved to a clear lane), which drives again once its
    // grace has run out.
    dynamic_cast<kaSpawnPoint*>(world->FindEntityByName(kaSpawnPoint::kName))
        ->SetPosition(Vector3(-5.0f, 0.0f, 18.0f));
    Hold({kR});
    ASSERT_TRUE(Frames(2));
    Hold({});
    EXPECT_TRUE(bike->IsMounted());
    EXPECT_TRUE(rider->IsVisible());
    EXPECT_FALSE(bike->GetRagdoll()->IsVisible());
    EXPECT_EQ(world->GetSelectedEntity(), bike);
    EXPECT_FALSE(bike->IsCollidable());
    ASSERT_TRUE(Frames(70));
    EXPECT_TRUE(bike->IsCollidable());
    EXPECT_EQ(bike->GetGraceTime(), 0.0f);
    const Vector3 reset = bike->GetPosition();
    Hold({kW});
    ASSERT_TRUE(Frames(120, [&] { return bike->GetFeetState() == MotorCycle::kRiding; }));
    ASSERT_TRUE(Frames(10));
    EXPECT_LT(bike->GetPosition().z, reset.z - 3.0f);
    EXPECT_TRUE(bike->IsMounted());
    const platform::FrameCapture straight = m_Game.Capture();

    // A turn: the rider leans, the bike tilts to the side, and the rider's pixels move.
    Hold({kW, kD});
    float lean = 0.0f;
    float tilt = 0.0f;
    for (int frame = 0; frame < 10; ++frame)
    {
        ASSERT_TRUE(Frames(1));
        lean = std::max(lean, std::fabs(bike->GetLean()));
        tilt = std::max(tilt, std::fabs(bike->GetUpAxis().x));
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
