#pragma once

#include "engine/render/ka3DObject.h"

#include "platform/gfx/GfxTypes.h"

// A scene object carrying a device light whose position follows the object. Every light is listed in the
// graphics manager from construction to destruction, and the render pass sets the listed lights.
class kaLight : public ka3DObject
{
public:
    static constexpr float kRange = 1000.0f;
    static constexpr float kModelRange = 10000.0f;
    static constexpr float kPointAttenuation = 0.018f;
    static constexpr float kSpotAttenuation = 0.02f;
    static constexpr float kFarAttenuationScale = 10.0f;
    // Light kinds of a model file.
    static constexpr uint32_t kModelPoint = 0;
    static constexpr uint32_t kModelSpot = 1;
    static constexpr uint32_t kModelDirectional = 2;
    static constexpr uint32_t kModelFreeSpot = 4;

    kaLight(uint32_t type, float x, float y, float z, float dx, float dy, float dz, float dr, float dg,
            float db, float da, float sr, float sg, float sb, float sa, float ar, float ag, float ab,
            float aa);
    // From a model file's light object (KM_Light), placed by its node transform. A template, so that the
    // renderer does not depend on the model-file library: the caller that reads model files has it.
    template <typename ModelLight> explicit kaLight(const ModelLight& source) : m_Light(_ClearedLight())
    {
        _InitFromModel(source.m_NodeTM.m_Rows, source.m_TargetTM.m_Rows, source.m_LightType, source.m_Color,
                       source.m_Intensity, source.m_UseFarAttenuation != 0, source.m_AttenuationEnd);
    }
    ~kaLight() override;

    uint8_t* GetClassId(uint8_t* buffer) const override;
    // The record's position follows the world matrix.
    void Update(float dt) override;

    const platform::Light& GetLight() const { return m_Light; }
    platform::Light& GetLight() { return m_Light; }
    const platform::Vector3& GetOrigin() const { return m_Origin; }

private:
    using NodeRows = float[4][3];

    static platform::Light _ClearedLight();
    void _InitFromModel(const NodeRows& node, const NodeRows& target, uint32_t kind, uint32_t color,
                        float intensity, bool useAttenuationEnd, float attenuationEnd);

    platform::Light m_Light;
    platform::Vector3 m_Origin;
};
