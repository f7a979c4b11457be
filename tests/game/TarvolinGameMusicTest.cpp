#include "engine/core/Song.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/render/kaWorldBase.h"
#include "game/app/SongInfo.h"
#include "game/app/SoundCategory.h"
#include "game/app/Tarvolin.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/Recorders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

std::string ReadInstalled(const HeadlessGame& game, const std::string& relative)
{
    std::ifstream in(game.Install().Path() + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The song the sound system holds was read from the theme's list and its sequencer is running.
bool ThemePlaying(const Wizard& wizard)
{
    const Song* song = wizard.GetSong();
    return song != nullptr && song->IsStreamed() && song->streamIntro &&
           song->streamIntro->path.find("Roadblazer") != std::string::npos &&
           wizard._ActiveGraph() == wizard._SongGraph(Wizard::kIntroGraph) &&
           wizard.GetQueuedEventCount() > 0;
}

// The game started headless on the generated content, frames of chosen lengths after start-up.
class TarvolinGameMusicTest : public ::testing::Test
{
protected:
    void Start()
    {
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        GetTime(6);
    }

    void Frames(int count, double seconds)
    {
        for (int i = 0; i < count; ++i)
        {
            m_Game.Clock().AdvanceSeconds(seconds);
            ASSERT_TRUE(m_Game.Frame());
        }
    }

    void TearDown() override { m_Game.App().SetCurrentWorld(nullptr); }

    HeadlessGame m_Game;
};

} // namespace

TEST(TarvolinGameMusicStartTest, StartUpPlaysTheThemeWithTheGrooveChooserUnlessMusicIsMuted)
{
    for (const bool muted : {false, true})
    {
        SCOPED_TRACE(muted);
        HeadlessGame game;
        if (muted)
        {
            std::ofstream config(game.Install().Path() + "/Tarvolin.cfg", std::ios::app);
            config << "[Begin Tarvolin Config]\nMusicMuted=1\n[End Tarvolin Config]\n";
        }
        ASSERT_TRUE(game.Start());
        EXPECT_TRUE(game.App().GetMusicCallback());
        Wizard* wizard = g_pWizard;
        ASSERT_NE(wizard, nullptr);
        if (muted)
        {
            EXPECT_TRUE(wizard->IsMusicMuted());
            EXPECT_EQ(wizard->GetSong(), nullptr);
            continue;
        }
        ASSERT_TRUE(ThemePlaying(*wizard));
        // The song's loop-end hook is the game's groove chooser: calling it moves the song's range.
        Song* song = wizard->GetSong();
        ASSERT_TRUE(song->loopEndCallback);
        song->grooveLow = 1;
        song->grooveHigh = 2;
        song->loopEndCallback();
        EXPECT_EQ(song->grooveLow, 2);
        EXPECT_EQ(song->grooveHigh, 3);
    }
}

TEST_F(TarvolinGameMusicTest, StartUpLoadsEveryCategoryOfTheWorldSoundList)
{
    const std::string list = ReadInstalled(m_Game, "Data/Sounds/Sounds.xml");
    std::vector<std::string> names;
    for (size_t at = list.find("<name>"); at != std::string::npos; at = list.find("<name>", at + 1))
        names.push_back(list.substr(at + 6, list.find("</name>", at) - at - 6));
    ASSERT_GT(names.size(), 1u);
    Start();
    const tvWorldSounds& sounds = m_Game.App().GetWorldSounds();
    ASSERT_EQ(sounds.GetCategoryCount(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
    {
        EXPECT_EQ(sounds.GetCategory(i)->GetName(), names[i]);
        EXPECT_FALSE(sounds.GetCategory(i)->GetSounds().empty()) << names[i];
    }
}

TEST_F(TarvolinGameMusicTest, WithoutTheWorldSoundListStartUpGoesOnWithNone)
{
    std::filesystem::remove(m_Game.Install().Path() + "/Data/Sounds/Sounds.xml");
    Start();
    EXPECT_EQ(m_Game.App().GetWorldSounds().GetCategoryCount(), 0u);
    EXPECT_TRUE(ThemePlaying(*g_pWizard));
}

TEST_F(TarvolinGameMusicTest, MusicKeysStepThroughTheSongsDuringACourseAndStillReachTheGui)
{
    Start();
    Tarvolin& app = m_Game.App();
    const int32_t count = app.GetSongCount();
    ASSERT_GE(count, 2);
    gametest::RecordingWindow* recorder = gametest::AddFrontRecorder(m_Game.Gui());
    kaWorldBase course;

    struct Case
    {
        bool world;
        bool editor;
        const char* keys;
        int32_t from;
        int32_t to;
    };
    const Case cases[] = {
        {true, false, "+", count - 1, 0}, {true, false, "-", 0, count - 1}, {true, false, "+", 0, 1},
        {true, false, "-", 1, 0},         {false, false, "+", 0, 0},        {true, true, "+", 0, 0},
        {true, true, "-", 0, 0},          {true, false, "+-", 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::string(c.keys) + " from " + std::to_string(c.from) + (c.world ? "" : " no world") +
                     (c.editor ? " editor" : ""));
        app.SetCurrentWorld(nullptr);
        app.SetEditor(false);
        app.PlaySong(c.from);
        ASSERT_EQ(app.GetCurrentSongIndex(), c.from);
        std::vector<bool> pauses;
        app.SetPauseCallback([&pauses](bool paused) { pauses.push_back(paused); });
        app.SetCurrentWorld(c.world ? &course : nullptr);
        app.SetEditor(c.editor);
        recorder->keys.clear();
        m_Game.Window().Type(c.keys);
        Frames(1, 0.02);
        EXPECT_EQ(app.GetCurrentSongIndex(), c.to);
        const bool changed = c.world && !c.editor;
        // Each change pauses around itself and around its song's load.
        EXPECT_EQ(pauses.empty(), !changed);
        if (changed)
        {
            EXPECT_GT(g_pWizard->GetQueuedEventCount(), 0u);
        }
        app.SetPauseCallback({});
        EXPECT_EQ(recorder->KeyCodes(), std::vector<uint8_t>(c.keys, c.keys + std::string(c.keys).size()));
    }
    app.SetEditor(false);
    app.SetCurrentWorld(nullptr);
}

TEST_F(TarvolinGameMusicTest, AQueuedThemeStartsOnceTheMeasuredFrameTimesPassFiveSeconds)
{
    Start();
    g_pWizard->UnloadSong();
    m_Game.App().QueueThemeMusic(true);
    // Hitches count in full here although the frame itself uses a tenth of a second.
    Frames(3, 1.5);
    Frames(1, 0.4);
    EXPECT_EQ(g_pWizard->GetSong(), nullptr) << "4.9 s is not past the delay";
    EXPECT_TRUE(m_Game.App().IsThemeMusicQueued());
    Frames(1, 0.2);
    EXPECT_TRUE(ThemePlaying(*g_pWizard));
    EXPECT_FALSE(m_Game.App().IsThemeMusicQueued());
    // Once: the theme is not loaded again by later frames.
    g_pWizard->UnloadSong();
    Frames(4, 1.5);
    EXPECT_EQ(g_pWizard->GetSong(), nullptr);
}
