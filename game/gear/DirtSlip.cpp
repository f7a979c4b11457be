#include "game/gear/DirtSlip.h"

#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/EntityFactory.h"

#include <tinyxml.h>

#include <algorithm>

KA_ENTITY_CLASS_RECORD_DEFINITION(DirtSlip, "DirtSlip")

namespace
{

const EntityFactory::Registration s_Registration(DirtSlip::StaticClassInfo(),
                                                 &EntityFactory::Create<DirtSlip>);

using kaXmlValues::ReadFloatOrThrow;

} // namespace

DirtSlip::DirtSlip() = default;

DirtSlip::~DirtSlip() = default;

void DirtSlip::ReadXml(const TiXmlElement* element)
{
    kaWheelEmitter::ReadXml(element);
    if (!element)
        return;
    ReadFloatOrThrow(element, "startForVariance", m_DustStartSpread);
    ReadFloatOrThrow(element, "scale", m_DustScale);
    ReadFloatOrThrow(element, "scaleVar", m_DustScaleSpread);
}

void DirtSlip::SetIntensity(float intensity)
{
    m_EmitRate = intensity < kMinSlip ? 0.0f : m_BaseEmitRate;
    m_Intensity = std::min(intensity, 1.0f);
}

void DirtSlip::InitParticle(int32_t index)
{
    if (index < 0 || index >= m_MaxParticles)
        return;
    kaParticle& particle = GetParticle(index);
    particle.m_Position = GetPosition();
    particle.m_Life = m_LifeTime;
    const float speed = ((RandomFloat() - 0.5f) * m_DustStartSpread + m_StartVelocityFor) * m_Intensity;
    particle.m_Velocity =
        platform::Vector3(m_Transform(2, 0) * speed, m_Transform(2, 1) * speed, m_Transform(2, 2) * speed);
    _Spread(particle);
}

void DirtSlip::Update(float dt)
{
    // Dust drifts: gravity never pulls it, whatever the emitter's switch says.
    _UpdateParticles(dt, false);
}
