#pragma once

#include "engine/core/LoopedSound.h"
#include "engine/core/SoundEvent.h"

#include <cstdint>

// Plays a three-part sound: the intro, then the loop until it is stopped, then the outro.
class LoopedSoundEvent : public SoundEvent
{
public:
    LoopedSoundEvent(Wizard* wizard, const LoopedSound& sound) : SoundEvent(wizard), m_Sound(sound) {}

    bool Update(float dt) override;

    int32_t GetState() const { return m_State; }

private:
    LoopedSound m_Sound;
    // 0 intro, 1 loop, 2 outro, 3 done.
    int32_t m_State = 0;
};
