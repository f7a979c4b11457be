#include "engine/scene/kaWheelSurfaceEmitters.h"

#include "engine/model/kaModel.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaWheelEmitter.h"
#include "engine/scene/kaWorld.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

namespace
{

void Stop(kaWheelEmitter* emitter)
{
    if (emitter)
        emitter->SetEmitRate(0.0f);
}

} // namespace

void kaWheelSurfaceEmitters::SetMaterial(kaMaterial* material)
{
    if (m_pForcedMaterial || material == m_pMaterial)
        return;
    if (!material)
    {
        Stop(m_pSlipEmitter);
        Stop(m_pRollEmitter);
        m_pSlipEmitter = nullptr;
        m_pRollEmitter = nullptr;
        m_pMaterial = nullptr;
        return;
    }
    m_pMaterial = material;
    Stop(m_pSlipEmitter);
    m_pSlipEmitter = _Find(material->GetSlipParticle(), kSlip);
    Stop(m_pRollEmitter);
    m_pRollEmitter = _Find(material->GetRollParticle(), kRoll);
}

void kaWheelSurfaceEmitters::ForceMaterial(kaMaterial* material)
{
    m_pForcedMaterial = nullptr;
    SetMaterial(material);
    m_pForcedMaterial = material;
}

kaWheelEmitter* kaWheelSurfaceEmitters::_Find(const std::string& particle, Tag tag)
{
    if (particle.empty())
        return nullptr;
    for (const Entry& entry : m_Emitters)
    {
        if (entry.tag == tag && entry.particle == particle)
            return entry.emitter;
    }
    // Without a world nobody would own what is made here.
    if (!m_pWorld)
        return nullptr;
    kaEntity* made = kaEntity::CreateFromInitData(particle, m_pWorld);
    auto* emitter = dynamic_cast<kaWheelEmitter*>(made);
    if (!emitter)
    {
        if (made)
        {
            platform::OutputDebugString("[kaWheelSurfaceEmitters::SetMaterial] : \"" + particle +
                                        "\" is no wheel emitter\n");
            m_pWorld->DeleteEntity(made, false);
        }
        return nullptr;
    }
    emitter->SetSaved(false);
    emitter->SetEmitRate(0.0f);
    m_Emitters.push_back({emitter, tag, particle});
    return emitter;
}

void kaWheelSurfaceEmitters::Place(const kaEntityModel* wheel) const
{
    if (!m_pSlipEmitter && !m_pRollEmitter)
        return;
    Vector3 position = wheel ? wheel->GetPosition() : Vector3();
    // Without a bone the emitters stay unturned: a rolling wheel's rotation would spin their axes.
    Quaternion rotation;
    const kaModel* model = m_pVehicle ? m_pVehicle->GetModel() : nullptr;
    const Matrix* bone = model ? model->GetBoneMatrix(m_Bone) : nullptr;
    if (bone)
    {
        const Matrix world = *bone * m_pVehicle->GetWorldMatrixPtr();
        position = Vector3(world(3, 0), world(3, 1), world(3, 2));
        platform::QuaternionRotationMatrix(&rotation, &world);
        platform::QuaternionNormalize(&rotation, &rotation);
    }
    for (kaWheelEmitter* emitter : {m_pSlipEmitter, m_pRollEmitter})
    {
        if (emitter)
            emitter->SetPositionRotation(position.x, position.y, position.z, rotation.x, rotation.y,
                                         rotation.z, rotation.w);
    }
}
