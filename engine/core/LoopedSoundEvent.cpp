#include "engine/core/LoopedSoundEvent.h"

#include "engine/core/Wizard.h"

bool LoopedSoundEvent::Update(float /*dt*/)
{
    switch (m_State)
    {
    case 0:
        if (m_Sound.intro.id >= 0 && !m_Wizard->IsSoundPlaying(m_Sound.intro))
        {
            if (m_Wizard->_IsLoopedStopPending())
            {
                m_Wizard->PlaySound(m_Sound.outro, false, 0);
                m_State = 2;
                m_Wizard->_SetLoopedStopPending(false);
            }
            else if (m_Sound.loop.id >= 0)
            {
                m_Wizard->PlayLoopingSound(m_Sound.loop, 0);
                m_State = 1;
            }
            else if (m_Sound.outro.id >= 0)
            {
                m_Wizard->PlaySound(m_Sound.outro, false, 0);
                m_State = 2;
            }
        }
        return false;
    case 1:
        if (!m_Wizard->IsSoundPlaying(m_Sound.loop))
        {
            if (m_Sound.outro.id >= 0)
                m_Wizard->PlaySound(m_Sound.outro, false, 0);
            m_State = 2;
        }
        return false;
    case 2:
        if (m_Sound.outro.id == -1 || !m_Wizard->IsSoundPlaying(m_Sound.outro))
        {
            if (m_Sound.unloadAfterOutro)
                m_Wizard->UnloadLoopedSound(m_Sound.intro);
            m_State = 3;
            return true;
        }
        return false;
    default:
        return false;
    }
}
