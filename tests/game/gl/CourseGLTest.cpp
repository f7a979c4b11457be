#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvArena.h"
#include "game/world/tvWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

using testsupport::FramePixel;
using testsupport::HeadlessGame;
using testsupport::Rgb;

// The proving ground drawn through OpenGL behind the HUD: the course shows, and the arena's fade covers it
// in white.
TEST(CourseGLTest, TheFadeToWhiteCoversTheCourse)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    app.SetGameMode(1);
    app.SetLevelPathCopy("Worlds\\proving_ground.xml");
    app.SetLevelPath("Worlds\\proving_ground.xml");
    app.SetVehicleName("Charger");
    app.StartCourse();
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    auto* arena = dynamic_cast<tvArena*>(world->GetVenueEntity());
    ASSERT_NE(arena, nullptr);
    auto* hud = dynamic_cast<HudWindow*>(game.Gui().FindWindow(tvWorld::kHudWindow));
    // As the screens leave it when the run begins: the main menu gone, the preview switched to the HUD.
    game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    game.Gui().SwitchWindow(hud, game.Gui().FindWindow("Course Preview"), 1, false);
    for (int frame = 0; frame < 3; ++frame)
    {
        game.Clock().AdvanceSeconds(1.0 / 30.0);
        ASSERT_TRUE(game.Frame());
    }
    platform::FrameCapture course = game.Capture();
    // Of the windows only the HUD shows over the course.
    for (guiWindow* window : game.Gui().GetWindows())
        EXPECT_EQ(window->IsVisible(), window == hud) << window->GetName();
    ASSERT_EQ(course.Width, 800u);
    const Rgb white{255, 255, 255};
    // The floor ahead of the car is no white.
    EXPECT_FALSE(testsupport::Near(FramePixel(course, 400, 560), white));
    EXPECT_TRUE(game.Screenshot("course_proving_ground"));

    // Fully white just before the respawn; the next frame starts fading back by its own length.
    arena->OnTrigger(app.GetPlayerVehicle(), tvArena::kRespawnPrefix, "PRIM_Body");
    arena->Update(0.41f);
    ASSERT_TRUE(arena->IsRespawnPending());
    game.Clock().AdvanceSeconds(1.0 / 30.0);
    ASSERT_TRUE(game.Frame());
    platform::FrameCapture faded = game.Capture();
    EXPECT_TRUE(game.Screenshot("course_faded"));
    for (const auto& at : {std::pair<int, int>{5, 5}, {400, 300}, {794, 594}, {400, 560}})
    {
        const Rgb pixel = FramePixel(faded, at.first, at.second);
        EXPECT_GE(pixel.r, 235) << at.first << "," << at.second;
        EXPECT_GE(pixel.g, 235) << at.first << "," << at.second;
        EXPECT_GE(pixel.b, 235) << at.first << "," << at.second;
    }

    hud->SetWorld(nullptr);
    app.GetGraphicsManager()->DetachSceneObject(world);
    app.SetCurrentWorld(nullptr);
    delete world;
}
