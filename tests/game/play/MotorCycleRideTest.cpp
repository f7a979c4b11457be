#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/scene/kaSpawnPoint.h"
#include "game/MotorCycle.h"
#include "game/SpawnPlacement.h"
#include "game/Tarvolin.h"
#include "game/tvWorld.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using platform::Vector3;
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
    kKeyCount = 9
};

// The generated motorcycle on the stunt yard, driven through the game's frames on the CPU device.
class MotorCycleRideTest : public ::testing::Test
{
protected:
    MotorCycleRideTest() : m_Keyboard(gametest::Keyboard()), m_Game(Options(m_Keyboard)) {}

    static HeadlessGame::Options Options(const gametest::Script& keyboard)
    {
        HeadlessGame::Options options;
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

// Ridden, its front wheel knocked aside, then slowed below riding speed: the fork goes back to centre and
// stays there, rather than running on at the last riding command to its stop.
TEST_F(MotorCycleRideTest, ASlowBikesForkComesBackToCentreAfterAKnockWhileRiding)
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
    ASSERT_EQ(bike->GetSteeringJoints().size(), 1u);
    kaJoint* fork = bike->GetSteeringJoints().front();
    kaEntityPhysical* frontWheel = fork->GetOtherEnd(bike);
    ASSERT_NE(frontWheel, nullptr);
    m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    ASSERT_TRUE(Frames(tvWorld::kPracticeStartFrames + 2));
    ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);

    // A clear lane, facing -z.
    auto* spawn = dynamic_cast<kaSpawnPoint*>(world->FindEntityByName(kaSpawnPoint::kName));
    ASSERT_NE(spawn, nullptr);
    spawn->SetPosition(Vector3(-5.0f, 0.0f, 18.0f));
    for (int placing = 0; placing < 2; ++placing)
        ASSERT_TRUE(SpawnPlacement::PlaceAtSpawnPoint(*world, *bike));
    bike->StopMotion();

    Hold({kW});
    ASSERT_TRUE(Frames(120, [&] { return bike->GetFeetState() == MotorCycle::kRiding; }));
    // A hard knock turns the front wheel about the bike's up axis; the riding law answers it for a frame.
    const dReal* r = dBodyGetRotation(bike->GetBody());
    const dReal twist = 100.0;
    const dReal* w = dBodyGetAngularVel(frontWheel->GetBody());
    dBodySetAngularVel(frontWheel->GetBody(), w[0] + twist * r[1], w[1] + twist * r[5], w[2] + twist * r[9]);
    ASSERT_TRUE(Frames(1));
    ASSERT_EQ(bike->GetFeetState(), MotorCycle::kRiding);
    ASSERT_GT(std::fabs(fork->GetAngle()), 0.2f);

    // Slowed at once below riding speed, nothing held.
    Hold({});
    bike->SetLinearVelocity(0.0f, 0.0f, -2.0f);
    float furthest = 0.0f;
    for (int frame = 0; frame < 45; ++frame)
    {
        ASSERT_TRUE(Frames(1));
        ASSERT_NE(bike->GetFeetState(), MotorCycle::kRiding);
        if (frame >= 15)
            furthest = std::max(furthest, std::fabs(fork->GetAngle()));
    }
    // Left at its last command the fork would sit at its stop, past the steering limit.
    EXPECT_LT(furthest, 0.02f);
}
