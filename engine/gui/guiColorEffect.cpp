#include "engine/gui/guiColorEffect.h"

#include "engine/core/kaLinearRamp.h"
#include "engine/gui/guiImage.h"

guiColorEffect::guiColorEffect(guiImage* target) : guiWidgetEffect(target), m_Image(target) {}

void guiColorEffect::SetColorFade(const kaColor& from, const kaColor& to, float start, float duration)
{
    m_From = from;
    m_To = to;
    m_Start = start;
    m_Duration = duration;
    m_Flags |= kColorFade;
}

void guiColorEffect::Update(float dt)
{
    guiWidgetEffect::Update(dt);
    if (m_Image == nullptr || m_Elapsed < m_Start)
        return;
    // The ramp makes an empty interval a step: the end colour as soon as the start is reached.
    const float progress =
        kaLinearRamp::Evaluate(kaLinearRamp(m_Start, m_Start + m_Duration, 0.0f, 1.0f), m_Elapsed);
    const kaColor color = kaColor::Lerp(m_From, m_To, progress);
    m_Image->SetColor(color.r, color.g, color.b, color.a);
}

bool guiColorEffect::IsFinished() const
{
    return m_Elapsed > m_Start + m_Duration;
}
