#pragma once

#include "engine/core/SoundEvent.h"
#include "engine/core/kaSoundHandle.h"

// Unloads a one-shot sound once it has played to its end.
class WaitSoundEvent : public SoundEvent
{
public:
    WaitSoundEvent(Wizard* wizard, const kaSoundHandle& handle) : SoundEvent(wizard), m_Handle(handle) {}

    bool Update(float dt) override;

private:
    kaSoundHandle m_Handle;
    bool m_Started = false;
};
