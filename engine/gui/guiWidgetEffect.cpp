#include "engine/gui/guiWidgetEffect.h"

#include "engine/gui/guiGlyph.h"

void guiWidgetEffect::SetDelayedVisibility(bool visible, float time)
{
    m_Visible = visible;
    m_VisibilityTime = time;
    m_Flags |= kDelayedVisibility;
}

void guiWidgetEffect::Update(float dt)
{
    guiEffect::Update(dt);
    if ((m_Flags & kDelayedVisibility) && m_Elapsed > m_VisibilityTime && m_Target != nullptr)
        m_Target->SetVisible(m_Visible);
}

bool guiWidgetEffect::IsFinished() const
{
    return !(m_Flags & kDelayedVisibility) || m_Elapsed > m_VisibilityTime;
}
