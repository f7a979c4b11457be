#include "game/world/tvWorld.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/gui/guiManager.h"
#include "engine/scene/EntityFactory.h"
#include "game/app/Tarvolin.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/screens/CourseSummary.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvArena.h"
#include "game/world/tvCamera.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/system/ManualClock.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/game/InstallFolder.h"
#include "tests/support/game/RecordingRaceDisplay.h"

#include <gtest/gtest.h>
#include <malloc.h>
#include <tinyxml.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr float kWorldFrame = 1.0f / 30.0f;
constexpr const char* kWrappedHud = "Hud View";

// A course world with the game's HUD and summary windows, a signed-in driver and a bare vehicle, its run
// clock moved by hand. The world finds a recording display under the HUD's name, which notes what the world
// tells it and passes that on to the real HUD.
class tvWorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
        _ResetClockState();
        m_Clock.AdvanceSeconds(100.0);
        GetTime(0);
        m_Hud = new HudWindow("missing.kab");
        m_Hud->SetName(kWrappedHud);
        m_Display = new gametest::RecordingRaceDisplay(m_Hud);
        m_Display->SetName(tvWorld::kHudWindow);
        m_Summary = new CourseSummary("missing.kab");
        m_Summary->SetName(tvWorld::kSummaryWindow);
        m_Gui.AddWindow(m_Hud);
        m_Gui.AddWindow(m_Display);
        m_Gui.AddWindow(m_Summary);
        m_Player = m_App.CreatePlayer("Ann");
        m_App.SetCurrentPlayer(m_Player);
        m_World = std::make_unique<tvWorld>();
        m_Hud->SetWorld(m_World.get());
        m_Vehicle = new tvVehicle;
        m_World->AddEntity(m_Vehicle, true, true);
        m_App.SetPlayerVehicle(m_Vehicle);
    }
    void TearDown() override
    {
        m_Hud->SetWorld(nullptr);
        m_World.reset();
        m_Wizard.StopAllSounds();
        _ResetClockState();
    }

    // Starts a run in the mode with the time and score limits, as the course preview's begin button does.
    void StartRun(int32_t mode, int32_t timeLimit = 30, int32_t scoreLimit = 100)
    {
        m_App.SetGameMode(mode);
        m_World->SetTimeLimit(timeLimit);
        m_World->SetScoreLimit(scoreLimit);
        m_World->StartRound();
        m_Display->ClearCallLog();
    }

    void Frame() { m_World->Update(kWorldFrame); }

    // Moves the clock on and runs one frame.
    void After(double seconds)
    {
        m_Clock.AdvanceSeconds(seconds);
        Frame();
    }

    // Counts down to "Go" one second a frame.
    void CountDown()
    {
        Frame();
        for (int second = 1; second <= 3; ++second)
            After(1.0);
        ASSERT_TRUE(m_World->HasPlayedCue(tvWorld::kGo));
    }

    // One frame per run second up to the last, the points changed at some seconds; the second at which each
    // cue first played.
    std::map<tvWorld::Cue, int32_t> RunSeconds(int32_t last, const std::map<int32_t, int32_t>& pointsAt = {})
    {
        std::map<tvWorld::Cue, int32_t> firstPlayed;
        for (int32_t second = 1; second <= last; ++second)
        {
            const auto points = pointsAt.find(second);
            if (points != pointsAt.end())
                m_Player->SetRunPoints(points->second);
            After(1.0);
            for (int cue = 0; cue < tvWorld::kCueCount; ++cue)
            {
                const auto which = static_cast<tvWorld::Cue>(cue);
                if (m_World->HasPlayedCue(which) && firstPlayed.count(which) == 0)
                    firstPlayed[which] = second;
            }
        }
        return firstPlayed;
    }

    gametest::InstallFolder m_Install;
    platform::ManualClock m_Clock;
    platform::NullAudioSink m_Sink;
    SoundManager m_Manager;
    Wizard m_Wizard;
    guiManager m_Gui;
    Tarvolin m_App;
    kaInitDataBase m_Data;
    HudWindow* m_Hud = nullptr;
    gametest::RecordingRaceDisplay* m_Display = nullptr;
    CourseSummary* m_Summary = nullptr;
    tvPlayer* m_Player = nullptr;
    std::unique_ptr<tvWorld> m_World;
    tvVehicle* m_Vehicle = nullptr;
};

class tvWorldCountdownTest : public tvWorldTest, public ::testing::WithParamInterface<int32_t>
{
};

} // namespace

