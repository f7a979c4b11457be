#include "engine/model/kaAnimationChannel.h"

#include "engine/model/kaAnimation.h"
#include "engine/model/kaAnimationFade.h"

kaAnimationChannel::kaAnimationChannel(int32_t number) : m_Number(number) {}

kaAnimationChannel::~kaAnimationChannel() = default;

kaAnimationFade* kaAnimationChannel::FindFade(const std::string& name) const
{
    for (const auto& fade : m_Fades)
    {
        if (fade->m_pAnimation != nullptr && fade->m_pAnimation->GetName() == name)
            return fade.get();
    }
    return nullptr;
}
