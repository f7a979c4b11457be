#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "engine/render/kaWorldBase.h"
#include "game/app/Tarvolin.h"
#include "game/screens/HudWindow.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/tvWorld.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/game/InstallFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

using testsupport::RiffBuilder;

namespace
{

// The player's vehicle with its wheels spinning at a set rate.
class MusicSpinningVehicle : public tvVehicle
{
public:
    void SetSpinRate(float rate) { m_WheelSpinRate = rate; }
};

class TarvolinMusicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
        m_App.SetPauseCallback([this](bool paused) { m_PauseCalls.push_back(paused); });
    }
    void TearDown() override
    {
        m_App.SetPlayerVehicle(nullptr);
        m_App.SetCurrentWorld(nullptr);
        m_Wizard.UnloadSong();
        SetRandomSeed(0);
    }

    std::string Wave(const std::string& relative)
    {
        m_Install.dir.Write(
            relative,
            RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(2205, 900))));
        return relative;
    }

    // A sampled song named name under relative, one loop per level given, its range low..high.
    std::string SongList(const std::string& relative, const std::string& name, const std::vector<int>& levels,
                         int low = 1, int high = 5)
    {
        const std::string stem = relative.substr(0, relative.size() - 4);
        std::string xml =
            "<song><name>" + name + "</name><initGrooveRange><high>" + std::to_string(high) + "</high><low>" +
            std::to_string(low) +
            "</low></initGrooveRange><numGroovesPerChange>2</numGroovesPerChange><stream>0</stream>"
            "<content><intro>" +
            Wave(stem + "_intro.wav") + "</intro><loops>";
        for (size_t i = 0; i < levels.size(); ++i)
            xml += "<loop><grooveLevel>" + std::to_string(levels[i]) + "</grooveLevel><file>" +
                   Wave(stem + "_loop" + std::to_string(i) + ".wav") + "</file></loop>";
        xml += "</loops></content></song>";
        m_Install.dir.Write(relative, xml);
        return relative;
    }

    // Three songs in the music folder, listed Alpha, Beta, Gamma.
    void ThreeSongs()
    {
        SongList("Resources/Sounds/Music/a.xml", "Alpha", {1});
        SongList("Resources/Sounds/Music/b.xml", "Beta", {1});
        SongList("Resources/Sounds/Music/c.xml", "Gamma", {1});
        m_App.ScanMusic(Tarvolin::kMusicFolder);
        ASSERT_EQ(m_App.GetSongCount(), 3);
    }

    // The intro file of the song the sound system holds.
    std::string PlayingIntro() const
    {
        const Song* song = m_Wizard.GetSong();
        return song && song->intro ? song->intro->name : std::string();
    }

    void LoadSong(const std::vector<int>& levels, int low, int high)
    {
        m_App.LoadThemeSong(SongList("song.xml", "Song", levels, low, high));
        ASSERT_NE(m_Wizard.GetSong(), nullptr);
    }

    static std::set<int> CandidateLevels(const Song& song)
    {
        std::set<int> levels;
        for (const kaSoundHandle* loop : song.candidates)
            levels.insert(loop->id3);
        return levels;
    }

    gametest::InstallFolder m_Install;
    platform::NullAudioSink m_Sink;
    SoundManager m_Manager;
    Wizard m_Wizard;
    Tarvolin m_App;
    kaWorldBase m_Course;
    std::vector<bool> m_PauseCalls;
};

TEST_F(TarvolinMusicTest, MusicKeysWrapRoundTheSongListAndRestartTheSong)
{
    ThreeSongs();
    m_App.SetCurrentWorld(&m_Course);
    EXPECT_EQ(m_App.PlaySong(2), "Gamma");

    m_App.ChangeSong(true);
    EXPECT_EQ(m_App.GetCurrentSongIndex(), 0);
    EXPECT_NE(PlayingIntro().find("a_intro"), std::string::npos) << PlayingIntro();
    ASSERT_NE(m_Wizard.GetSong(), nullptr);
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(*m_Wizard.GetSong()->intro));

    m_App.ChangeSong(false);
    EXPECT_EQ(m_App.GetCurrentSongIndex(), 2);
    EXPECT_NE(PlayingIntro().find("c_intro"), std::string::npos) << PlayingIntro();
    m_App.ChangeSong(false);
    EXPECT_EQ(m_App.GetCurrentSongIndex(), 1);
    m_App.ChangeSong(true);
    EXPECT_EQ(m_App.GetCurrentSongIndex(), 2);
}

