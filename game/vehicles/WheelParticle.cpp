#include "game/vehicles/WheelParticle.h"

#include "engine/core/kaRandom.h"
#include "engine/scene/EntityFactory.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(WheelParticle, "WheelParticle")

namespace
{

const EntityFactory::Registration s_Registration(WheelParticle::StaticClassInfo(),
                                                 &EntityFactory::Create<WheelParticle>);

} // namespace

WheelParticle::WheelParticle() = default;

WheelParticle::~WheelParticle() = default;

void WheelParticle::InitParticle(int32_t index)
{
    if (index < 0 || index >= m_MaxParticles)
        return;
    kaParticle& particle = GetParticle(index);
    particle.m_Position = GetPosition();
    particle.m_Life = m_LifeTime;
    particle.m_Velocity = platform::Vector3(0.0f, m_StartVelocityFor, 0.0f);
    if (m_StartVelocityX > 0.0f)
        particle.m_Velocity.x += (RandomFloat() - 0.5f) * m_StartVelocityX;
    if (m_StartVelocityZ > 0.0f)
        particle.m_Velocity.z += (RandomFloat() - 0.5f) * m_StartVelocityZ;
    particle.m_ScaleX = m_ScaleXStart;
    particle.m_ScaleY = m_ScaleYStart;
}
