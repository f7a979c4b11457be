#pragma once

#include "engine/core/SoundEvent.h"
#include "engine/core/kaSoundHandle.h"

#include <cstdint>

// Moves a sound's volume to a target over a time, in steps at most three times a second, ending
// exactly on the target.
class VolumeFade : public SoundEvent
{
public:
    static constexpr float kStepInterval = 0.33333334f;

    VolumeFade(Wizard* wizard, const kaSoundHandle& handle, uint32_t fadeMs, int32_t startVolume,
               int32_t targetVolume);

    bool Update(float dt) override;

private:
    kaSoundHandle m_Handle;
    float m_Duration;
    float m_Elapsed = 0.0f;
    float m_LastApplied = 0.0f;
    int32_t m_Start;
    int32_t m_Target;
};
