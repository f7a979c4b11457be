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

TEST_F(HudWindowTest, IconsAndTheSongNameGoAfterFiveSecondsEachFromItsOwnShow)
{
    HudWindow hud("missing.kab");
    hud.ShowPowerUpIcon(2);
    hud.ShowSongName("Groove");
    m_Clock.AdvanceSeconds(3.0);
    hud.ShowPowerUpIcon(4);
    m_Clock.AdvanceSeconds(2.5);
    hud.UpdateIconTimers();
    EXPECT_FALSE(hud.IsPowerUpIconVisible(2));
    EXPECT_FALSE(hud.IsSongNameVisible());
    EXPECT_TRUE(hud.IsPowerUpIconVisible(4));
    EXPECT_EQ(hud.GetSongName(), "Groove");
    m_Clock.AdvanceSeconds(3.0);
    hud.UpdateIconTimers();
    EXPECT_FALSE(hud.IsPowerUpIconVisible(4));
}

TEST_F(HudWindowTest, PowerUpKindsOutsideOneToFiveAreIgnored)
{
    HudWindow hud("missing.kab");
    for (int32_t kind : {-1, 0, 6, 1000})
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
