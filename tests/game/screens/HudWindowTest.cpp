#include "game/screens/HudWindow.h"
#include "game/screens/CourseSummary.h"

#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

namespace
{

class HudWindowTest : public ::testing::Test
{
protected:
    HudWindowTest()
    {
        _ResetClockState();
        m_Clock.AdvanceSeconds(1.0);
        GetTime(0);
    }
    ~HudWindowTest() override { _ResetClockState(); }

    platform::ManualClock m_Clock;
    guiManager m_Gui;
};

} // namespace

TEST_F(HudWindowTest, IconsAndTheSongNameGoAfterSixWholeSecondsEachFromItsOwnShow)
{
    HudWindow hud("missing.kab");
    hud.ShowPowerUpIcon(2);
    hud.ShowSongName("Groove");
    m_Clock.AdvanceSeconds(3.0);
    hud.ShowPowerUpIcon(4);
    m_Clock.AdvanceSeconds(3.0);
    hud.UpdateIconTimers();
    EXPECT_FALSE(hud.IsPowerUpIconVisible(2));
    EXPECT_FALSE(hud.IsSongNameVisible());
    EXPECT_TRUE(hud.IsPowerUpIconVisible(4));
    EXPECT_EQ(hud.GetSongName(), "Groove");
    m_Clock.AdvanceSeconds(3.0);
    hud.UpdateIconTimers();
    EXPECT_FALSE(hud.IsPowerUpIconVisible(4));
}

TEST_F(HudWindowTest, PowerUpKindsOutsideTwoToFiveAreIgnored)
{
    HudWindow hud("missing.kab");
    for (int32_t kind : {-1, 0, 1, 6, 1000})
    {
        hud.ShowPowerUpIcon(kind);
        EXPECT_FALSE(hud.IsPowerUpIconVisible(kind)) << kind;
        hud.HidePowerUpIcon(kind);
    }
    hud.ShowPowerUpIcon(5);
    EXPECT_TRUE(hud.IsPowerUpIconVisible(5));
    hud.HidePowerUpIcon(5);
    EXPECT_FALSE(hud.IsPowerUpIconVisible(5));
}

TEST_F(HudWindowTest, TheCountShowsUntilHiddenAndTheSummaryTakesOverAtTheEnd)
{
    auto* hud = new HudWindow("missing.kab");
    hud->SetName("Hud Window");
    auto* summary = new CourseSummary("missing.kab");
    summary->SetName(HudWindow::kSummaryWindow);
    m_Gui.AddWindow(hud);
    m_Gui.AddWindow(summary);
    m_Gui.HideWindow(summary, 1);
    m_Gui.ActivateWindow(hud);

    hud->SetCountImage(-1);
    EXPECT_TRUE(hud->IsCountVisible());
    EXPECT_EQ(hud->GetCountValue(), -1);
    hud->HideCount();
    EXPECT_FALSE(hud->IsCountVisible());

    hud->ShowCourseSummary();
    EXPECT_FALSE(hud->IsVisible());
    EXPECT_TRUE(summary->IsVisible());
    EXPECT_EQ(m_Gui.GetActiveWindow(), summary);
    summary->Update();
    summary->Update();
    EXPECT_EQ(summary->GetUpdateCount(), 2);
}

TEST_F(HudWindowTest, ATurboShownEveryFrameNeverTimesOutAndARepairShownOnceGoesAtSixWholeSeconds)
{
    HudWindow hud("missing.kab");
    hud.ShowPowerUpIcon(4);
    // Quarter-second frames, so that the clock lands on whole seconds exactly.
    for (int frame = 0; frame < 40; ++frame)
    {
        hud.ShowPowerUpIcon(2);
        m_Clock.AdvanceSeconds(0.25);
        hud.UpdateIconTimers();
        ASSERT_TRUE(hud.IsPowerUpIconVisible(2)) << frame;
        // The repair icon lasts until its stopwatch reads more than five whole seconds.
        ASSERT_EQ(hud.IsPowerUpIconVisible(4), frame + 1 < 24) << frame;
    }
    hud.HidePowerUpIcon(2);
    EXPECT_FALSE(hud.IsPowerUpIconVisible(2));
}

TEST(HudWindowPictures, CountValuesNameTheirPicturesAndOthersNone)
{
    const struct
    {
        int32_t value;
        const char* picture;
    } cases[] = {{3, "ui/hud/3.tga"},  {2, "ui/hud/2.tga"},  {1, "ui/hud/1.tga"},
                 {-1, "ui/hud/go.tga"}, {-2, "ui/hud/press_any_key.tga"}, {0, ""},
                 {4, ""},               {-3, ""}};
    for (const auto& c : cases)
        EXPECT_EQ(HudWindow::CountPicture(c.value), c.picture) << c.value;
}

TEST(HudWindowPictures, DamageGivesABarFromZeroToSixteen)
{
    const struct
    {
        float damage;
        int32_t bar;
    } cases[] = {{0.0f, 0},  {5.9f, 0}, {6.0f, 1},   {11.99f, 1}, {50.0f, 8},
                 {100.0f, 16}, {250.0f, 16}, {-4.0f, 0}, {-1000.0f, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(HudWindow::DamageBar(c.damage), c.bar) << c.damage;
    EXPECT_EQ(HudWindow::DamageBarPicture(16), "UI/HUD/art/damage_bar_16.tga");
}
