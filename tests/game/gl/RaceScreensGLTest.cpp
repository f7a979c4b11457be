#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/HudWindow.h"
#include "game/world/tvWorld.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

using testsupport::FramePixel;
using testsupport::HeadlessGame;
using testsupport::Rgb;

// The HUD over the proving ground in the countdown, then the summary of the run with its awards.
TEST(RaceScreensGLTest, TheCountdownPictureShowsInItsRectangleAndTheSummaryShowsItsAwards)
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    game.SetClockStep(0.0);
    Tarvolin& app = game.App();
    app.SetCurrentPlayer(app.CreatePlayer("Ann"));
    app.SetGameMode(1);
    app.SetLevelPathCopy("Worlds\\proving_ground.xml");
    app.SetLevelPath("Worlds\\proving_ground.xml");
    app.SetVehicleName("Charger");
    app.StartCourse();
    auto* world = dynamic_cast<tvWorld*>(app.GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    auto* hud = dynamic_cast<HudWindow*>(game.Gui().FindWindow(tvWorld::kHudWindow));
    ASSERT_NE(hud, nullptr);
    game.Gui().HideWindow(game.Gui().FindWindow(Tarvolin::kMainWindow), 1);
    game.Gui().SwitchWindow(hud, game.Gui().FindWindow("Course Preview"), 1, false);
    ASSERT_TRUE(game.Frame());
    hud->SetCountImage(3);
    ASSERT_TRUE(game.Frame());
    platform::FrameCapture countdown = game.Capture();
    ASSERT_EQ(countdown.Width, 800u);
    guiGlyph* count = hud->FindChild(HudWindow::kCountImage);
    ASSERT_NE(count, nullptr);
    // The Count Image stands in the middle of the screen at any size: the gold middle stroke of the "3"
    // lies at the screen's centre, and below the picture the course shows.
    const int middleX = int(countdown.Width / 2), middleY = int(countdown.Height / 2);
    const Rgb stroke = FramePixel(countdown, middleX, middleY);
    const Rgb outside = FramePixel(countdown, middleX, middleY + 90);
    EXPECT_GE(stroke.r, 200);
    EXPECT_GE(stroke.g, 160);
    EXPECT_LE(stroke.b, 100);
    EXPECT_FALSE(testsupport::Near(stroke, outside));
    EXPECT_TRUE(game.Screenshot("hud_countdown"));
    hud->HideCount();
    hud->SetTimeText("0:42");
    hud->SetPointsText("120");
    hud->SetDamage(48.0f);
    hud->ShowPowerUpIcon(2);
    ASSERT_TRUE(game.Frame());
    EXPECT_TRUE(game.Screenshot("hud_running"));

    auto* summary = dynamic_cast<CourseSummary*>(game.Gui().FindWindow(tvWorld::kSummaryWindow));
    ASSERT_NE(summary, nullptr);
    app.GetCurrentPlayer()->SetRunPoints(120);
    summary->SetPassed(true);
    hud->ShowCourseSummary();
    for (int second = 0; second < 6; ++second)
    {
        for (int frame = 0; frame < 25; ++frame)
            summary->Update();
        game.Clock().AdvanceSeconds(1.0);
        ASSERT_TRUE(game.Frame());
    }
    EXPECT_EQ(summary->GetPointCounter(), 120);
    EXPECT_EQ(summary->GetSlotPicture(0), "ui/coursesummary/str.tga");
    EXPECT_EQ(summary->GetSlotPicture(1), "ui/coursesummary/npb.tga");
    EXPECT_TRUE(game.Screenshot("summary_awards"));
}
