#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "game/Tarvolin.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/game/InstallFolder.h"
#include "tools/soundgen/MusicContent.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace
{

// What the groove hook left behind at one loop end.
struct Choice
{
    int low, high;
    std::set<int> candidates;
    int next;
};

// The generated theme played through the sequencer on the null output, the game's hook choosing each next
// loop outside a course: the music climbs through the levels, then drops back and climbs again.
TEST(TarvolinThemeTest, GeneratedThemeClimbsThroughItsGroovesOutsideACourse)
{
    gametest::InstallFolder install;
    bool written = false;
    for (const MusicContent::Plan& plan : MusicContent::Songs())
        if (plan.list == MusicContent::kThemeList)
            written = MusicContent(install.dir.Path()).WriteSong(plan);
    ASSERT_TRUE(written);

    platform::NullAudioSink sink;
    SoundManager manager;
    ASSERT_TRUE(manager.Init(nullptr));
    Wizard wizard;
    wizard.Init(&manager, false);
    Tarvolin app;
    SetRandomSeed(12);

    std::vector<Choice> choices;
    app.SetMusicCallback(
        [&]
        {
            app.ChooseNextGroove();
            const Song* song = wizard.GetSong();
            Choice choice{song->grooveLow, song->grooveHigh, {}, -1};
            for (const Song::Part* part : song->streamCandidates)
                choice.candidates.insert(part->grooveLevel);
            if (song->streamNextLoop)
                choice.next = song->streamNextLoop->grooveLevel;
            choices.push_back(choice);
        });
    app.LoadThemeSong(Tarvolin::kThemeSong);
    ASSERT_NE(wizard.GetSong(), nullptr);
    ASSERT_TRUE(wizard.GetSong()->IsStreamed());
    wizard.StartSong();

    // A tenth of a second a frame, for at most a minute of music.
    for (int frame = 0; frame < 600 && choices.size() < 7; ++frame)
    {
        sink.Advance(2205);
        sink.Clear();
        wizard.Update(0.1f);
        manager.CommitDeferredSettings();
    }
    ASSERT_GE(choices.size(), 7u);

    const std::pair<int, int> ranges[] = {{2, 3}, {3, 4}, {4, 5}, {-1, -1}, {0, 0}, {1, 1}, {2, 2}};
    for (size_t i = 0; i < 7; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(choices[i].low, ranges[i].first);
        EXPECT_EQ(choices[i].high, ranges[i].second);
        EXPECT_TRUE(choices[i].candidates.count(choices[i].next));
    }
    // Climbing: each of the first three choices lies in its range; past the top nothing matches and the
    // busiest loops stay until the range comes round to the calm ones.
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_GE(choices[i].next, choices[i].low) << i;
        EXPECT_LE(choices[i].next, choices[i].high) << i;
    }
    EXPECT_EQ(choices[3].candidates, (std::set<int>{4, 5}));
    EXPECT_EQ(choices[4].candidates, (std::set<int>{4, 5}));
    EXPECT_EQ(choices[5].next, 1);
    EXPECT_EQ(choices[6].next, 2);
    wizard.UnloadSong();
    SetRandomSeed(0);
}

} // namespace
