#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaRandom.h"
#include "engine/render/kaWorldBase.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/tvVehicle.h"
#include "platform/audio/NullAudioSink.h"
#include "tests/support/game/InstallFolder.h"
#include "tools/soundgen/MusicContent.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The player's vehicle with its wheels spinning at a set rate.
class SpinningVehicle : public tvVehicle
{
public:
    void SetSpinRate(float rate) { m_WheelSpinRate = rate; }
};

// In a course the music follows the wheels: slow, then spinning fast, then slow again, the chosen loops
// climb and fall in groove level, each within the range in force when it was chosen.
TEST(TarvolinThemeTest, GeneratedThemeFollowsTheWheelSpinInACourse)
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
    kaWorldBase course;
    SpinningVehicle vehicle;
    app.SetCurrentWorld(&course);
    app.SetPlayerVehicle(&vehicle);
    SetRandomSeed(7);

    struct Chosen
    {
        float rate;
        int low, high, next;
    };
    std::vector<Chosen> chosen;
    app.SetMusicCallback(
        [&]
        {
            app.ChooseNextGroove();
            const Song* song = wizard.GetSong();
            if (song->streamNextLoop)
                chosen.push_back({vehicle.GetWheelSpinRate(), song->grooveLow, song->grooveHigh,
                                  song->streamNextLoop->grooveLevel});
        });
    app.LoadThemeSong(Tarvolin::kThemeSong);
    ASSERT_NE(wizard.GetSong(), nullptr);
    wizard.StartSong();

    const float rates[] = {10.0f, 70.0f, 10.0f};
    constexpr size_t kChoicesEach = 12;
    for (size_t phase = 0; phase < 3; ++phase)
    {
        vehicle.SetSpinRate(rates[phase]);
        for (int frame = 0; frame < 3000 && chosen.size() < kChoicesEach * (phase + 1); ++frame)
        {
            sink.Advance(2205);
            sink.Clear();
            wizard.Update(0.1f);
            manager.CommitDeferredSettings();
        }
        ASSERT_GE(chosen.size(), kChoicesEach * (phase + 1)) << "phase " << phase;
    }
    for (size_t i = 0; i < chosen.size(); ++i)
    {
        EXPECT_GE(chosen[i].next, chosen[i].low) << i;
        EXPECT_LE(chosen[i].next, chosen[i].high) << i;
    }
    auto levels = [&](size_t first, size_t last)
    {
        std::vector<int> out;
        for (size_t i = first; i < last; ++i)
            out.push_back(chosen[i].next);
        return out;
    };
    const std::vector<int> calm = levels(0, kChoicesEach);
    const std::vector<int> busy = levels(kChoicesEach + kChoicesEach / 2, 2 * kChoicesEach);
    const std::vector<int> calmAgain = levels(2 * kChoicesEach + kChoicesEach / 2, 3 * kChoicesEach);
    EXPECT_LE(*std::max_element(calm.begin(), calm.end()), 2);
    EXPECT_GE(*std::min_element(busy.begin(), busy.end()), 3);
    EXPECT_LE(*std::max_element(calmAgain.begin(), calmAgain.end()), 2);
    app.SetPlayerVehicle(nullptr);
    app.SetCurrentWorld(nullptr);
    wizard.UnloadSong();
    SetRandomSeed(0);
}

} // namespace