TEST_P(tvWorldCountdownTest, CountsThreeTwoOneThenGoAndRestartsTheRunClock)
{
    StartRun(GetParam(), 65);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_TRUE(m_World->IsCountingDown());
    Frame();
    EXPECT_EQ(m_Hud->GetCountValue(), 3);
    After(1.0);
    EXPECT_EQ(m_Hud->GetCountValue(), 2);
    EXPECT_TRUE(m_World->HasPlayedCue(tvWorld::kGetReady));
    After(1.0);
    EXPECT_EQ(m_Hud->GetCountValue(), 1);
    EXPECT_FALSE(m_World->HasPlayedCue(tvWorld::kGo));
    EXPECT_EQ(m_World->GetSelectedEntity(), nullptr);
    After(1.0);
    EXPECT_EQ(m_Hud->GetCountValue(), -1);
    EXPECT_TRUE(m_World->HasPlayedCue(tvWorld::kGo));
    EXPECT_FALSE(m_World->IsCountingDown());
    EXPECT_EQ(m_World->GetSelectedEntity(), m_Vehicle);
    // The three seconds of countdown do not count.
    EXPECT_EQ(m_World->GetRunClock().GetElapsed(), 0);
    EXPECT_EQ(m_Display->CountCalls("SetCountImage 2"), 1u);

    After(1.0);
    EXPECT_EQ(m_Hud->GetTimeText(), "1:04");
    EXPECT_TRUE(m_Hud->IsCountVisible());
    After(1.0);
    EXPECT_EQ(m_Hud->GetTimeText(), "1:03");
    EXPECT_FALSE(m_Hud->IsCountVisible());
    // The time text changes once per new second, not per frame.
    Frame();
    Frame();
    EXPECT_EQ(m_Display->CountCalls("SetTimeText 1:03"), 1u);
}

INSTANTIATE_TEST_SUITE_P(ExhibitionAndCareer, tvWorldCountdownTest, ::testing::Values(1, 2));

TEST_F(tvWorldTest, AFrameThatJumpsPastThreeStillStartsTheRun)
{
    for (double jump : {4.0, 7.5})
    {
        m_World = std::make_unique<tvWorld>();
        m_Hud->SetWorld(m_World.get());
        m_Vehicle = new tvVehicle;
        m_World->AddEntity(m_Vehicle, true, true);
        m_App.SetPlayerVehicle(m_Vehicle);
        StartRun(1);
        Frame();
        After(jump);
        EXPECT_TRUE(m_World->HasPlayedCue(tvWorld::kGo)) << jump;
        EXPECT_EQ(m_World->GetSelectedEntity(), m_Vehicle) << jump;
        EXPECT_EQ(m_World->GetRunClock().GetElapsed(), 0) << jump;
        // The run then ends as usual.
        After(31.0);
        EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseSummary) << jump;
    }
}

TEST_F(tvWorldTest, TheAnnouncerCallsByTimeLeftAndPointsMissingAndTheRunEndsAfterTheLimit)
{
    StartRun(1, 90, 300);
    CountDown();
    const auto played = RunSeconds(90, {{45, 260}});
    // 300 missing at 30 asks for points; 40 missing at 45 cheers on.
    EXPECT_EQ(played.at(tvWorld::kGetSomePoints), 30);
    EXPECT_EQ(played.at(tvWorld::kDontGiveUp), 45);
    EXPECT_EQ(played.at(tvWorld::kHurryUp), 60);
    EXPECT_EQ(played.at(tvWorld::kTimesRunningOut), 75);
    EXPECT_EQ(played.at(tvWorld::k54321), 85);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_EQ(m_Hud->GetTimeText(), "0:00");
    After(1.0);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseSummary);
    EXPECT_EQ(m_World->GetSummaryWindow(), m_Summary);
    EXPECT_EQ(m_Display->CountCalls("ShowCourseSummary"), 1u);
    // Past the end the time shows no negative seconds.
    EXPECT_EQ(m_World->FormatTimeLeft(), "0:00");
    // The summary runs each frame from then on.
    Frame();
    Frame();
    EXPECT_EQ(m_Summary->GetUpdateCount(), 2);
}

TEST_F(tvWorldTest, TheScoreCueGoesByPointsMissingAndOnlyOnCoursesLongerThanAMinute)
{
    const struct
    {
        int32_t timeLimit;
        int32_t points;
        bool dontGiveUp;
        bool getSomePoints;
    } cases[] = {
        {90, 260, true, false},  // 40 missing
        {90, 350, true, false},  // above the target
        {90, 300, false, false}, // on target
        {90, 240, false, false}, // 60 missing: neither
        {90, 150, false, true},  // 150 missing
        {60, 0, false, false},   // no score window
        {60, 260, false, false},
    };
    for (const auto& c : cases)
    {
        m_World = std::make_unique<tvWorld>();
        m_Hud->SetWorld(m_World.get());
        m_App.SetPlayerVehicle(nullptr);
        m_Player->SetRunPoints(c.points);
        StartRun(2, c.timeLimit, 300);
        CountDown();
        const auto played = RunSeconds(c.timeLimit - 1);
        const std::string label = std::to_string(c.timeLimit) + "/" + std::to_string(c.points);
        EXPECT_EQ(played.count(tvWorld::kDontGiveUp), c.dontGiveUp ? 1u : 0u) << label;
        EXPECT_EQ(played.count(tvWorld::kGetSomePoints), c.getSomePoints ? 1u : 0u) << label;
        EXPECT_EQ(played.at(tvWorld::kHurryUp), c.timeLimit - 30) << label;
    }
}

