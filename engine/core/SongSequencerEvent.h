#pragma once

#include "engine/core/SoundEvent.h"

#include <cstdint>

class Song;

// Moves the current song through intro, loops and outro, polling its parts once a frame.
class SongSequencerEvent : public SoundEvent
{
public:
    // A streamed part counts as ended this long before its end (100-ns units: 25 ms).
    static constexpr int64_t kEndMargin = 250000;
    static constexpr int32_t kStateChangeTimeoutMs = 1000;

    SongSequencerEvent(Wizard* wizard, Song* song) : SoundEvent(wizard), m_Song(song) {}

    bool Update(float dt) override;

    // 0 intro, 1 loop, 2 changing loops, 3 outro, 4 done.
    int32_t GetState() const { return m_State; }

private:
    bool _UpdateStreamed();
    bool _UpdateSampled();
    bool _StreamEnded();
    // The current loop has ended: the next loop, the outro after a stop, or the same loop again while held.
    bool _OnStreamLoopEnd();

    Song* m_Song;
    int32_t m_State = 0;
};
