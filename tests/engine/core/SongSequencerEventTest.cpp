#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "platform/audio/MusicGraph.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/DeepXml.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

using testsupport::RiffBuilder;

namespace
{

struct LoopEntry
{
    int level;
    std::string file;
};

class SongTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Manager.Init(nullptr));
        m_Wizard.Init(&m_Manager, false);
    }
    void TearDown() override { SetRandomSeed(0); }

    std::string Wave(const std::string& name, size_t frames, int16_t value)
    {
        return m_Dir.Write(
            name,
            RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(frames, value))));
    }

    std::string SongList(bool streamed, const std::string& intro, const std::string& outro,
                         const std::vector<LoopEntry>& loops, bool withRange = true, int low = 1,
                         int high = 2)
    {
        std::string xml = "<song>";
        if (withRange)
            xml += "<initGrooveRange><high>" + std::to_string(high) + "</high><low>" + std::to_string(low) +
                   "</low></initGrooveRange>";
        xml += "<numGroovesPerChange>1</numGroovesPerChange><stream>" + std::string(streamed ? "1" : "0") +
               "</stream><content><intro>" + intro + "</intro><outro>" + outro + "</outro><loops>";
        for (const LoopEntry& loop : loops)
            xml += "<loop><grooveLevel>" + std::to_string(loop.level) + "</grooveLevel><file>" + loop.file +
                   "</file></loop>";
        xml += "</loops></content></song>";
        return m_Dir.Write("song" + std::to_string(++m_Lists) + ".xml", xml);
    }

    // A seed whose next two draws among n loops are first and second.
    static uint32_t SeedDrawing(int n, int first, int second)
    {
        for (uint32_t seed = 1; seed < 100000; ++seed)
        {
            SetRandomSeed(seed);
            const int a = RandomInt(n);
            if (a == first && RandomInt(n) == second)
                return seed;
        }
        ADD_FAILURE() << "no seed draws " << first << ", " << second;
        return 0;
    }

    kaSoundHandle Load(const std::string& list)
    {
        return m_Wizard.LoadSong(list, false, false, 0.0f, 0.0f, 0.0f, 100.0f, 4.0f);
    }

    void Frame(uint32_t frames)
    {
        m_Sink.Advance(frames);
        m_Wizard.Update(static_cast<float>(frames) / 22050.0f);
        m_Manager.CommitDeferredSettings();
    }

    int Level() const { return m_Sink.Samples().empty() ? 0 : m_Sink.Samples()[m_Sink.Samples().size() - 2]; }

    // The parts heard over the frames, each run of one level once, silences left out.
    std::vector<int> Listen(int frames, uint32_t frameLength, int stopAtFrame = -1)
    {
        std::vector<int> heard;
        for (int i = 0; i < frames; ++i)
        {
            if (i == stopAtFrame)
                m_Wizard.StopSong(false);
            Frame(frameLength);
            if (Level() != 0 && (heard.empty() || heard.back() != Level()))
                heard.push_back(Level());
        }
        return heard;
    }

    platform::NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    SoundManager m_Manager;
    Wizard m_Wizard;
    int m_Lists = 0;
};

} // namespace

TEST_F(SongTest, ASampledSongGoesIntroLoopNextLoopOutro)
{
    const std::string list = SongList(false, Wave("intro.wav", 441, 1000), Wave("outro.wav", 441, 4000),
                                      {{1, Wave("one.wav", 441, 2000)}, {2, Wave("two.wav", 441, 3000)}});
    SetRandomSeed(SeedDrawing(2, 0, 1));
    const kaSoundHandle intro = Load(list);
    ASSERT_NE(m_Wizard.GetSong(), nullptr);
    EXPECT_EQ(intro.id, 1);
    EXPECT_EQ(m_Wizard.GetSong()->currentLoop->id3, 1);
    EXPECT_EQ(m_Wizard.GetSong()->nextLoop->id3, 2);
    int loopEnds = 0;
    m_Wizard.GetSong()->loopEndCallback = [&loopEnds] { ++loopEnds; };

    m_Wizard.StartSong();
    // The next loop becomes the current one and, with nothing changing it, repeats until stopped.
    EXPECT_EQ(Listen(14, 220), (std::vector<int>{1000, 2000, 3000}));
    EXPECT_GE(loopEnds, 2);
    const int endsBeforeStop = loopEnds;
    EXPECT_EQ(Listen(14, 220, 0), (std::vector<int>{4000}));
    EXPECT_EQ(loopEnds, endsBeforeStop);
    EXPECT_EQ(Level(), 0);
    // The sequencer has finished; the song stays loaded until unloaded.
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    ASSERT_NE(m_Wizard.GetSong(), nullptr);
    // Dropping the song after its sequencer is gone frees nothing twice.
    m_Wizard.StopSong(true);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(intro));
}