TEST_F(TarvolinMusicTest, ChangingSongsPausesAroundTheChangeAndRestoresThePause)
{
    ThreeSongs();
    m_App.SetCurrentWorld(&m_Course);
    for (bool paused : {false, true})
    {
        m_App.SetPaused(paused);
        m_PauseCalls.clear();
        m_App.ChangeSong(true);
        ASSERT_GE(m_PauseCalls.size(), 2u);
        EXPECT_TRUE(m_PauseCalls.front());
        EXPECT_EQ(m_PauseCalls.back(), paused);
        EXPECT_EQ(m_App.IsPaused(), paused);
    }
}

TEST_F(TarvolinMusicTest, MusicKeysDoNothingInTheEditorOrOutsideACourse)
{
    ThreeSongs();
    EXPECT_EQ(m_App.PlaySong(1), "Beta");
    const Song* playing = m_Wizard.GetSong();
    struct Case
    {
        bool editor;
        bool world;
    } cases[] = {{false, false}, {true, true}, {true, false}};
    for (const Case& c : cases)
    {
        m_App.SetEditor(c.editor);
        m_App.SetCurrentWorld(c.world ? &m_Course : nullptr);
        m_PauseCalls.clear();
        m_App.ChangeSong(true);
        m_App.ChangeSong(false);
        EXPECT_EQ(m_App.GetCurrentSongIndex(), 1);
        EXPECT_EQ(m_Wizard.GetSong(), playing);
        EXPECT_TRUE(m_PauseCalls.empty());
    }
    m_App.SetEditor(false);
}

TEST_F(TarvolinMusicTest, AnEmptySongListLeavesThePlayingSong)
{
    LoadSong({1, 2}, 1, 2);
    Song* playing = m_Wizard.GetSong();
    m_App.SetCurrentWorld(&m_Course);
    m_App.ChangeSong(true);
    m_App.ChangeSong(false);
    EXPECT_EQ(m_Wizard.GetSong(), playing);
    EXPECT_FALSE(playing->stopRequested);
    EXPECT_EQ(m_App.PlaySong(0), "");
    EXPECT_EQ(m_Wizard.GetSong(), playing);
}

TEST_F(TarvolinMusicTest, PlaySongDrawsNegativeIndicesAndWrapsTooLargeOnes)
{
    ThreeSongs();
    struct Case
    {
        int index;
        int used;
        const char* name;
    } cases[] = {{0, 0, "Alpha"}, {2, 2, "Gamma"}, {3, 0, "Alpha"}, {40, 0, "Alpha"}};
    for (const Case& c : cases)
    {
        EXPECT_EQ(m_App.PlaySong(c.index), c.name) << c.index;
        EXPECT_EQ(m_App.GetCurrentSongIndex(), c.used) << c.index;
    }
    // A negative index takes its entry from the shared random sequence: over a few seeds every entry
    // comes up, each the one the sequence gives.
    std::set<int> drawn;
    for (uint32_t seed = 1; seed < 40; ++seed)
    {
        SetRandomSeed(seed);
        const int expected = RandomInt(3);
        SetRandomSeed(seed);
        m_App.PlaySong(-1);
        EXPECT_EQ(m_App.GetCurrentSongIndex(), expected) << seed;
        drawn.insert(m_App.GetCurrentSongIndex());
    }
    EXPECT_EQ(drawn.size(), 3u);
}

TEST_F(TarvolinMusicTest, LoadingASongPausesAroundTheLoadAndHooksTheMusicCallback)
{
    int calls = 0;
    m_App.SetMusicCallback([&calls] { ++calls; });
    for (bool paused : {false, true})
    {
        m_App.SetPaused(paused);
        m_PauseCalls.clear();
        LoadSong({1}, 1, 1);
        EXPECT_EQ(m_PauseCalls, (std::vector<bool>{true, paused}));
        EXPECT_EQ(m_App.IsPaused(), paused);
    }
    ASSERT_TRUE(m_Wizard.GetSong()->loopEndCallback);
    m_Wizard.GetSong()->loopEndCallback();
    EXPECT_EQ(calls, 1);

    m_App.SetPaused(false);
    m_App.LoadThemeSong("missing.xml");
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    EXPECT_FALSE(m_App.IsPaused());
}

