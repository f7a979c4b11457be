#include "game/screens/CourseSummary.h"

#include "engine/gui/guiManager.h"
#include "engine/scene/kaEntity.h"
#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/world/tvWorld.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

constexpr const char* kRecordsCourse = "Worlds\\stunt_yard.xml";

class CourseSummaryRecordsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Player.SetPlayerName("Ada");
        m_App.SetLevelPath(kRecordsCourse);
    }
    void TearDown() override
    {
        m_App.SetCurrentPlayer(nullptr);
        m_App.SetCurrentWorld(nullptr);
    }

    guiManager m_Gui;
    Tarvolin m_App;
    tvWorld m_World;
    tvPlayer m_Player;
};

TEST_F(CourseSummaryRecordsTest, ShowingRecordsTheRunWhereItBeatsTheBestAndTheHighScore)
{
    struct Case
    {
        int best;
        int high;
        int points;
        bool newBest;
        bool newHigh;
    } cases[] = {{0, 0, 0, false, false},   {0, 0, 50, true, true},     {60, 40, 50, false, true},
                 {30, 80, 50, true, false}, {50, 50, 50, false, false}, {0, 0, -5, false, false}};
    m_App.SetCurrentPlayer(&m_Player);
    m_App.SetCurrentWorld(&m_World);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.best << " " << c.high << " " << c.points);
        m_Player.SetHighScore(kRecordsCourse, c.best);
        m_App.SetHighScore(kRecordsCourse, "Earlier", c.high);
        m_Player.SetRunPoints(c.points);
        CourseSummary summary("missing.kab");
        summary.OnShow();
        EXPECT_EQ(summary.IsNewPersonalBest(), c.newBest);
        EXPECT_EQ(summary.IsNewHighScore(), c.newHigh);
        EXPECT_EQ(m_Player.GetHighScore(kRecordsCourse), c.newBest ? c.points : c.best);
        EXPECT_EQ(m_App.GetHighScore(kRecordsCourse), c.newHigh ? c.points : c.high);
        EXPECT_EQ(m_App.GetHighScorePlayer(kRecordsCourse), c.newHigh ? "Ada" : "Earlier");
    }
}

TEST_F(CourseSummaryRecordsTest, WithoutACourseOrADriverNothingIsRecorded)
{
    m_Player.SetRunPoints(90);
    for (bool withPlayer : {false, true})
    {
        m_App.SetCurrentPlayer(withPlayer ? &m_Player : nullptr);
        m_App.SetCurrentWorld(withPlayer ? nullptr : &m_World);
        CourseSummary summary("missing.kab");
        summary.OnShow();
        EXPECT_FALSE(summary.IsNewPersonalBest());
        EXPECT_EQ(m_Player.GetHighScore(kRecordsCourse), 0);
        EXPECT_EQ(m_App.GetHighScore(kRecordsCourse), 0);
    }
}

TEST_F(CourseSummaryRecordsTest, ShowingTakesTheCarFromThePlayersControlsWhenADriverRanTheCourse)
{
    kaEntity car;
    for (bool withPlayer : {true, false})
    {
        m_App.SetCurrentPlayer(withPlayer ? &m_Player : nullptr);
        m_App.SetCurrentWorld(&m_World);
        m_World.SetSelectedEntity(&car);
        CourseSummary summary("missing.kab");
        summary.OnShow();
        EXPECT_EQ(m_World.GetSelectedEntity(), withPlayer ? nullptr : &car) << withPlayer;
    }
    m_World.SetSelectedEntity(nullptr);
}

} // namespace
