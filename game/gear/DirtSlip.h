#pragma once

#include "game/gear/MudParticle.h"

// Dust pushed out along the emitter's third axis, as hard as the wheel slips, growing and fading over its
// life. It follows the slip alone, not the rolling speed.
class DirtSlip : public MudParticle
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Below this slip no dust.
    static constexpr float kMinSlip = 0.1f;

    DirtSlip();
    ~DirtSlip() override;

    void ReadXml(const TiXmlElement* element) override;
    void Update(float dt) override;
    void InitParticle(int32_t index) override;
    // The wheel's slip: no dust below kMinSlip, else the base rate, the push scaled by the slip up to 1.
    void SetIntensity(float intensity) override;
    void SetSlip(float slip) override { SetIntensity(slip); }
    void SetRollSpeed(float) override {}

    float GetIntensity() const { return m_Intensity; }
    float GetDustStartSpread() const { return m_DustStartSpread; }
    float GetDustScale() const { return m_DustScale; }
    float GetDustScaleSpread() const { return m_DustScaleSpread; }

private:
    float m_Intensity = 0.0f;
    float m_DustStartSpread = 0.0f;
    float m_DustScale = kDefaultScale;
    float m_DustScaleSpread = kDefaultScaleSpread;
};
