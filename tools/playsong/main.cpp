// playsong LIST.xml [SECONDS]: plays a song list (sampled or streamed) through the sound system. After
// SECONDS (default 20) the song is asked to stop, ends with its outro at the next loop end, and the
// program exits. SDL_AUDIODRIVER chooses the output (SDL_AUDIODRIVER=disk writes it to SDL_DISKAUDIOFILE).

#include "engine/core/Song.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "platform/system/ClockSource.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr double kDefaultSeconds = 20.0;
// Time allowed after the stop request for the last loop and the outro.
constexpr double kEndingSeconds = 120.0;
constexpr uint32_t kFrameMs = 10;

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
    {
        std::fprintf(stderr, "usage: playsong LIST.xml [SECONDS]\n");
        return 2;
    }
    const double seconds = argc == 3 ? std::atof(argv[2]) : kDefaultSeconds;

    SoundManager* manager = SoundManager::Instance();
    if (!manager->Init(nullptr))
    {
        std::fprintf(stderr, "playsong: no sound device could be opened\n");
        return 1;
    }
    Wizard wizard;
    wizard.Init(manager, false);
    wizard.LoadSong(argv[1], false, false, 0.0f, 0.0f, 0.0f, Wizard::kDefaultMaxDistance,
                    Wizard::kDefaultMinDistance);
    Song* song = wizard.GetSong();
    if (!song)
    {
        std::fprintf(stderr, "playsong: %s is not a song list that can be played\n", argv[1]);
        manager->Shutdown();
        return 1;
    }
    std::printf("playing %s: %s song, %zu loop(s)\n", argv[1], song->IsStreamed() ? "streamed" : "sampled",
                song->IsStreamed() ? song->streamLoops.size() : song->loops.size());
    wizard.StartSong();

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point last = start;
    bool stopAsked = false;
    while (wizard.GetQueuedEventCount() > 0)
    {
        platform::Sleep(kFrameMs);
        const Clock::time_point now = Clock::now();
        const float dt = std::chrono::duration<float>(now - last).count();
        last = now;
        manager->CommitDeferredSettings();
        wizard.Update(dt);
        const double elapsed = std::chrono::duration<double>(now - start).count();
        if (!stopAsked && elapsed >= seconds && wizard.GetSong())
        {
            // Ends at the next loop end through the outro, as the game's stop does.
            wizard.GetSong()->stopRequested = true;
            stopAsked = true;
        }
        if (elapsed >= seconds + kEndingSeconds)
            break;
    }
    // Lets the output play what it has taken from the mixer.
    platform::Sleep(200);
    wizard.StopSong(true);
    wizard.Shutdown();
    manager->Shutdown();
    return 0;
}
