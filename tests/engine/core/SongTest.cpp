#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "platform/audio/MusicGraph.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <vector>

using testsupport::RiffBuilder;

namespace
{

class SongGrooveRangeTest : public ::testing::Test
{
protected:
    void TearDown() override { SetRandomSeed(0); }

    // A sampled song whose loops carry these levels; its first loop plays.
    static std::unique_ptr<Song> Sampled(const std::vector<int>& levels)
    {
        auto song = std::make_unique<Song>();
        for (size_t i = 0; i < levels.size(); ++i)
        {
            song->loops.push_back(std::make_unique<kaSoundHandle>());
            song->loops.back()->id = static_cast<int32_t>(i);
            song->loops.back()->id3 = levels[i];
            song->candidates.push_back(song->loops.back().get());
        }
        if (!song->loops.empty())
            song->currentLoop = song->nextLoop = song->loops[0].get();
        return song;
    }

    static std::unique_ptr<Song> Streamed(const std::vector<int>& levels)
    {
        auto song = std::make_unique<Song>();
        song->streamed = 1;
        for (size_t i = 0; i < levels.size(); ++i)
        {
            song->streamLoops.push_back(
                std::make_unique<Song::Part>(Song::Part{"loop" + std::to_string(i), levels[i]}));
            song->streamCandidates.push_back(song->streamLoops.back().get());
        }
        song->streamCurrentLoop = song->streamNextLoop = song->streamLoops[0].get();
        return song;
    }

    static std::multiset<int> Levels(const Song& song)
    {
        std::multiset<int> levels;
        for (const kaSoundHandle* loop : song.candidates)
            levels.insert(loop->id3);
        for (const Song::Part* part : song.streamCandidates)
            levels.insert(part->grooveLevel);
        return levels;
    }
};

TEST_F(SongGrooveRangeTest, CandidatesAreTheLoopsWithinTheRangeBothEndsIncluded)
{
    struct Case
    {
        bool streamed;
        int low, high;
        std::multiset<int> candidates;
    } cases[] = {
        {false, 2, 3, {2, 2, 3}},        {false, 5, 5, {5}},      {false, 1, 5, {1, 2, 2, 3, 5}},
        {false, 4, 4, {1, 2, 2, 3, 5}},  {true, 2, 3, {2, 2, 3}}, {true, 3, 9, {3, 5}},
        {true, -1, -1, {1, 2, 2, 3, 5}},
    };
    for (const Case& c : cases)
    {
        std::unique_ptr<Song> song = c.streamed ? Streamed({1, 2, 2, 3, 5}) : Sampled({1, 2, 2, 3, 5});
        song->changeCount = 7;
        song->SetGrooveRange(c.low, c.high);
        EXPECT_EQ(song->grooveLow, c.low);
        EXPECT_EQ(song->grooveHigh, c.high);
        EXPECT_EQ(Levels(*song), c.candidates) << c.low << ".." << c.high;
        EXPECT_EQ(song->changeCount, 1);
        EXPECT_FALSE(song->busy);
        // The draw is among the candidates; the playing loop stays.
        if (c.streamed)
        {
            EXPECT_TRUE(c.candidates.count(song->streamNextLoop->grooveLevel));
            EXPECT_EQ(song->streamCurrentLoop, song->streamLoops[0].get());
        }
        else
        {
            EXPECT_TRUE(c.candidates.count(song->nextLoop->id3));
            EXPECT_EQ(song->currentLoop, song->loops[0].get());
        }
    }
}

TEST_F(SongGrooveRangeTest, TheDrawComesFromTheSharedSequence)
{
    std::set<int32_t> drawn;
    for (uint32_t seed = 1; seed <= 30; ++seed)
    {
        std::unique_ptr<Song> song = Sampled({1, 2, 2, 3, 5});
        SetRandomSeed(seed);
        const int expected = RandomInt(3);
        SetRandomSeed(seed);
        song->SetGrooveRange(2, 3);
        EXPECT_EQ(song->nextLoop, song->candidates[static_cast<size_t>(expected)]) << seed;
        drawn.insert(song->nextLoop->id);
    }
    EXPECT_EQ(drawn, (std::set<int32_t>{1, 2, 3}));
}

TEST_F(SongGrooveRangeTest, ABusyOrEmptySongKeepsWhatItHas)
{
    std::unique_ptr<Song> busy = Sampled({1, 2, 3});
    busy->busy = true;
    busy->grooveLow = 1;
    busy->grooveHigh = 1;
    busy->SetGrooveRange(3, 3);
    EXPECT_EQ(busy->grooveLow, 1);
    EXPECT_EQ(busy->grooveHigh, 1);
    EXPECT_EQ(busy->candidates.size(), 3u);
    EXPECT_EQ(busy->changeCount, 0);
    EXPECT_TRUE(busy->busy);

    std::unique_ptr<Song> empty = Sampled({});
    empty->changeCount = 4;
    empty->SetGrooveRange(1, 5);
    EXPECT_EQ(empty->changeCount, 0);
    EXPECT_EQ(empty->nextLoop, nullptr);
    EXPECT_FALSE(empty->busy);
}

TEST_F(SongGrooveRangeTest, AStreamedSongLoadsItsNewNextLoopIntoTheNextGraph)
{
    platform::NullAudioSink sink;
    SoundManager manager;
    ASSERT_TRUE(manager.Init(nullptr));
    Wizard wizard;
    wizard.Init(&manager, false);
    testsupport::TempDir dir;
    // Each level's file lasts level tenths of a second, so a graph's duration names its file.
    std::string loops;
    for (int level = 1; level <= 3; ++level)
    {
        const std::string file = dir.Write(
            "loop" + std::to_string(level) + ".wav",
            RiffBuilder::PcmWave(
                1, 22050, 16,
                RiffBuilder::Samples16(std::vector<int16_t>(2205 * static_cast<size_t>(level), 500))));
        loops +=
            "<loop><grooveLevel>" + std::to_string(level) + "</grooveLevel><file>" + file + "</file></loop>";
    }
    const std::string list = dir.Write(
        "song.xml", "<song><initGrooveRange><high>1</high><low>1</low></initGrooveRange><stream>1</stream>"
                    "<content><loops>" +
                        loops + "</loops></content></song>");
    wizard.LoadSong(list, false, false, 0, 0, 0, 100.0f, 4.0f);
    Song* song = wizard.GetSong();
    ASSERT_NE(song, nullptr);
    for (int level : {3, 2, 3})
    {
        song->SetGrooveRange(level, level);
        ASSERT_EQ(song->streamNextLoop->grooveLevel, level);
        platform::MusicGraph* next = wizard._SongGraph(Wizard::kNextLoopGraph);
        ASSERT_NE(next, nullptr);
        int64_t duration = 0;
        ASSERT_EQ(next->GetDuration(duration), platform::kResultOk);
        EXPECT_NEAR(static_cast<double>(duration), level * 1000000.0, 1000.0) << level;
    }
    wizard.UnloadSong();
}

} // namespace
