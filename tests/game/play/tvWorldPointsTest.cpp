#include "game/world/tvWorld.h"

#include "game/app/Tarvolin.h"
#include "game/records/tvPlayer.h"
#include "game/screens/HudWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class tvWorldPointsTest : public ::testing::Test
{
protected:
    void SetUp() override { m_World.SetHudWindow(&m_Hud); }
    void TearDown() override { m_App.SetCurrentPlayer(nullptr); }

    Tarvolin m_App;
    HudWindow m_Hud{"missing.kab"};
    tvWorld m_World;
    tvPlayer m_Player;
};

TEST_F(tvWorldPointsTest, PointsAddUpInTheSignedInPlayersRunAndTheHudShowsTheTotal)
{
    m_App.SetCurrentPlayer(&m_Player);
    m_Player.SetRunPoints(10);
    struct Step
    {
        int points;
        int total;
    } steps[] = {{25, 35}, {0, 35}, {-5, 30}, {1000, 1030}};
    for (const Step& step : steps)
    {
        m_World.AddPoints(step.points);
        EXPECT_EQ(m_Player.GetRunPoints(), step.total);
        EXPECT_EQ(m_Hud.GetPointsText(), std::to_string(step.total));
    }
}

TEST_F(tvWorldPointsTest, WithoutASignedInPlayerNothingIsCounted)
{
    m_Hud.SetPointsText("7");
    m_World.AddPoints(25);
    EXPECT_EQ(m_Player.GetRunPoints(), 0);
    EXPECT_EQ(m_Hud.GetPointsText(), "7");
    // Without a HUD the points still count.
    m_App.SetCurrentPlayer(&m_Player);
    m_World.SetHudWindow(nullptr);
    m_World.AddPoints(4);
    EXPECT_EQ(m_Player.GetRunPoints(), 4);
}

} // namespace