TEST_F(tvWorldTest, AWreckEndsTheRunAtOnceWithNoPoints)
{
    StartRun(1, 60, 100);
    CountDown();
    m_Player->SetRunPoints(150);
    After(1.0);
    m_Vehicle->SetDamage(100.0f);
    Frame();
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseSummary);
    EXPECT_TRUE(m_Summary->IsWrecked());
    EXPECT_FALSE(m_Summary->IsPassed());
    EXPECT_EQ(m_Player->GetRunPoints(), 0);
    EXPECT_EQ(m_Player->GetTotalPointsEarned(), 0);
}

TEST_F(tvWorldTest, TheRunBooksReputationOnlyInTheCareerAndLevelsUpOnItsOwnCourse)
{
    const struct
    {
        int32_t mode;
        int32_t points;
        int32_t recorded;
        const char* course;
        int32_t reputation;
        bool passed;
        bool levelUp;
    } cases[] = {
        {2, 380, 0, "Worlds\\a.xml", 8, true, true},
        {2, 500, 0, "Worlds\\a.xml", 10, true, true},
        {2, 290, 0, "Worlds\\a.xml", 0, false, false},
        // A recorded best above the score limit raises the target.
        {2, 380, 400, "Worlds\\a.xml", 0, false, false},
        // Another course than the player's career level.
        {2, 380, 0, "Worlds\\b.xml", 8, true, false},
        {1, 380, 0, "Worlds\\a.xml", 0, true, false},
    };
    m_Install.dir.Write(
        "InitData/career.xml",
        "<root><initData><uniqueID>CareerLevels</uniqueID><dataType>CareerLevels</dataType>"
        "<data><Level>Worlds\\a.xml</Level><Level>Worlds\\b.xml</Level></data></initData></root>");
    ASSERT_TRUE(m_Data.LoadInitData("InitData"));
    m_App.LoadCareerLevels();
    for (const auto& c : cases)
    {
        const std::string label = std::to_string(c.mode) + "/" + std::to_string(c.points) + "/" + c.course;
        tvPlayer player;
        player.SetCareerLevel(0);
        player.SetTotalRepPoints(3);
        player.SetUnspentRepPoints(1);
        player.SetTotalPointsEarned(1000);
        player.SetHighScore(c.course, c.recorded);
        player.SetRunPoints(c.points);
        m_App.SetLevelPath(c.course);
        m_Summary->SetPassed(false);
        m_Summary->SetLevelUp(false);
        m_Summary->SetReputation(-1);
        m_World->SetGameMode(c.mode);
        m_World->SetScoreLimit(300);
        m_World->FinishRun(&player);
        EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseFinished) << label;
        EXPECT_EQ(m_Summary->GetReputation(), c.reputation) << label;
        EXPECT_EQ(m_Summary->IsPassed(), c.passed) << label;
        EXPECT_EQ(m_Summary->IsLevelUp(), c.levelUp) << label;
        EXPECT_EQ(player.GetCareerLevel(), c.levelUp ? 1 : 0) << label;
        EXPECT_EQ(player.GetTotalRepPoints(), 3 + c.reputation) << label;
        EXPECT_EQ(player.GetUnspentRepPoints(), 1 + c.reputation) << label;
        EXPECT_EQ(player.GetTotalPointsEarned(), 1000 + c.points) << label;
    }
}

// Passing and levelling up go together at every target, a target of 0 and the ends of the range included.
TEST_F(tvWorldTest, ACareerRunLevelsUpExactlyWhenItPassesWhateverTheTarget)
{
    const struct
    {
        int32_t scoreLimit;
        int32_t points;
        bool passed;
    } cases[] = {
        {0, 0, true},
        {INT32_MIN, 0, true},
        {INT32_MAX, INT32_MAX, true},
        {INT32_MAX, INT32_MAX - 1, false},
        {300, 299, false},
    };
    m_Install.dir.Write("InitData/career.xml",
                        "<root><initData><uniqueID>CareerLevels</uniqueID><dataType>CareerLevels</dataType>"
                        "<data><Level>Worlds\\a.xml</Level></data></initData></root>");
    ASSERT_TRUE(m_Data.LoadInitData("InitData"));
    m_App.LoadCareerLevels();
    for (const auto& c : cases)
    {
        const std::string label = std::to_string(c.scoreLimit) + "/" + std::to_string(c.points);
        tvPlayer player;
        player.SetCareerLevel(0);
        player.SetRunPoints(c.points);
        player.SetTotalPointsEarned(1000);
        m_App.SetLevelPath("Worlds\\a.xml");
        m_Summary->SetPassed(false);
        m_Summary->SetLevelUp(false);
        m_World->SetGameMode(2);
        m_World->SetScoreLimit(c.scoreLimit);
        m_World->FinishRun(&player);
        EXPECT_EQ(m_Summary->IsPassed(), c.passed) << label;
        EXPECT_EQ(m_Summary->IsLevelUp(), c.passed) << label;
        EXPECT_EQ(player.GetCareerLevel(), c.passed ? 1 : 0) << label;
        EXPECT_EQ(player.GetTotalPointsEarned(), std::min<int64_t>(1000 + int64_t(c.points), INT32_MAX))
            << label;
    }
}

