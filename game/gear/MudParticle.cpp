#include "game/gear/MudParticle.h"

#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/EntityFactory.h"

#include <tinyxml.h>

KA_ENTITY_CLASS_RECORD_DEFINITION(MudParticle, "MudParticle")

namespace
{

const EntityFactory::Registration s_Registration(MudParticle::StaticClassInfo(),
                                                 &EntityFactory::Create<MudParticle>);

using kaXmlValues::ReadFloatOrThrow;

} // namespace

MudParticle::MudParticle() = default;

MudParticle::~MudParticle() = default;

void MudParticle::ReadXml(const TiXmlElement* element)
{
    kaWheelEmitter::ReadXml(element);
    if (!element)
        return;
    ReadFloatOrThrow(element, "startForVariance", m_StartSpread);
    ReadFloatOrThrow(element, "scale", m_Scale);
    ReadFloatOrThrow(element, "scaleVar", m_ScaleSpread);
}

void MudParticle::_Spread(kaParticle& particle) const
{
    if (m_StartVelocityX > 0.0f)
        particle.m_Velocity.x += (RandomFloat() - 0.5f) * m_StartVelocityX;
    if (m_StartVelocityZ > 0.0f)
        particle.m_Velocity.z += (RandomFloat() - 0.5f) * m_StartVelocityZ;
}

void MudParticle::InitParticle(int32_t index)
{
    if (index < 0 || index >= m_MaxParticles)
        return;
    kaParticle& particle = GetParticle(index);
    particle.m_Position = GetPosition();
    particle.m_Life = m_LifeTime;
    particle.m_Velocity =
        platform::Vector3(0.0f, (RandomFloat() - 0.5f) * m_StartSpread + m_StartVelocityFor, 0.0f);
    particle.m_ScaleX = (RandomFloat() - 0.5f) * m_ScaleSpread + m_Scale;
    particle.m_ScaleY = (RandomFloat() - 0.5f) * m_ScaleSpread + m_Scale;
    _Spread(particle);
}

void MudParticle::Update(float dt)
{
    kaEntity::Update(dt);
    Emit(dt);
    for (int32_t i = 0; i < m_LiveCount; ++i)
    {
        kaParticle& particle = GetParticle(i);
        // Clods always fall, whatever the emitter's gravity switch says.
        particle.m_Velocity += m_Gravity * dt;
        particle.m_Position += particle.m_Velocity * dt;
        particle.m_Life -= dt;
        if (particle.m_Life <= 0.0f)
            RemoveParticle(i);
    }
    if (m_pBoundingBox)
        _FitBoundingBox();
}
