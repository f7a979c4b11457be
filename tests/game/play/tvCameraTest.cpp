#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/MotorCycle.h"
#include "game/vehicles/RagDude.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>

using platform::Vector3;
using testsupport::HeadlessGame;

namespace
{

constexpr double kCameraFrame = 1.0 / 30.0;
constexpr const char* kProvingGroundCourse = "Worlds\\proving_ground.xml";

HeadlessGame::Options WithSdlInput()
{
    HeadlessGame::Options options;
    options.sdlInput = true;
    return options;
}

// A practice run of the proving ground with the vehicle, its clock moved only by the test.
tvWorld* StartPractice(HeadlessGame& game, const char* vehicle)
{
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    app.SetGameMode(0);
    app.SetLevelPathCopy(kProvingGroundCourse);
    app.SetLevelPath(kProvingGroundCourse);
    app.SetVehicleName(vehicle);
    app.StartCourse();
    return dynamic_cast<tvWorld*>(app.GetCurrentWorld());
}

} // namespace

// Full throttle over the launch plate, which the rider rides, then a hard knock that throws him: the chase
// camera stays with the bike, and with the rag doll once the rider is thrown; the doll is a limp body lying
// on the course, not one frozen where it was made or buried under the rider.
TEST(tvCameraTest, TheChaseViewKeepsUpWithTheMotorcycleAndTheThrownRiderOverTheLaunchPlate)
{
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    Tarvolin& app = game.App();
    tvWorld* world = StartPractice(game, "Motorcycle");
    ASSERT_NE(world, nullptr);
    auto* bike = dynamic_cast<MotorCycle*>(app.GetPlayerVehicle());
    ASSERT_NE(bike, nullptr);
    tvCamera* camera = world->GetFollowCamera();
    ASSERT_NE(camera, nullptr);
    game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    auto frame = [&game]
    {
        game.Clock().AdvanceSeconds(kCameraFrame);
        return game.Frame();
    };
    for (int i = 0; i < tvWorld::kPracticeStartFrames + 2; ++i)
        ASSERT_TRUE(frame());
    ASSERT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    // The strip is flat: the bike stands on it at the start.
    const float ground = bike->GetPosition().y;

    // The chase eye sits 10 units from what it follows; easing after a fast bike adds a few.
    constexpr float kMostGap = 16.0f;
    game.KeyDown(SDL_SCANCODE_W);
    int thrownFrames = 0;
    Vector3 thrownAt;
    float dollTravel = 0.0f;
    Vector3 lastDoll;
    // Past the plate at full speed, well short of the strip's end, the rider is thrown as the hard-impact
    // rule throws him.
    constexpr int kThrowFrame = 75;
    for (int i = 0; i < kThrowFrame + 60; ++i)
    {
        SCOPED_TRACE(i);
        if (i == kThrowFrame)
        {
            ASSERT_TRUE(bike->TrySwitchToRagdoll());
        }
        ASSERT_TRUE(frame());
        const Vector3 eye = camera->GetPosition();
        if (!bike->IsRagdolled())
        {
            ASSERT_EQ(thrownFrames, 0) << "the rider is back on the bike without a reset";
            EXPECT_LE(platform::Vec3Length(bike->GetPosition() - eye), kMostGap);
            continue;
        }
        RagDude* doll = bike->GetRagdoll();
        ASSERT_NE(doll, nullptr);
        const Vector3 at = doll->GetBodyPosition();
        if (thrownFrames == 0)
            thrownAt = lastDoll = at;
        ++thrownFrames;
        dollTravel += platform::Vec3Length(at - lastDoll);
        lastDoll = at;
        EXPECT_LE(platform::Vec3Length(at - eye), kMostGap);
        // Its centre stays above the ground it lies on.
        EXPECT_GT(at.y, ground);
    }
    game.KeyUp(SDL_SCANCODE_W);
    ASSERT_TRUE(frame());
    // The doll then moves as a body does.
    ASSERT_GT(thrownFrames, 30);
    EXPECT_GT(dollTravel, 0.1f) << "the doll stood still from " << thrownAt.z;
}

// In the free view a drag with the middle button held pans the camera and one with the left turns it; the
// right button steers nothing. The drags are the pointer's, through SDL, over the race HUD.
TEST(tvCameraTest, TheFreeViewPansOnAMiddleDragTurnsOnALeftDragAndIgnoresTheRight)
{
    HeadlessGame game(WithSdlInput());
    ASSERT_TRUE(game.Start());
    tvWorld* world = StartPractice(game, "Charger");
    ASSERT_NE(world, nullptr);
    tvCamera* camera = world->GetFollowCamera();
    ASSERT_NE(camera, nullptr);
    // What the preview's Begin does.
    game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    game.Gui().SwitchWindow(game.Gui().FindWindow(tvWorld::kHudWindow),
                            game.Gui().FindWindow("Course Preview"), 1, false);
    for (int i = 0; i < tvWorld::kPracticeStartFrames + 2; ++i)
    {
        game.Clock().AdvanceSeconds(kCameraFrame);
        ASSERT_TRUE(game.Frame());
    }
    // The free-view key, held over a few polls of the keyboard.
    game.HoldKey(SDL_SCANCODE_F, 3);
    ASSERT_TRUE(game.RunScript(3));
    ASSERT_TRUE(camera->IsFreeMode());

    struct Drag
    {
        const char* name;
        uint8_t button;
        bool moves;
        bool turns;
    };
    const Drag drags[] = {
        {"right", SDL_BUTTON_RIGHT, false, false},
        {"middle", SDL_BUTTON_MIDDLE, true, false},
        {"left", SDL_BUTTON_LEFT, false, true},
    };
    for (const Drag& drag : drags)
    {
        SCOPED_TRACE(drag.name);
        const Vector3 before = camera->GetPosition();
        const Vector3 anglesBefore = camera->GetRotationAngles();
        game.Drag(drag.button, 300, 240, 360, 260);
        ASSERT_TRUE(game.RunScript(3));
        const Vector3 after = camera->GetPosition();
        const Vector3 anglesAfter = camera->GetRotationAngles();
        const float moved = platform::Vec3Length(after - before);
        const float turned = platform::Vec3Length(anglesAfter - anglesBefore);
        EXPECT_EQ(moved > 0.01f, drag.moves) << moved;
        EXPECT_EQ(turned > 0.001f, drag.turns) << turned;
    }
}