TEST_F(tvWorldTest, PracticeStartsOnThe31stFrameShowsGoAtOnceAndNeverEnds)
{
    m_App.SetGameMode(0);
    m_World->SetGameMode(0);
    m_World->SetRunPhase(tvWorld::kPhasePractice);
    for (int frame = 1; frame <= tvWorld::kPracticeStartFrames; ++frame)
        Frame();
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhasePractice);
    Frame();
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_TRUE(m_Hud->AreElementsHidden());
    EXPECT_FALSE(m_World->IsCountingDown());
    Frame();
    EXPECT_EQ(m_Hud->GetCountValue(), -1);
    EXPECT_TRUE(m_World->HasPlayedCue(tvWorld::kGo));
    EXPECT_EQ(m_World->GetSelectedEntity(), m_Vehicle);
    for (int minute = 0; minute < 20; ++minute)
        After(60.0);
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_EQ(m_Display->CountCalls("ShowCourseSummary"), 0u);
    EXPECT_FALSE(m_Hud->IsCountVisible());
}

TEST_F(tvWorldTest, TheRunClockStandsStillWhileTheGameIsPaused)
{
    StartRun(1, 30);
    CountDown();
    After(5.0);
    m_App.SetPaused(true);
    // Frames keep coming while paused (the world notices the pause in the next one).
    Frame();
    After(100.0);
    After(100.0);
    m_App.SetPaused(false);
    Frame();
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    EXPECT_EQ(m_World->GetElapsedSeconds(), 5);
    EXPECT_EQ(m_Hud->GetTimeText(), "0:25");
}

TEST_F(tvWorldTest, AResetPenaltyTakesFiveSecondsOnlyWhileTenOrMoreAreLeft)
{
    const struct
    {
        int32_t elapsed;
        int32_t after;
    } cases[] = {{20, 25}, {21, 21}, {0, 5}};
    for (const auto& c : cases)
    {
        m_World = std::make_unique<tvWorld>();
        m_Hud->SetWorld(m_World.get());
        StartRun(1, 30);
        CountDown();
        After(static_cast<double>(c.elapsed));
        EXPECT_EQ(m_World->ApplyTimePenalty(), c.elapsed);
        EXPECT_EQ(m_World->GetRunClock().GetElapsed(), c.after) << c.elapsed;
    }
}

TEST_F(tvWorldTest, TimeLeftShowsMinutesAndTwoDigitSeconds)
{
    const struct
    {
        int32_t limit;
        const char* text;
    } cases[] = {{65, "1:05"}, {600, "10:00"}, {9, "0:09"}, {59, "0:59"}, {0, "0:00"}};
    for (const auto& c : cases)
    {
        m_World->SetTimeLimit(c.limit);
        EXPECT_EQ(m_World->FormatTimeLeft(), c.text) << c.limit;
    }
}

TEST_F(tvWorldTest, ALockedEntityJoinsHiddenWithADebuggerLine)
{
    TiXmlDocument document;
    document.Parse("<ShopItem><locked_entity>Gizmo</locked_entity></ShopItem>");
    auto item = std::make_unique<ShopItem>();
    item->ReadXml(document.RootElement());
    m_App.GetShopItems().push_back(std::move(item));

    const struct
    {
        const char* id;
        bool signedIn;
        bool unlocked;
        bool visible;
    } cases[] = {
        {"Gizmo", true, false, false},
        {"Gizmo", true, true, true},
        {"Gizmo", false, false, true},
        {"Other", true, false, true},
    };
    for (const auto& c : cases)
    {
        tvPlayer player;
        if (c.unlocked)
            player.Unlock(c.id);
        m_App.SetCurrentPlayer(c.signedIn ? &player : nullptr);
        testsupport::DebugCapture capture;
        auto* entity = new kaEntity;
        entity->ApplyInitData(c.id);
        EXPECT_TRUE(m_World->AddEntity(entity, true, true));
        EXPECT_EQ(entity->IsVisible(), c.visible) << c.id << c.signedIn << c.unlocked;
        EXPECT_EQ(capture.Contains("Add Entity Failed  tvWorld::AddEntity"), !c.visible);
        // Shown again, it is hidden by the sweep the editor runs after a save.
        entity->SetVisible(true);
        m_World->HideLockedEntities();
        EXPECT_EQ(entity->IsVisible(), c.visible);
    }
    m_App.SetCurrentPlayer(m_Player);
}

TEST_F(tvWorldTest, WithoutAPlayerAHudOrAVehicleTheRulesSkipTheirParts)
{
    m_World->SetHudWindow(m_Display);
    m_App.SetCurrentPlayer(nullptr);
    m_World->AddPoints(20);
    EXPECT_EQ(m_Display->CountCalls("SetPointsText 20"), 0u);
    m_App.SetCurrentPlayer(m_Player);
    m_World->AddPoints(20);
    m_World->AddPoints(5);
    EXPECT_EQ(m_Hud->GetPointsText(), "25");
    EXPECT_EQ(m_Player->GetRunPoints(), 25);

    // No HUD window and no vehicle: a whole run still counts down, runs and ends.
    m_Display->SetName("Elsewhere");
    m_App.SetPlayerVehicle(nullptr);
    m_App.SetCurrentPlayer(nullptr);
    StartRun(1, 61, 100);
    EXPECT_EQ(m_World->GetHudWindow(), nullptr);
    Frame();
    for (int second = 0; second < 70; ++second)
        After(1.0);
    EXPECT_TRUE(m_World->HasPlayedCue(tvWorld::kGo));
    EXPECT_FALSE(m_World->HasPlayedCue(tvWorld::kDontGiveUp));
    EXPECT_FALSE(m_World->HasPlayedCue(tvWorld::kGetSomePoints));
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseFinished);
}

