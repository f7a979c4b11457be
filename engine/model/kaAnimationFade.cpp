#include "engine/model/kaAnimationFade.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"

#include <tinyxml.h>

kaAnimationFade::kaAnimationFade(kaAnimation* animation) : m_pAnimation(animation) {}

kaAnimationFade::~kaAnimationFade() = default;

void kaAnimationFade::ReadState(const TiXmlElement* element, double now)
{
    if (element == nullptr)
        return;
    kaXmlValues::ReadFloatOrKeepSilently(element, "fadeStart", m_FadeStart);
    kaXmlValues::ReadFloatOrKeepSilently(element, "fadeFinal", m_FadeFinal);
    kaXmlValues::ReadFloatOrKeepSilently(element, "fadeCurrent", m_Current);
    kaXmlValues::ReadFloatOrKeepSilently(element, "fadeTime", m_FadeTime);
    float elapsed = static_cast<float>(now) - m_AnimStartTime;
    kaXmlValues::ReadFloatOrKeepSilently(element, "elapsedTime", elapsed);
    m_AnimStartTime = static_cast<float>(now) - elapsed;
    float elapsedFade = static_cast<float>(now) - m_FadeStartTime;
    kaXmlValues::ReadFloatOrKeepSilently(element, "elapsedFadeTime", elapsedFade);
    m_FadeStartTime = static_cast<float>(now) - elapsedFade;
    kaXmlValues::ReadBoolOrKeepSilently(element, "looping", m_Looping);
}

void kaAnimationFade::WriteState(TiXmlElement* element, double now) const
{
    AppendFloatElement(element, "fadeStart", m_FadeStart);
    AppendFloatElement(element, "fadeFinal", m_FadeFinal);
    AppendFloatElement(element, "fadeCurrent", m_Current);
    AppendFloatElement(element, "fadeTime", m_FadeTime);
    AppendFloatElement(element, "elapsedTime", static_cast<float>(now) - m_AnimStartTime);
    AppendFloatElement(element, "elapsedFadeTime", static_cast<float>(now) - m_FadeStartTime);
    AppendBoolElement(element, "looping", m_Looping);
}
