#include "engine/core/ImpactSoundEvent.h"

#include "engine/core/Wizard.h"

bool ImpactSoundEvent::Update(float /*dt*/)
{
    if (m_State == 0)
    {
        m_Wizard->_AddImpactSound(1);
        m_State = 1;
        return false;
    }
    if (m_State == 1 && !m_Wizard->IsSoundPlaying(m_Handle))
    {
        m_Wizard->_AddImpactSound(-1);
        m_Wizard->UnloadSound(m_Handle);
        m_State = 2;
        return true;
    }
    return false;
}
