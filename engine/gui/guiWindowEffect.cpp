#include "engine/gui/guiWindowEffect.h"

#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"

guiWindowEffect::guiWindowEffect(guiWindow* target) : guiWidgetEffect(target), m_Window(target) {}

void guiWindowEffect::SetDelayedHide(int32_t result, float time)
{
    m_HideResult = result;
    m_HideTime = time;
    m_Flags |= kDelayedHide;
}

void guiWindowEffect::SetDelayedShow(float time)
{
    m_ShowTime = time;
    m_Flags |= kDelayedShow;
}

void guiWindowEffect::Update(float dt)
{
    guiWidgetEffect::Update(dt);
    if (g_pGuiManager == nullptr || m_Window == nullptr)
        return;
    if ((m_Flags & kDelayedHide) && m_Elapsed > m_HideTime)
        g_pGuiManager->HideWindow(m_Window, m_HideResult);
    if ((m_Flags & kDelayedShow) && m_Elapsed > m_ShowTime)
        g_pGuiManager->ActivateWindow(m_Window);
}

bool guiWindowEffect::IsFinished() const
{
    return m_Elapsed > m_HideTime && m_Elapsed > m_ShowTime;
}