TEST_F(tvWorldTest, TheCourseKeysReadAndWriteWithTheWorldFile)
{
    m_Install.dir.Write(
        "Worlds/course.xml",
        "<World><timeLimit>75</timeLimit><scoreLimit>250</scoreLimit><levelName>Dunes</levelName>"
        "<repPointFactor>0.25</repPointFactor><name>Dunes</name></World>");
    m_World->LoadFile("Worlds/course.xml", false);
    EXPECT_EQ(m_World->GetTimeLimit(), 75);
    EXPECT_EQ(m_World->GetScoreLimit(), 250);
    EXPECT_EQ(m_World->GetLevelName(), "Dunes");
    EXPECT_FLOAT_EQ(m_World->GetRepPointFactor(), 0.25f);

    ASSERT_TRUE(m_World->SaveFile("Worlds/saved.xml", false));
    tvWorld copy;
    copy.LoadFile("Worlds/saved.xml", false);
    EXPECT_EQ(copy.GetTimeLimit(), 75);
    EXPECT_EQ(copy.GetScoreLimit(), 250);
    EXPECT_EQ(copy.GetLevelName(), "Dunes");
    TiXmlDocument saved;
    ASSERT_TRUE(saved.LoadFile(m_Install.dir.File("Worlds/saved.xml").c_str()));
    const TiXmlElement* designer = saved.RootElement()->FirstChildElement("Designer");
    ASSERT_NE(designer, nullptr);
    EXPECT_STREQ(designer->GetText(), "Ann");

    // Malformed and missing keys keep what the world had.
    m_Install.dir.Write("Worlds/bad.xml", "<World><timeLimit>soon</timeLimit><name>Bad</name></World>");
    tvWorld fresh;
    fresh.LoadFile("Worlds/bad.xml", false);
    EXPECT_EQ(fresh.GetTimeLimit(), tvWorld::kDefaultTimeLimit);
    EXPECT_EQ(fresh.GetScoreLimit(), tvWorld::kDefaultScoreLimit);
    EXPECT_FLOAT_EQ(fresh.GetRepPointFactor(), tvWorld::kDefaultRepPointFactor);
}

// A target that is no number keeps the default target, as the course lists show it: a career run with no
// points there neither passes nor levels up.
TEST_F(tvWorldTest, AScoreLimitWithoutALeadingNumberKeepsTheDefaultTargetAndARunWithNoPointsFails)
{
    const struct
    {
        const char* scoreLimit;
        int32_t target;
    } cases[] = {
        {"lots", tvWorld::kDefaultScoreLimit}, {"", tvWorld::kDefaultScoreLimit}, {"x25", 10}, {"25x", 25}};
    m_Install.dir.Write("InitData/career.xml",
                        "<root><initData><uniqueID>CareerLevels</uniqueID><dataType>CareerLevels</dataType>"
                        "<data><Level>Worlds\\word.xml</Level></data></initData></root>");
    ASSERT_TRUE(m_Data.LoadInitData("InitData"));
    m_App.LoadCareerLevels();
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.scoreLimit);
        m_Install.dir.Write("Worlds/word.xml", std::string("<World><scoreLimit>") + c.scoreLimit +
                                                   "</scoreLimit><name>Word</name></World>");
        tvWorld world;
        world.LoadFile("Worlds/word.xml", false);
        EXPECT_EQ(world.GetScoreLimit(), c.target);
        WorldInfo listed;
        ASSERT_TRUE(listed.Load(m_Install.dir.File("Worlds/word.xml")));
        EXPECT_EQ(WorldInfo::ScoreLimitValue(listed.GetScoreLimit()), world.GetScoreLimit());

        tvPlayer player;
        player.SetCareerLevel(0);
        player.SetRunPoints(0);
        m_App.SetLevelPath("Worlds\\word.xml");
        m_Summary->SetPassed(false);
        m_Summary->SetLevelUp(false);
        world.SetGameMode(2);
        world.FinishRun(&player);
        EXPECT_FALSE(m_Summary->IsPassed());
        EXPECT_FALSE(m_Summary->IsLevelUp());
        EXPECT_EQ(player.GetCareerLevel(), 0);
    }
}

