#include "engine/model/kaAnimationFade.h"

#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"

#include <tinyxml.h>

namespace
{

template <typename T, typename Get>
void ReadValue(const TiXmlElement* parent, const char* name, T& value, Get get)
{
    const TiXmlElement* child = parent->FirstChildElement(name);
    if (child == nullptr)
        return;
    try
    {
        value = get(child);
    }
    catch (const ka::bad_lexical_cast&)
    {
    }
}

} // namespace

kaAnimationFade::kaAnimationFade(kaAnimation* animation) : m_pAnimation(animation) {}

kaAnimationFade::~kaAnimationFade() = default;

void kaAnimationFade::ReadState(const TiXmlElement* element, double now)
{
    if (element == nullptr)
        return;
    ReadValue(element, "fadeStart", m_FadeStart, GetElementFloat);
    ReadValue(element, "fadeFinal", m_FadeFinal, GetElementFloat);
    ReadValue(element, "fadeCurrent", m_Current, GetElementFloat);
    ReadValue(element, "fadeTime", m_FadeTime, GetElementFloat);
    float elapsed = static_cast<float>(now) - m_AnimStartTime;
    ReadValue(element, "elapsedTime", elapsed, GetElementFloat);
    m_AnimStartTime = static_cast<float>(now) - elapsed;
    float elapsedFade = static_cast<float>(now) - m_FadeStartTime;
    ReadValue(element, "elapsedFadeTime", elapsedFade, GetElementFloat);
    m_FadeStartTime = static_cast<float>(now) - elapsedFade;
    ReadValue(element, "looping", m_Looping, GetElementBool);
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