TEST_F(TarvolinMusicTest, QueuedThemeStartsOnceFiveSecondsOfFramesHavePassed)
{
    SongList(Tarvolin::kThemeSong, "Theme", {1, 2});
    m_App.QueueThemeMusic(true);
    // Frame times count as they come, however long: no clamp.
    for (float dt : {2.0f, 2.0f, 1.0f})
    {
        m_App.UpdateThemeMusic(dt);
        EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    }
    m_App.UpdateThemeMusic(0.01f);
    const Song* theme = m_Wizard.GetSong();
    ASSERT_NE(theme, nullptr);
    EXPECT_TRUE(m_Wizard.IsSoundPlaying(*theme->intro));
    EXPECT_FALSE(m_App.IsThemeMusicQueued());
    m_App.UpdateThemeMusic(10.0f);
    EXPECT_EQ(m_Wizard.GetSong(), theme);

    // Queuing again starts the count afresh; unqueued, it never starts.
    m_Wizard.UnloadSong();
    m_App.QueueThemeMusic(true);
    m_App.UpdateThemeMusic(4.0f);
    m_App.QueueThemeMusic(true);
    m_App.UpdateThemeMusic(4.0f);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    m_App.QueueThemeMusic(false);
    m_App.UpdateThemeMusic(60.0f);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
}

TEST_F(TarvolinMusicTest, OutsideACourseTheGrooveRangeClimbsAndSwings)
{
    struct Case
    {
        int low, high;
        int newLow, newHigh;
        std::set<int> candidates;
    } cases[] = {
        {1, 2, 2, 3, {2, 3}},
        {3, 4, 4, 5, {4, 5}},
        {2, 4, 3, 5, {3, 4, 5}},
        {1, 4, 1, 4, {1, 2, 3, 4}},
        {4, 4, 1, 4, {1, 2, 3, 4}},
        // Nothing lies in (-1, -1): the loops of (4, 5) stay the candidates.
        {4, 5, -1, -1, {4, 5}},
        {5, 5, -1, -1, {5}},
    };
    for (const Case& c : cases)
    {
        LoadSong({1, 2, 3, 4, 5}, c.low, c.high);
        Song& song = *m_Wizard.GetSong();
        m_App.ChooseNextGroove();
        EXPECT_EQ(song.grooveLow, c.newLow) << c.low << "," << c.high;
        EXPECT_EQ(song.grooveHigh, c.newHigh) << c.low << "," << c.high;
        EXPECT_EQ(CandidateLevels(song), c.candidates) << c.low << "," << c.high;
        ASSERT_NE(song.nextLoop, nullptr);
        EXPECT_TRUE(c.candidates.count(song.nextLoop->id3)) << c.low << "," << c.high;
        // The range's own draw, then the pick of the next loop.
        EXPECT_EQ(song.changeCount, 2);
    }
}

TEST_F(TarvolinMusicTest, InACourseWithoutAVehicleTheRangeStaysAndTheNextLoopIsDrawnInIt)
{
    m_App.SetCurrentWorld(&m_Course);
    LoadSong({1, 2, 3, 4, 5}, 2, 3);
    Song& song = *m_Wizard.GetSong();
    for (int round = 1; round <= 20; ++round)
    {
        const int before = song.changeCount;
        m_App.ChooseNextGroove();
        EXPECT_EQ(song.grooveLow, 2);
        EXPECT_EQ(song.grooveHigh, 3);
        EXPECT_EQ(song.changeCount, before + 1);
        ASSERT_NE(song.nextLoop, nullptr);
        EXPECT_TRUE(song.nextLoop->id3 == 2 || song.nextLoop->id3 == 3);
        // Never the loop playing now while there is another to take.
        EXPECT_NE(song.nextLoop, song.currentLoop);
        song.currentLoop = song.nextLoop;
    }
}