// The game's world writes its course keys itself and the engine's world keeps the keys neither reads: each
// key is in a saved file once, with the world's current value, and a key of another program survives.
TEST_F(tvWorldTest, ASavedCourseHoldsEachKeyOnceAndKeepsKeysItDoesNotRead)
{
    m_Install.dir.Write("Worlds/keys.xml", "<World><timeLimit>75</timeLimit><scoreLimit>250</scoreLimit>"
                                           "<levelName>Dunes</levelName><repPointFactor>0.25</repPointFactor>"
                                           "<Designer>Kim</Designer><weather><wind>3</wind></weather>"
                                           "<name>Dunes</name></World>");
    for (const bool signedIn : {true, false})
    {
        SCOPED_TRACE(signedIn ? "signed in" : "nobody signed in");
        m_App.SetCurrentPlayer(signedIn ? m_Player : nullptr);
        tvWorld world;
        world.LoadFile("Worlds/keys.xml", false);
        world.SetScoreLimit(300);
        ASSERT_TRUE(world.SaveFile("Worlds/keys-saved.xml", false));
        TiXmlDocument saved;
        ASSERT_TRUE(saved.LoadFile(m_Install.dir.File("Worlds/keys-saved.xml").c_str()));
        const TiXmlElement* root = saved.RootElement();
        std::map<std::string, std::vector<std::string>> keys;
        for (const TiXmlElement* key = root->FirstChildElement(); key; key = key->NextSiblingElement())
            keys[key->ValueStr()].push_back(key->GetText() ? key->GetText() : "");
        const std::pair<const char*, const char*> expected[] = {{"timeLimit", "75"},
                                                                {"scoreLimit", "300"},
                                                                {"levelName", "Dunes"},
                                                                {"Designer", signedIn ? "Ann" : "Kim"},
                                                                {"name", "Dunes"}};
        for (const auto& [key, value] : expected)
            EXPECT_EQ(keys[key], std::vector<std::string>{value}) << key;
        ASSERT_EQ(keys["repPointFactor"].size(), 1u);
        EXPECT_FLOAT_EQ(std::stof(keys["repPointFactor"][0]), 0.25f);
        ASSERT_EQ(keys["weather"].size(), 1u);
        const TiXmlElement* wind = root->FirstChildElement("weather")->FirstChildElement("wind");
        ASSERT_NE(wind, nullptr);
        EXPECT_STREQ(wind->GetText(), "3");
    }
    m_App.SetCurrentPlayer(m_Player);
}

// A course key given twice: the world reads the first and writes its own value in its place, and the copy
// given again is saved after it, as read.
TEST_F(tvWorldTest, ACourseKeyGivenTwiceIsSavedAfterTheOneTheWorldReads)
{
    m_Install.dir.Write("Worlds/twice.xml", "<World><timeLimit>75</timeLimit><timeLimit>90</timeLimit>"
                                            "<Designer>Kim</Designer><Designer>Lee</Designer>"
                                            "<name>Twice</name></World>");
    for (const bool signedIn : {true, false})
    {
        SCOPED_TRACE(signedIn ? "signed in" : "nobody signed in");
        m_App.SetCurrentPlayer(signedIn ? m_Player : nullptr);
        tvWorld world;
        world.LoadFile("Worlds/twice.xml", false);
        EXPECT_EQ(world.GetTimeLimit(), 75);
        world.SetTimeLimit(80);
        ASSERT_TRUE(world.SaveFile("Worlds/twice-saved.xml", false));
        TiXmlDocument saved;
        ASSERT_TRUE(saved.LoadFile(m_Install.dir.File("Worlds/twice-saved.xml").c_str()));
        std::map<std::string, std::vector<std::string>> keys;
        for (const TiXmlElement* key = saved.RootElement()->FirstChildElement(); key;
             key = key->NextSiblingElement())
            keys[key->ValueStr()].push_back(key->GetText() ? key->GetText() : "");
        EXPECT_EQ(keys["timeLimit"], (std::vector<std::string>{"80", "90"}));
        EXPECT_EQ(keys["Designer"], (std::vector<std::string>{signedIn ? "Ann" : "Kim", "Lee"}));
    }
    m_App.SetCurrentPlayer(m_Player);
}