TEST_F(SongTest, ASampledLoopThatEndsBeforeTheSequencerLooksAgainStillLeadsOn)
{
    const std::string list = SongList(false, Wave("intro.wav", 441, 1000), Wave("outro.wav", 441, 4000),
                                      {{1, Wave("one.wav", 441, 2000)}, {2, Wave("two.wav", 441, 3000)}});
    SetRandomSeed(SeedDrawing(2, 0, 1));
    Load(list);
    int loopEnds = 0;
    m_Wizard.GetSong()->loopEndCallback = [&loopEnds] { ++loopEnds; };
    m_Wizard.StartSong();
    Frame(441);
    Frame(441);
    ASSERT_EQ(loopEnds, 1);
    // A stall: the next loop plays through before the sequencer runs again.
    m_Sink.Advance(500);
    const std::vector<int> heard = Listen(6, 220);
    EXPECT_FALSE(heard.empty()) << "the music fell silent";
    EXPECT_GE(loopEnds, 2);
}

TEST_F(SongTest, LoopsOutsideTheGrooveRangeAreNeverChosen)
{
    const std::string list = SongList(false, "", "",
                                      {{0, Wave("zero.wav", 10, 1)},
                                       {1, Wave("one.wav", 10, 2)},
                                       {3, Wave("three.wav", 10, 3)},
                                       {2, Wave("two.wav", 10, 4)},
                                       {5, Wave("five.wav", 10, 5)}});
    std::set<int> chosen;
    for (uint32_t seed = 0; seed < 40; ++seed)
    {
        SetRandomSeed(seed);
        Load(list);
        ASSERT_NE(m_Wizard.GetSong(), nullptr);
        EXPECT_EQ(m_Wizard.GetSong()->loops.size(), 5u);
        chosen.insert(m_Wizard.GetSong()->currentLoop->id3);
        chosen.insert(m_Wizard.GetSong()->nextLoop->id3);
    }
    EXPECT_EQ(chosen, (std::set<int>{1, 2}));
}

TEST_F(SongTest, WithoutLoopsInRangeTheIntroLeadsToTheOutro)
{
    const std::string list = SongList(false, Wave("intro.wav", 441, 1000), Wave("outro.wav", 441, 4000),
                                      {{7, Wave("seven.wav", 441, 2000)}});
    Load(list);
    EXPECT_EQ(m_Wizard.GetSong()->currentLoop, nullptr);
    m_Wizard.StartSong();
    EXPECT_EQ(Listen(10, 220), (std::vector<int>{1000, 4000}));
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(SongTest, MissingOrMalformedListsLeaveNoSong)
{
    EXPECT_EQ(Load(m_Dir.File("none.xml")).id, -1);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    EXPECT_EQ(Load(m_Dir.Write("other.xml", "<music><stream>0</stream></music>")).id, -1);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    EXPECT_EQ(Load(m_Dir.Write("broken.xml", "<song><content>")).id, -1);
    // Nested too deep to parse safely: refused before parsing instead of overflowing the stack.
    EXPECT_EQ(Load(m_Dir.Write("deep.xml", "<song>" + testsupport::DeepXml("content", 50000) + "</song>")).id,
              -1);
    EXPECT_EQ(Load(m_Dir.Write("nan.xml", "<song><stream>loud</stream><content/></song>")).id, -1);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    const std::string intro = Wave("intro.wav", 441, 1000);
    EXPECT_EQ(
        Load(m_Dir.Write("nan2.xml", "<song><content><intro>" + intro +
                                         "</intro><loops><loop><grooveLevel>x</grooveLevel></loop></loops>"
                                         "</content></song>"))
            .id,
        -1);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    // The intro it had loaded went with it.
    kaSoundHandle first;
    first.id = 1;
    EXPECT_FALSE(m_Wizard.IsSoundLoaded(first));
}

TEST_F(SongTest, LoadingASongWhileOnePlaysReplacesItCleanly)
{
    const std::string list = SongList(false, Wave("intro.wav", 4410, 1000), Wave("outro.wav", 441, 4000),
                                      {{1, Wave("one.wav", 441, 2000)}});
    Load(list);
    m_Wizard.StartSong();
    Frame(220);
    // The first song's sequencer must not walk the freed song.
    Load(list);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    Frame(220);
    EXPECT_EQ(Level(), 0);
    m_Wizard.StartSong();
    m_Wizard.StartSong();
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 1u);
    Frame(220);
    EXPECT_EQ(Level(), 1000);
    m_Wizard.UnloadSong();
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    Frame(220);
}

