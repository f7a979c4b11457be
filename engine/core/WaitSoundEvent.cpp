#include "engine/core/WaitSoundEvent.h"

#include "engine/core/Wizard.h"

bool WaitSoundEvent::Update(float /*dt*/)
{
    // A sound unloaded by someone else will never start or end: nothing is left to wait for.
    if (!m_Wizard->IsSoundLoaded(m_Handle))
        return true;
    if (m_Wizard->IsSoundPlaying(m_Handle))
    {
        m_Started = true;
        return false;
    }
    if (m_Started)
    {
        m_Wizard->UnloadSound(m_Handle);
        return true;
    }
    return false;
}