// A course rule the run cannot take as written plays with the default (a time past a day, held to it; a
// target, as the course lists read it) and is saved as the file gave it, as the engine's world saves the
// keys it does not read, until the course options set it; each is named once, with what is in its place.
TEST_F(tvWorldTest, ACourseRuleTheRunCannotTakeIsSavedAsWrittenUntilTheOptionsSetIt)
{
    const struct
    {
        const char* key;
        const char* text;
        const char* reason;
    } rules[] = {
        {"timeLimit", "6O", ""},
        {"scoreLimit", "1OO", "read as 1"},
        {"repPointFactor", "O.2", ""},
    };
    const std::string rulesText = "<timeLimit>6O</timeLimit><scoreLimit>1OO</scoreLimit>"
                                  "<repPointFactor>O.2</repPointFactor>";
    m_Install.dir.Write("Worlds/rules.xml", "<World>" + rulesText + "<name>Rules</name></World>");
    m_Install.dir.Write("Worlds/day.xml", "<World><timeLimit>100000</timeLimit><name>Day</name></World>");

    tvWorld course;
    course.LoadFile("Worlds/rules.xml", false);
    EXPECT_EQ(course.GetTimeLimit(), tvWorld::kDefaultTimeLimit);
    EXPECT_EQ(course.GetScoreLimit(), 1);
    EXPECT_EQ(course.GetRepPointFactor(), tvWorld::kDefaultRepPointFactor);
    const std::vector<kaWorld::MalformedValue>& noted = course.GetMalformedValues();
    ASSERT_EQ(noted.size(), std::size(rules));
    for (size_t i = 0; i < std::size(rules); ++i)
    {
        EXPECT_EQ(noted[i].entity, "") << i;
        EXPECT_EQ(noted[i].key, rules[i].key) << i;
        EXPECT_EQ(noted[i].text, rules[i].text) << i;
        EXPECT_EQ(noted[i].reason, rules[i].reason) << i;
    }
    tvWorld day;
    day.LoadFile("Worlds/day.xml", false);
    EXPECT_EQ(day.GetTimeLimit(), tvWorld::kMaxTimeLimit);
    ASSERT_EQ(day.GetMalformedValues().size(), 1u);
    EXPECT_EQ(day.GetMalformedValues()[0].reason, "held to 0 .. 86400 seconds");
    ASSERT_TRUE(day.SaveFile("Worlds/day-saved.xml", false));
    EXPECT_NE(m_Install.dir.Read("Worlds/day-saved.xml").find("<timeLimit>100000</timeLimit>"),
              std::string::npos);

    // The game's world and the engine's write the rules of one file alike.
    ASSERT_TRUE(course.SaveFile("Worlds/rules-game.xml", false));
    kaWorld engine;
    engine.LoadFile("Worlds/rules.xml", false);
    ASSERT_TRUE(engine.SaveFile("Worlds/rules-engine.xml", false));
    for (const char* saved : {"Worlds/rules-game.xml", "Worlds/rules-engine.xml"})
    {
        const std::string text = m_Install.dir.Read(saved);
        for (const auto& rule : rules)
        {
            const std::string element = std::string("<") + rule.key + ">" + rule.text + "</" + rule.key + ">";
            EXPECT_NE(text.find(element), std::string::npos) << saved << " " << element << "\n" << text;
        }
    }

    // The options give the time and the target, also the values in use: those two give way.
    course.SetTimeLimit(tvWorld::kDefaultTimeLimit);
    course.SetScoreLimit(1);
    ASSERT_TRUE(course.SaveFile("Worlds/rules-set.xml", false));
    const std::string set = m_Install.dir.Read("Worlds/rules-set.xml");
    for (const char* element :
         {"<timeLimit>10</timeLimit>", "<scoreLimit>1</scoreLimit>", "<repPointFactor>O.2</repPointFactor>"})
        EXPECT_NE(set.find(element), std::string::npos) << element << "\n" << set;
    for (const char* gone : {"6O", "1OO"})
        EXPECT_EQ(set.find(gone), std::string::npos) << gone;
}

// Whatever a course file says, the run rules work on a limit they can subtract from.
TEST_F(tvWorldTest, ExtremeLimitsFromTheFileAreHeldToADayAndTheRunRulesStayInRange)
{
    const struct
    {
        const char* timeLimit;
        int32_t held;
        const char* shownAtStart;
        bool endsAtOnce; // over within the first run second
    } cases[] = {
        {"-2147483648", 0, "0:00", true},
        {"2147483647", 86400, "1440:00", false},
        {"-1", 0, "0:00", true},
        {"0", 0, "0:00", true},
        {"86400", 86400, "1440:00", false},
        {"86401", 86400, "1440:00", false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.timeLimit);
        m_Install.dir.Write("Worlds/extreme.xml", std::string("<World><timeLimit>") + c.timeLimit +
                                                      "</timeLimit><scoreLimit>-2147483648</scoreLimit>"
                                                      "<name>Extreme</name></World>");
        m_World = std::make_unique<tvWorld>();
        m_Hud->SetWorld(m_World.get());
        m_World->LoadFile("Worlds/extreme.xml", false);
        EXPECT_EQ(m_World->GetTimeLimit(), c.held);
        EXPECT_EQ(m_World->GetScoreLimit(), INT32_MIN);
        ASSERT_TRUE(m_World->SaveFile("Worlds/extreme-saved.xml", false));
        tvWorld copy;
        copy.LoadFile("Worlds/extreme-saved.xml", false);
        EXPECT_EQ(copy.GetTimeLimit(), c.held);

        m_App.SetGameMode(1);
        m_Player->SetRunPoints(260);
        m_World->StartRound();
        EXPECT_EQ(m_World->FormatTimeLeft(), c.shownAtStart);
        CountDown();
        After(1.0);
        EXPECT_EQ(m_World->GetRunPhase() == tvWorld::kPhaseSummary, c.endsAtOnce);
        if (c.endsAtOnce)
            EXPECT_EQ(m_World->FormatTimeLeft(), "0:00");
        else
        {
            // A day is no time for the announcer yet, however far above the target the points are.
            EXPECT_FALSE(m_World->HasPlayedCue(tvWorld::kGetSomePoints));
            EXPECT_FALSE(m_World->HasPlayedCue(tvWorld::kHurryUp));
            const int32_t elapsed = m_World->GetRunClock().GetElapsed();
            EXPECT_EQ(m_World->ApplyTimePenalty(), elapsed);
            EXPECT_EQ(m_World->GetRunClock().GetElapsed(), elapsed + 5);
        }
    }
}

