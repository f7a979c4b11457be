#pragma once

#include "engine/core/SoundEvent.h"
#include "engine/core/kaSoundHandle.h"

#include <cstdint>

// Counts an impact sound while it plays and unloads it afterwards.
class ImpactSoundEvent : public SoundEvent
{
public:
    ImpactSoundEvent(Wizard* wizard, const kaSoundHandle& handle) : SoundEvent(wizard), m_Handle(handle) {}

    bool Update(float dt) override;

private:
    kaSoundHandle m_Handle;
    int32_t m_State = 0;
};
