#include "game/screens/CourseSummary.h"

#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/HudWindow.h"
#include "game/world/tvWorld.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

constexpr const char* kCourse = "Worlds\\stunt_yard.xml";

// A summary shown over a finished run, its clock moved by the test.
class CourseSummarySequenceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock.AdvanceSeconds(100.25);
        GetTime(0);
        m_Player.SetPlayerName("Ada");
        m_App.SetLevelPath(kCourse);
        m_App.SetCurrentPlayer(&m_Player);
        m_World = new tvWorld();
        m_App.SetCurrentWorld(m_World);
    }
    void TearDown() override
    {
        m_App.SetCurrentPlayer(nullptr);
        delete dynamic_cast<tvWorld*>(m_App.GetCurrentWorld());
        m_App.SetCurrentWorld(nullptr);
        _ResetClockState();
    }

    void Show(int32_t points)
    {
        m_Player.SetRunPoints(points);
        m_Summary.OnShow();
    }

    // Frames within the current second.
    void Frames(int count)
    {
        for (int frame = 0; frame < count; ++frame)
            m_Summary.Update();
    }

    // Moves the clock on by whole seconds, one frame a second.
    void Seconds(int count)
    {
        for (int second = 0; second < count; ++second)
        {
            m_Clock.AdvanceSeconds(1.0);
            m_Summary.Update();
        }
    }

    size_t Played(const std::string& sound) const
    {
        const auto& log = m_Summary.GetSoundLog();
        return static_cast<size_t>(std::count(log.begin(), log.end(), sound));
    }

    platform::ManualClock m_Clock;
    guiManager m_Gui;
    Tarvolin m_App;
    tvWorld* m_World = nullptr;
    tvPlayer m_Player;
    CourseSummary m_Summary{"missing.kab"};
};

} // namespace

TEST_F(CourseSummarySequenceTest, TwoHundredPointsCountInTwentyTicksThenTheWinAndFourSecondsLaterTheBest)
{
    m_Summary.SetPassed(true);
    Show(200);
    for (int frame = 1; frame <= 20; ++frame)
    {
        m_Summary.Update();
        ASSERT_EQ(m_Summary.GetPointCounter(), frame * 10);
        ASSERT_EQ(Played(CourseSummary::kEachSound), size_t(frame));
    }
    EXPECT_EQ(m_Summary.GetPhase(), 0);
    Seconds(1);
    EXPECT_EQ(m_Summary.GetSlotPicture(0), "ui/coursesummary/str.tga");
    EXPECT_EQ(Played("Congrats"), 1u);
    EXPECT_EQ(Played(CourseSummary::kEachSound), 20u);
    Seconds(3);
    EXPECT_TRUE(m_Summary.GetSlotPicture(1).empty());
    Seconds(1);
    EXPECT_EQ(m_Summary.GetSlotPicture(1), "ui/coursesummary/npb.tga");
    EXPECT_EQ(Played("NewPersonalBest"), 1u);
}

TEST_F(CourseSummarySequenceTest, EveryTotalCountsUpToItselfAndStops)
{
    for (int32_t total : {1, 7, 19, 20, 21, 39, 40, 1000})
    {
        SCOPED_TRACE(total);
        m_Summary.OnContinue();
        m_World = new tvWorld();
        m_App.SetCurrentWorld(m_World);
        m_Summary.ClearSoundLog();
        Show(total);
        int frames = 0;
        while (m_Summary.GetPhase() == -1 && frames < 100)
        {
            m_Summary.Update();
            ++frames;
        }
        EXPECT_EQ(m_Summary.GetPointCounter(), total);
        EXPECT_LE(frames, std::max(total < 20 ? total : 20, 39));
        EXPECT_EQ(Played(CourseSummary::kEachSound), size_t(frames));
    }
}

TEST_F(CourseSummarySequenceTest, AWreckCountsNothingAndPlacesNoAward)
{
    m_Summary.SetWrecked(true);
    Show(0);
    Frames(1);
    Seconds(1);
    EXPECT_EQ(Played("Destroyed"), 1u);
    EXPECT_EQ(Played(CourseSummary::kEachSound), 0u);
    EXPECT_EQ(m_Summary.GetNextSlot(), 0);
    EXPECT_TRUE(m_Summary.GetSlotPicture(0).empty());
}

TEST_F(CourseSummarySequenceTest, ReputationCountsOneASecondAfterItsTickAndNeverAboveTen)
{
    const struct
    {
        int32_t points;
        int32_t shown;
    } cases[] = {{3, 3}, {14, 10}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.points);
        m_Summary.OnContinue();
        m_World = new tvWorld();
        m_App.SetCurrentWorld(m_World);
        m_Player.SetHighScore(kCourse, 1000);
        m_Summary.SetLevelUp(true);
        m_Summary.SetReputation(c.points);
        Show(0);
        EXPECT_EQ(m_Summary.GetReputationPicture(), "ui/coursesummary/1.tga");
        Frames(1);
        Seconds(1); // the lost run
        Seconds(4); // no best and no high score: the new level in their place
        EXPECT_EQ(m_Summary.GetSlotPicture(0), "UI/coursesummary/nl.tga");
        while (m_Summary.GetPhase() < 8)
            Seconds(1);
        EXPECT_EQ(m_Summary.GetSlotPicture(1), "ui/coursesummary/rpe.tga");
        Seconds(1);
        EXPECT_EQ(m_Summary.GetReputationPicture(), "ui/coursesummary/2.tga");
        Seconds(1);
        EXPECT_EQ(m_Summary.GetReputationPicture(), "ui/coursesummary/3.tga");
        Seconds(20);
        EXPECT_EQ(m_Summary.GetReputationCounter(), c.shown);
        EXPECT_EQ(m_Summary.GetReputationPicture(), "ui/coursesummary/" + std::to_string(c.shown) + ".tga");
    }
}

TEST_F(CourseSummarySequenceTest, ContinueResetsEveryCounterAndDestroysTheWorldTheHudHeld)
{
    auto* hud = new HudWindow("missing.kab");
    hud->SetName(tvWorld::kHudWindow);
    m_Gui.AddWindow(hud);
    hud->SetWorld(m_World);
    m_Summary.SetPassed(true);
    m_Summary.SetReputation(4);
    Show(60);
    Frames(30);
    Seconds(2);
    ASSERT_NE(m_Summary.GetPhase(), -1);
    EXPECT_TRUE(m_Summary.OnContinue());
    EXPECT_EQ(m_Summary.GetPhase(), -1);
    EXPECT_EQ(m_Summary.GetPointCounter(), 0);
    EXPECT_EQ(m_Summary.GetReputationCounter(), 1);
    EXPECT_EQ(m_Summary.GetNextSlot(), 0);
    EXPECT_EQ(m_Summary.GetReputation(), 0);
    EXPECT_FALSE(m_Summary.IsPassed());
    EXPECT_EQ(m_App.GetCurrentWorld(), nullptr);
    EXPECT_EQ(hud->GetWorld(), nullptr);
    // A second continue finds no world and still leaves cleanly.
    EXPECT_TRUE(m_Summary.OnContinue());
}