// Far above a target as low as it goes, the driver is cheered on, not asked for points.
TEST_F(tvWorldTest, TheLowestScoreLimitCountsAsMetByTheAnnouncer)
{
    StartRun(1, 90, INT32_MIN);
    m_Player->SetRunPoints(260);
    CountDown();
    const auto played = RunSeconds(45);
    EXPECT_EQ(played.count(tvWorld::kGetSomePoints), 0u);
    EXPECT_EQ(played.at(tvWorld::kDontGiveUp), 30);
}

// Token values come from the course file: run points saturate instead of wrapping.
TEST_F(tvWorldTest, RunPointsSaturateAtTheEndsOfTheirRange)
{
    const struct
    {
        int32_t start;
        int32_t added;
        int32_t total;
    } cases[] = {{INT32_MAX - 5, 10, INT32_MAX}, {INT32_MIN + 5, -10, INT32_MIN}, {100, -40, 60}};
    for (const auto& c : cases)
    {
        m_Player->SetRunPoints(c.start);
        m_World->AddPoints(c.added);
        EXPECT_EQ(m_Player->GetRunPoints(), c.total) << c.start << " + " << c.added;
    }
}

TEST_F(tvWorldTest, TheWorldOwnsAFollowCameraAndMakesGameArenas)
{
    ASSERT_NE(m_World->GetFollowCamera(), nullptr);
    EXPECT_EQ(m_World->GetCamera(), m_World->GetFollowCamera());
    EXPECT_EQ(m_World->GetFollowCamera()->GetWorld(), m_World.get());
    std::unique_ptr<kaEntityModel> arena(m_World->CreateArenaEntity());
    EXPECT_NE(dynamic_cast<tvArena*>(arena.get()), nullptr);
    // Worlds also make it by its class name, matched exactly.
    std::unique_ptr<kaEntity> named = CreateEntity("tvArena");
    ASSERT_NE(dynamic_cast<tvArena*>(named.get()), nullptr);
    EXPECT_EQ(named->GetClassName(), "tvArena");
    EXPECT_EQ(CreateEntity("TvArena"), nullptr);

    // Debug display modes run 1, 2, 3, 0; the physics drawing shows in 3 only.
    for (int32_t mode : {1, 2, 3, 0})
    {
        m_World->CycleDebugDisplay();
        EXPECT_EQ(m_World->GetDebugDisplayMode(), mode);
        EXPECT_EQ(m_World->GetDebugDraw(), mode == 3);
    }
}

TEST_F(tvWorldTest, DestroyingTheWorldClearsThePlayerVehicleAndSavesProfilesOutsideTheEditor)
{
    m_App.SetCurrentWorld(m_World.get());
    m_World.reset();
    EXPECT_EQ(m_App.GetPlayerVehicle(), nullptr);
    // Nothing is left pointing at it.
    EXPECT_EQ(m_App.GetCurrentWorld(), nullptr);
    EXPECT_EQ(m_Hud->GetWorld(), nullptr);
    EXPECT_TRUE(m_Install.dir.Exists("Players/Player0.xml"));

    m_Player->SetPlayerName("Bo");
    m_App.SetEditor(true);
    m_World = std::make_unique<tvWorld>();
    m_World.reset();
    m_App.SetEditor(false);
    tvPlayer reread;
    ASSERT_TRUE(reread.Load("Players/Player0.xml"));
    EXPECT_EQ(reread.GetPlayerName(), "Ann");
}

namespace
{

// Bytes the process has taken from malloc and not given back, mapped blocks included.
size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

} // namespace

TEST_F(tvWorldTest, ALongPracticeRunKeepsTheHeapAsItWas)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator does not report through mallinfo2";
#endif
    // The HUD itself under its name, with nothing recording: a practice run tells it the icon timers every
    // frame.
    m_Display->SetName("Elsewhere");
    m_Hud->SetName(tvWorld::kHudWindow);
    m_App.SetGameMode(0);
    m_World->SetGameMode(0);
    m_World->SetRunPhase(tvWorld::kPhasePractice);
    const auto frames = [this](int count)
    {
        for (int frame = 0; frame < count; ++frame)
        {
            m_Clock.AdvanceSeconds(kWorldFrame);
            Frame();
        }
    };
    frames(2000);
    ASSERT_EQ(m_World->GetHudWindow(), static_cast<RaceDisplay*>(m_Hud));
    ASSERT_TRUE(m_World->HasPlayedCue(tvWorld::kGo));
    const size_t early = HeapInUse();
    frames(18000);
    const size_t late = HeapInUse();
    EXPECT_EQ(m_World->GetRunPhase(), tvWorld::kPhaseRunning);
    // Eighteen thousand frames: a few bytes kept per frame would come to far more than this.
    EXPECT_LE(late, early + 64 * 1024) << "early " << early << ", late " << late;
}
