#include "engine/scene/kaParticleEmitterMgr.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaParticleEmitter.h"
#include "engine/scene/kaWorld.h"

#include <memory>

KA_ENTITY_CLASS_RECORD_DEFINITION(kaParticleEmitterMgr, "kaParticleEmitterMgr")

namespace
{

const EntityFactory::Registration s_Registration(kaParticleEmitterMgr::StaticClassInfo(),
                                                 &EntityFactory::Create<kaParticleEmitterMgr>);

} // namespace

kaParticleEmitterMgr::kaParticleEmitterMgr() = default;

kaParticleEmitterMgr::~kaParticleEmitterMgr()
{
    for (kaParticleEmitter* emitter : m_Emitters)
    {
        if (m_pWorld)
            m_pWorld->DeleteEntity(emitter, false);
        // Never handed to any world, nobody else would free it.
        else if (!emitter->GetWorld())
            delete emitter;
    }
}

kaParticleEmitter* kaParticleEmitterMgr::AddEmitter(const std::string& initId, int32_t bone)
{
    std::unique_ptr<kaEntity> made(kaEntity::CreateFromInitData(initId));
    auto* emitter = dynamic_cast<kaParticleEmitter*>(made.get());
    if (!emitter)
        return nullptr;
    made.release();
    emitter->SetSaved(false);
    m_Emitters.push_back(emitter);
    m_Bones.push_back(bone);
    if (m_pOwner)
    {
        const platform::Vector3 position = m_pOwner->GetBoneWorldPosition(bone);
        emitter->SetPosition(position.x, position.y, position.z);
    }
    return emitter;
}

void kaParticleEmitterMgr::AddEmittersToWorld(kaWorld* world)
{
    m_pWorld = world;
    if (!world)
        return;
    for (kaParticleEmitter* emitter : m_Emitters)
        world->AddEntity(emitter, true, true);
}

void kaParticleEmitterMgr::PlaceEmitters()
{
    if (!m_pOwner)
        return;
    for (size_t i = 0; i < m_Emitters.size(); ++i)
    {
        if (m_Bones[i] <= kNoBone)
            continue;
        const platform::Vector3 position = m_pOwner->GetBoneWorldPosition(m_Bones[i]);
        const platform::Quaternion rotation = m_pOwner->GetBoneWorldRotation(m_Bones[i]);
        m_Emitters[i]->SetPositionRotation(position.x, position.y, position.z, rotation.x, rotation.y,
                                           rotation.z, rotation.w);
    }
}
