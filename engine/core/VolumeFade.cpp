#include "engine/core/VolumeFade.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaLinearRamp.h"

VolumeFade::VolumeFade(Wizard* wizard, const kaSoundHandle& handle, uint32_t fadeMs, int32_t startVolume,
                       int32_t targetVolume)
    : SoundEvent(wizard), m_Handle(handle), m_Duration(static_cast<float>(fadeMs) * 0.001f),
      m_Start(startVolume), m_Target(targetVolume)
{
}

bool VolumeFade::Update(float dt)
{
    m_Elapsed += dt;
    if (m_Elapsed - m_LastApplied > kStepInterval || m_Elapsed >= m_Duration)
    {
        const kaLinearRamp ramp(0.0f, m_Duration, static_cast<float>(m_Start), static_cast<float>(m_Target));
        const int32_t volume = static_cast<int32_t>(kaLinearRamp::Evaluate(ramp, m_Elapsed));
        m_Wizard->SetVolume(m_Handle, volume, 0);
        m_LastApplied = m_Elapsed;
    }
    return m_Elapsed >= m_Duration;
}
