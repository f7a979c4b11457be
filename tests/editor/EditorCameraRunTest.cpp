#include "editor/EditorCamera.h"
#include "editor/MapEditorWindow.h"

#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "platform/window/Window.h"
#include "tests/support/game/HeadlessGame.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using platform::Vector3;
using testsupport::HeadlessGame;

namespace
{

Vector3 RunOrbitColumn(const EditorCamera& camera, int column)
{
    const platform::Matrix& orbit = camera.GetOrbitOrientation();
    return Vector3(orbit(0, column), orbit(1, column), orbit(2, column));
}

float RunHeading(const Vector3& forward)
{
    return std::atan2(forward.x, forward.z);
}

struct RunCameraState
{
    Vector3 target;
    float distance = 0.0f;
    Vector3 right;
    Vector3 forward;
};

RunCameraState RunStateOf(const EditorCamera& camera)
{
    return RunCameraState{camera.GetTarget(), camera.GetOrbitDistance(), RunOrbitColumn(camera, 0),
                          RunOrbitColumn(camera, 2)};
}

void RunExpectNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

struct SdlGesture
{
    const char* name;
    int scancode;
    int32_t dx;
    int32_t dy;
    // What the mouse's 120 pixels did to the camera.
    void (*check)(const RunCameraState& before, const RunCameraState& after);
};

// Where the pointer starts each gesture, away from the edges.
constexpr int32_t kRunStartX = 300;
constexpr int32_t kRunStartY = 200;

// The kaCamera pan and move scales.
constexpr float kRunScale = 0.1f;

const SdlGesture kSdlGestures[] = {
    {"Shift pans", SDL_SCANCODE_LSHIFT, 120, 0,
     [](const RunCameraState& before, const RunCameraState& after)
     {
         RunExpectNear(after.target, before.target - before.right * (120.0f * kRunScale), 1e-3f);
         EXPECT_NEAR(after.distance, before.distance, 1e-4f);
         RunExpectNear(after.forward, before.forward, 1e-5f);
     }},
    {"Ctrl turns", SDL_SCANCODE_LCTRL, 120, 0,
     [](const RunCameraState& before, const RunCameraState& after)
     {
         // 0.01 radians a pixel about the vertical; the tilt stays.
         float turn = RunHeading(after.forward) - RunHeading(before.forward);
         turn = std::remainder(turn, 6.2831853f);
         EXPECT_NEAR(std::fabs(turn), 1.2f, 1e-3f);
         EXPECT_NEAR(after.forward.y, before.forward.y, 1e-4f);
         RunExpectNear(after.target, before.target, 1e-4f);
         EXPECT_NEAR(after.distance, before.distance, 1e-4f);
     }},
    {"Alt zooms", SDL_SCANCODE_LALT, 0, 120,
     [](const RunCameraState& before, const RunCameraState& after)
     {
         EXPECT_NEAR(after.distance, before.distance + 120.0f * kRunScale, 1e-3f);
         RunExpectNear(after.target, before.target, 1e-4f);
         RunExpectNear(after.forward, before.forward, 1e-5f);
     }},
};

} // namespace

// Held modifiers turn the mouse's movement into the camera's, with the cursor hidden at its place; let go,
// it shows where it was hidden and the pointer moves on from there.
TEST(EditorCameraRunTest, ModifierGesturesThroughSdlMoveTheCameraAndTheCursorComesBackWhereItWasHidden)
{
    HeadlessGame game(HeadlessGame::EngineEditorWithSdlInput());
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.RunScript());
    auto* editor = dynamic_cast<MapEditorWindow*>(game.Gui().FindWindow(MapEditorWindow::kWindowName));
    ASSERT_NE(editor, nullptr);
    ASSERT_NE(editor->GetWorld(), nullptr);
    EditorCamera* camera = editor->GetCamera();
    ASSERT_NE(camera, nullptr);
    game.SetClockStep(0.0);

    for (const SdlGesture& gesture : kSdlGestures)
    {
        SCOPED_TRACE(gesture.name);
        game.MovePointer(kRunStartX, kRunStartY);
        ASSERT_TRUE(game.RunScript());
        ASSERT_EQ(game.Gui().GetCursorPosition().x, kRunStartX);
        ASSERT_EQ(game.Gui().GetCursorPosition().y, kRunStartY);
        const RunCameraState before = RunStateOf(*camera);

        game.KeyDown(gesture.scancode);
        game.Queue([] {});
        for (int step = 0; step < 4; ++step)
            game.MovePointerBy(gesture.dx / 4, gesture.dy / 4);
        game.Queue(
            [&game]
            {
                EXPECT_FALSE(game.Gui().GetCursor()->IsVisible());
                EXPECT_EQ(game.Gui().GetCursorPosition().x, kRunStartX);
                EXPECT_EQ(game.Gui().GetCursorPosition().y, kRunStartY);
            });
        game.KeyUp(gesture.scancode);
        ASSERT_TRUE(game.RunScript(3));
        gesture.check(before, RunStateOf(*camera));

        EXPECT_TRUE(game.Gui().GetCursor()->IsVisible());
        EXPECT_EQ(game.Gui().GetCursorPosition().x, kRunStartX);
        EXPECT_EQ(game.Gui().GetCursorPosition().y, kRunStartY);
        platform::Point pointer;
        ASSERT_TRUE(platform::GetCursorClientPosition(game.App().GetWindowHandle(), pointer));
        EXPECT_EQ(pointer.x, kRunStartX);
        EXPECT_EQ(pointer.y, kRunStartY);

        // The next move of the pointer starts where the cursor shows.
        game.MovePointerBy(7, 5);
        ASSERT_TRUE(game.RunScript());
        EXPECT_EQ(game.Gui().GetCursorPosition().x, kRunStartX + 7);
        EXPECT_EQ(game.Gui().GetCursorPosition().y, kRunStartY + 5);
    }
}
