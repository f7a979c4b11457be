#pragma once

#include "engine/model/KM_TargetedNode.h"

// A light node: its transform, an optional target transform, and the light's settings.
class KM_Light : public KM_TargetedNode
{
public:
    static constexpr uint32_t kTypeId = 5;

    KM_Light();
    KM_Light(const KM_Light& other) = default;
    bool Write(KM_Stream* stream) override;
    bool Read(KM_Stream* stream) override;
    uint32_t ComputeSize() override;

    uint32_t m_LightType = 0;
    uint32_t m_Shadows = 0;
    uint32_t m_UseLight = 1;
    uint32_t m_Color = 0;
    float m_Intensity = 0.0f;
    float m_Aspect = 1.0f;
    float m_Hotspot = 0.0f;
    float m_Falloff = 0.0f;
    float m_AttenuationStart = 0.0f;
    float m_AttenuationEnd = 1.0f;
    float m_TargetDistance = 0.0f;
    uint32_t m_UseFarAttenuation = 0;
    // Shown by the text form only; not stored in the binary body.
    uint32_t m_SpotShape = 0;

private:
    bool _ReadBody(KM_Stream* stream);
    bool _WriteBody(KM_Stream* stream);
    void _WriteText(KM_Stream* stream);
};