TEST_F(TarvolinMusicTest, InACourseTheRangeFollowsThePlayerVehiclesWheelSpin)
{
    struct Case
    {
        float rate;
        int low, high;
        int newLow, newHigh;
    } cases[] = {
        // Slow wheels calm the music down, never below 1 and 2.
        {10.0f, 3, 4, 2, 3},
        {10.0f, 1, 2, 1, 2},
        {10.0f, 2, 2, 1, 2},
        // Medium spin.
        {45.0f, 4, 5, 3, 4},
        {45.0f, 2, 5, 2, 4},
        {45.0f, 3, 4, 1, 1},
        {45.0f, 2, 4, 3, 4},
        {45.0f, 1, 2, 1, 3},
        {45.0f, 1, 3, 2, 3},
        {45.0f, 3, 3, 3, 4},
        // Fast wheels make it busier, up to the top loops.
        {70.0f, 1, 2, 1, 3},
        {70.0f, 1, 3, 2, 3},
        {70.0f, 4, 5, 4, 5},
    };
    MusicSpinningVehicle vehicle;
    m_App.SetPlayerVehicle(&vehicle);
    m_App.SetCurrentWorld(&m_Course);
    for (const Case& c : cases)
    {
        LoadSong({1, 2, 3, 4, 5}, c.low, c.high);
        Song& song = *m_Wizard.GetSong();
        vehicle.SetSpinRate(c.rate);
        // The song owes grooves of its range first: the range stays while they are drawn.
        while (song.changeCount < song.groovesPerChange)
        {
            m_App.ChooseNextGroove();
            EXPECT_EQ(std::make_pair(song.grooveLow, song.grooveHigh), std::make_pair(c.low, c.high));
        }
        const int before = song.changeCount;
        m_App.ChooseNextGroove();
        EXPECT_EQ(std::make_pair(song.grooveLow, song.grooveHigh), std::make_pair(c.newLow, c.newHigh))
            << c.rate << ": " << c.low << "," << c.high;
        ASSERT_NE(song.nextLoop, nullptr);
        EXPECT_TRUE(song.InGrooveRange(song.nextLoop->id3)) << c.rate << ": " << c.low << "," << c.high;
        if (c.newLow == c.low && c.newHigh == c.high)
            EXPECT_EQ(song.changeCount, before + 1) << "an unchanged range draws the next loop in it";
        else
            EXPECT_EQ(song.changeCount, 1) << "a new range starts its count again";
    }
}

TEST_F(TarvolinMusicTest, TheMusicKeysShowTheSongNameOnTheCoursesHudOnlyOnceItHasOne)
{
    ThreeSongs();
    tvWorld course;
    m_App.SetCurrentWorld(&course);
    // The preview: no HUD yet, the song still changes.
    m_App.ChangeSong(true);
    EXPECT_EQ(m_App.GetCurrentSongIndex(), 1);
    HudWindow hud("missing.kab");
    course.SetHudWindow(&hud);
    m_App.ChangeSong(true);
    EXPECT_EQ(hud.GetSongName(), "Gamma");
    EXPECT_TRUE(hud.IsSongNameVisible());
    m_App.ChangeSong(false);
    EXPECT_EQ(hud.GetSongName(), "Beta");
    course.SetHudWindow(nullptr);
    m_App.SetCurrentWorld(nullptr);
}

TEST_F(TarvolinMusicTest, ABusySongKeepsItsRangeAndItsNextLoop)
{
    for (bool inCourse : {false, true})
    {
        m_App.SetCurrentWorld(inCourse ? &m_Course : nullptr);
        LoadSong({1, 2, 3}, 1, 2);
        Song& song = *m_Wizard.GetSong();
        song.busy = true;
        kaSoundHandle* next = song.nextLoop;
        m_App.ChooseNextGroove();
        EXPECT_EQ(song.grooveLow, 1);
        EXPECT_EQ(song.grooveHigh, 2);
        EXPECT_EQ(song.nextLoop, next);
        EXPECT_EQ(song.changeCount, 0);
        song.busy = false;
    }
}

TEST_F(TarvolinMusicTest, WithoutASongTheHookDoesNothing)
{
    m_App.ChooseNextGroove();
    m_App.SetCurrentWorld(&m_Course);
    m_App.ChooseNextGroove();
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
}

} // namespace
