#pragma once

#include "engine/scene/kaWheelEmitter.h"

// Clods of random size thrown up from a wheel that always fall under the emitter's gravity and keep their
// size and colour while they fly.
class MudParticle : public kaWheelEmitter
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultScale = 1.0f;
    static constexpr float kDefaultScaleSpread = 0.1f;

    MudParticle();
    ~MudParticle() override;

    // The wheel emitter's keys, then "startForVariance", "scale" and "scaleVar".
    void ReadXml(const TiXmlElement* element) override;
    void Update(float dt) override;
    void InitParticle(int32_t index) override;

    float GetStartSpread() const { return m_StartSpread; }
    float GetScale() const { return m_Scale; }
    float GetScaleSpread() const { return m_ScaleSpread; }

protected:
    // The sideways spreads a wheel's particles share, each with its own draw.
    void _Spread(kaParticle& particle) const;

    float m_StartSpread = 0.0f;
    float m_Scale = kDefaultScale;
    float m_ScaleSpread = kDefaultScaleSpread;
};
