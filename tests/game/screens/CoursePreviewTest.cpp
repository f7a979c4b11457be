#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CoursePreview.h"
#include "game/screens/HudWindow.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorld.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>

using testsupport::HeadlessGame;

namespace
{

// The proving ground started in a mode, as vehicle or course select start it.
class CoursePreviewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Preview = m_Game.Gui().FindWindow(CoursePreview::kWindowName)->DynamicCast<CoursePreview>();
        ASSERT_NE(m_Preview, nullptr);
        m_Hud = dynamic_cast<HudWindow*>(m_Game.Gui().FindWindow(CoursePreview::kHudWindow));
        ASSERT_NE(m_Hud, nullptr);
        m_Player = m_Game.App().CreatePlayer("Ann");
        m_Game.App().SetCurrentPlayer(m_Player);
        for (int32_t i = 0; i < m_Game.App().GetWorldCount(); ++i)
            if (m_Game.App().GetWorldInfo(i)->GetName() == "Proving Ground")
                m_Path = m_Game.App().GetWorldInfo(i)->GetFilePath();
        ASSERT_FALSE(m_Path.empty());
    }

    void StartCourse(int32_t mode)
    {
        Tarvolin& app = m_Game.App();
        app.SetGameMode(mode);
        app.SetVehicleName("Charger");
        app.SetLevelPath(m_Path);
        app.SetLevelPathCopy(m_Path);
        app.StartCourse();
        for (int frame = 0; frame < 3; ++frame)
            m_Game.Frame();
    }

    std::string Text(const char* name) const
    {
        return m_Preview->FindChild(name)->DynamicCast<guiTextBox>()->GetText();
    }
    // What a text box of the HUD shows.
    std::string HudText(const char* name) const
    {
        return m_Hud->FindChild(name)->DynamicCast<guiTextBox>()->GetText();
    }

    HeadlessGame m_Game;
    CoursePreview* m_Preview = nullptr;
    HudWindow* m_Hud = nullptr;
    tvPlayer* m_Player = nullptr;
    std::string m_Path;
};

} // namespace

TEST_F(CoursePreviewTest, ShowsTheCourseTargetAndBestScores)
{
    const struct
    {
        int32_t own;
        int32_t top;
        const char* holder;
        const char* best;
        const char* allTime;
    } cases[] = {
        {0, 0, "", "0", "0"},
        {70, 90, "Bob", "70", "90"},
    };
    for (const auto& entry : cases)
    {
        if (entry.own > 0)
            m_Player->SetHighScore(m_Path, entry.own);
        if (entry.top > 0)
            m_Game.App().SetHighScore(m_Path, entry.holder, entry.top);
        StartCourse(1);
        ASSERT_TRUE(m_Preview->IsVisible());
        auto* world = dynamic_cast<tvWorld*>(m_Game.App().GetCurrentWorld());
        ASSERT_NE(world, nullptr);
        EXPECT_EQ(Text(CoursePreview::kNameBox), "Proving Ground");
        EXPECT_EQ(Text(CoursePreview::kTargetBox), std::to_string(world->GetScoreLimit()));
        EXPECT_EQ(Text(CoursePreview::kBestBox), entry.best);
        EXPECT_EQ(Text(CoursePreview::kTopBox), entry.allTime);
        EXPECT_EQ(Text(CoursePreview::kHolderBox), entry.holder);
        m_Preview->OnBack();
    }
}

TEST_F(CoursePreviewTest, TheHudHasItsTargetBeforeTheRunBegins)
{
    StartCourse(2);
    // Both boxes blank, so that each shows when it is filled: the target by the preview, the points by the
    // run's start.
    m_Hud->SetTargetText("");
    m_Hud->SetPointsText("");
    m_Preview->OnShow();
    EXPECT_EQ(HudText(HudWindow::kTargetBox), "100");
    EXPECT_EQ(HudText(HudWindow::kPointsBox), "");
    m_Preview->OnBegin();
    EXPECT_EQ(HudText(HudWindow::kTargetBox), "100");
    EXPECT_EQ(HudText(HudWindow::kPointsBox), "0");
    auto* world = dynamic_cast<tvWorld*>(m_Game.App().GetCurrentWorld());
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->GetRunPhase(), tvWorld::kPhaseRunning);
    // A few frames: the switch is quick, and the run's time limit passes on the test's clock.
    for (int frame = 0; frame < 4; ++frame)
        m_Game.Frame();
    EXPECT_TRUE(m_Hud->IsVisible());
    EXPECT_FALSE(m_Preview->IsVisible());
}

TEST_F(CoursePreviewTest, BackThrowsTheCourseAwayAndReturnsByMode)
{
    const struct
    {
        int32_t mode;
        const char* window;
    } cases[] = {
        {0, CoursePreview::kCourseSelect},
        {1, CoursePreview::kCourseSelect},
        {2, CoursePreview::kCarSelect},
    };
    for (const auto& entry : cases)
    {
        StartCourse(entry.mode);
        ASSERT_NE(m_Game.App().GetCurrentWorld(), nullptr);
        m_Game.App().QueueThemeMusic(false);
        m_Game.Gui().ShowWindow(m_Preview, false);
        EXPECT_TRUE(m_Preview->OnBack());
        EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr) << entry.mode;
        EXPECT_EQ(m_Hud->GetWorld(), nullptr) << entry.mode;
        EXPECT_EQ(m_Game.App().GetPlayerVehicle(), nullptr) << entry.mode;
        EXPECT_TRUE(m_Game.App().IsThemeMusicQueued()) << entry.mode;
        EXPECT_FALSE(m_Preview->IsVisible()) << entry.mode;
        EXPECT_TRUE(m_Game.Gui().FindWindow(entry.window)->IsVisible()) << entry.mode;
        // Frames go on without the world.
        for (int frame = 0; frame < 5; ++frame)
            ASSERT_TRUE(m_Game.Frame());
        m_Game.Gui().HideWindow(m_Game.Gui().FindWindow(entry.window), 1);
        m_Game.Gui().HideWindow(m_Hud, 1);
    }
}

TEST_F(CoursePreviewTest, WithoutAWorldNothingChangesAndBackStillLeaves)
{
    m_Preview->FindChild(CoursePreview::kTargetBox)->DynamicCast<guiTextBox>()->SetText("kept");
    m_Preview->OnShow();
    EXPECT_EQ(Text(CoursePreview::kTargetBox), "kept");
    m_Game.App().SetGameMode(0);
    EXPECT_TRUE(m_Preview->OnBack());
    EXPECT_EQ(m_Game.App().GetCurrentWorld(), nullptr);
}