TEST_F(SongTest, MutedMusicStopsTheSongAndKeepsItFromStarting)
{
    const std::string list =
        SongList(false, Wave("intro.wav", 4410, 1000), "", {{1, Wave("one.wav", 441, 2000)}});
    Load(list);
    m_Wizard.StartSong();
    Frame(220);
    EXPECT_EQ(Level(), 1000);
    m_Wizard.SetMusicMuted(true);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
    Frame(220);
    EXPECT_EQ(Level(), 0);
    Load(list);
    m_Wizard.StartSong();
    Frame(220);
    EXPECT_EQ(Level(), 0);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(SongTest, MusicVolumeReachesEveryPart)
{
    const std::string list =
        SongList(false, Wave("intro.wav", 441, 16000), "", {{1, Wave("one.wav", 441, 16000)}});
    m_Wizard.SetMusicVolume(-600);
    Load(list);
    m_Wizard.StartSong();
    Frame(220);
    EXPECT_NEAR(Level(), 8019, 1);
    EXPECT_EQ(GetMusicVolume(), -600);
    m_Wizard.SetMusicVolume(0);
}

namespace
{

class StreamedSongTest : public SongTest
{
protected:
    // Parts of 0.1 s (2205 frames).
    std::string Streamed(bool withIntro = true)
    {
        return SongList(true, withIntro ? Wave("intro.wav", 2205, 1000) : m_Dir.File("missing.wav"),
                        Wave("outro.wav", 2205, 4000),
                        {{1, Wave("a.wav", 2205, 2000)}, {2, Wave("b.wav", 2205, 3000)}});
    }
};

} // namespace

TEST_F(StreamedSongTest, APartEnds25MillisecondsEarlyAndTheLoopsAlternate)
{
    SetRandomSeed(SeedDrawing(2, 0, 1));
    EXPECT_EQ(Load(Streamed()).id, -1);
    ASSERT_NE(m_Wizard.GetSong(), nullptr);
    int loopEnds = 0;
    m_Wizard.GetSong()->loopEndCallback = [&loopEnds] { ++loopEnds; };
    m_Wizard.StartSong();

    // 25 ms before the end of 0.1 s is 1653.75 frames in.
    Frame(1653);
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 1000);
    Frame(1);
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 2000);

    std::vector<int> heard;
    for (int part = 0; part < 4; ++part)
    {
        // Each loop part plays until 25 ms before its end, then the other takes over.
        m_Sink.Clear();
        Frame(1600);
        heard.push_back(Level());
        Frame(60);
        Frame(10);
    }
    EXPECT_EQ(heard, (std::vector<int>{2000, 3000, 2000, 3000}));
    EXPECT_EQ(loopEnds, 4);
}

TEST_F(StreamedSongTest, AMissingPartIsSkippedAndStopRequestsTheOutro)
{
    SetRandomSeed(SeedDrawing(2, 1, 1));
    Load(Streamed(false));
    m_Wizard.GetSong()->hold = true;
    m_Wizard.StartSong();
    // No intro file: the empty intro graph counts as ended at once.
    Frame(100);
    Frame(100);
    m_Sink.Advance(4);
    EXPECT_EQ(Level(), 3000);
    // Held, the loop plays over and over.
    int heldLoopFrames = 0;
    for (int i = 0; i < 60; ++i)
    {
        Frame(100);
        heldLoopFrames += Level() == 3000;
    }
    EXPECT_GE(heldLoopFrames, 55);
    m_Wizard.GetSong()->hold = false;
    m_Wizard.GetSong()->stopRequested = true;
    EXPECT_EQ(Listen(30, 100), (std::vector<int>{3000, 4000}));
    for (int i = 0; i < 20; ++i)
        Frame(100);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
    m_Wizard.StopSong(true);
    EXPECT_EQ(m_Wizard.GetSong(), nullptr);
}

TEST_F(StreamedSongTest, SongVolumeAndStopAffectTheStream)
{
    Load(Streamed());
    m_Wizard.SetSongVolume(-600, 0);
    m_Wizard.StartSong();
    Frame(100);
    EXPECT_NEAR(Level(), 501, 1);
    m_Wizard.StopSong(false);
    Frame(100);
    EXPECT_EQ(Level(), 0);
    m_Wizard.StopSong(true);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u);
}

TEST_F(StreamedSongTest, ALoopThatEndsBeforeTheSequencerLooksAgainStillLeadsOnAndToTheOutro)
{
    SetRandomSeed(SeedDrawing(2, 0, 1));
    Load(Streamed());
    int loopEnds = 0;
    m_Wizard.GetSong()->loopEndCallback = [&loopEnds] { ++loopEnds; };
    m_Wizard.StartSong();
    // The intro, then the first loop to its end: the sequencer switches to the next loop.
    Frame(2205);
    Frame(2205);
    ASSERT_EQ(loopEnds, 1);
    // A stall (a loaded machine): the output plays the whole next loop before the sequencer runs again.
    m_Sink.Advance(2300);
    Frame(1);
    Frame(1);
    EXPECT_EQ(loopEnds, 2) << "the loop's end went unnoticed";
    m_Wizard.GetSong()->stopRequested = true;
    std::vector<int> heard = Listen(40, 200);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back(), 4000);
    EXPECT_EQ(m_Wizard.GetQueuedEventCount(), 0u) << "the stopped song never ended";
}
