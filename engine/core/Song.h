#pragma once

#include "engine/core/kaSoundHandle.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// An adaptive song: an intro, loops tagged with groove levels and an outro, either sampled (each part
// a sound of the sound system) or streamed (each part a file played by a music graph). The sound
// system holds at most one; the song sequencer moves it through its parts.
class Song
{
public:
    // A streamed part: its file and, for a loop, its groove level.
    struct Part
    {
        std::string path;
        int32_t grooveLevel = -1;
    };

    Song() = default;
    ~Song() = default;
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;

    bool IsStreamed() const { return streamed != 0; }
    bool HasCandidates() const { return IsStreamed() ? !streamCandidates.empty() : !candidates.empty(); }

    // Narrows the loops to the levels low..high (both included) and draws one of them to play next.
    // When no loop lies in the range the candidates stay as they were. Does nothing while busy.
    void SetGrooveRange(int32_t low, int32_t high);
    // Makes a candidate the next part: the next stream file (which the sound system then loads) or, for a
    // sampled song, the loop the sequencer plays after the current one.
    void SetNextCandidate(size_t index);
    bool InGrooveRange(int32_t level) const { return level >= grooveLow && level <= grooveHigh; }

    // Sampled parts: intro and outro owned here, the current and next loop taken from the loop list.
    std::unique_ptr<kaSoundHandle> intro;
    kaSoundHandle* currentLoop = nullptr;
    kaSoundHandle* nextLoop = nullptr;
    std::unique_ptr<kaSoundHandle> outro;

    bool unloadWhenFinished = false;
    bool option = false;
    bool stopRequested = false;
    // Set by the game; while set the sequencer stays in the loop phase.
    bool hold = false;

    // Without a range in the song list every loop is a candidate.
    int32_t grooveLow = INT_MIN;
    int32_t grooveHigh = INT_MAX;
    int32_t groovesPerChange = 1;
    // Loops drawn since the range last changed; the game keeps a range for groovesPerChange of them.
    int32_t changeCount = 0;
    // Set while the range or the next loop is being changed; other changes wait.
    bool busy = false;
    int32_t streamed = 0;

    // Streamed parts, the same way round.
    std::unique_ptr<Part> streamIntro;
    std::unique_ptr<Part> streamOutro;
    Part* streamCurrentLoop = nullptr;
    Part* streamNextLoop = nullptr;
    std::vector<std::unique_ptr<Part>> streamLoops;
    std::vector<Part*> streamCandidates;

    std::vector<std::unique_ptr<kaSoundHandle>> loops;
    std::vector<kaSoundHandle*> candidates;

    // Called at each loop end that is not a stop; the game assigns it after loading the song.
    std::function<void()> loopEndCallback;
};
