#pragma once

#include "engine/scene/kaEntity.h"

#include <cstdint>
#include <string>
#include <vector>

class kaEntityModel;
class kaParticleEmitter;

// Carries particle emitters on the bones of the model entity that owns it: it makes them from init data,
// puts them into the owner's world when the owner is initialised and moves them with the owner's bones.
// Once in the world the emitters belong to it; the manager deletes them through the world when it dies,
// and deletes itself only those that never reached any world.
class kaParticleEmitterMgr : public kaEntity
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Marks an emitter not carried by a bone.
    static constexpr int32_t kNoBone = -1;

    kaParticleEmitterMgr();
    ~kaParticleEmitterMgr() override;

    // Null when the record makes no emitter; the entity it made instead is destroyed. The emitter is
    // never saved with the world, and starts at the bone when the owner is known.
    kaParticleEmitter* AddEmitter(const std::string& initId, int32_t bone);
    void AddEmittersToWorld(kaWorld* world);
    // Moves every emitter on a bone to the bone's world position and rotation.
    void PlaceEmitters();

    void SetOwner(kaEntityModel* owner) { m_pOwner = owner; }
    kaEntityModel* GetOwner() const { return m_pOwner; }
    const std::vector<kaParticleEmitter*>& GetEmitters() const { return m_Emitters; }
    const std::vector<int32_t>& GetBones() const { return m_Bones; }

private:
    std::vector<kaParticleEmitter*> m_Emitters;
    // Parallel to the emitters.
    std::vector<int32_t> m_Bones;
    kaEntityModel* m_pOwner = nullptr;
};
