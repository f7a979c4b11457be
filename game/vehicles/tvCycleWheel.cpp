#include "game/vehicles/tvCycleWheel.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaMaterial.h"
#include "game/vehicles/MotorCycle.h"

#include "platform/gfx/math/Matrix.h"

#include <algorithm>
#include <cmath>

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(tvCycleWheel, "tvCycleWheel")

namespace
{

const EntityFactory::Registration s_Registration(tvCycleWheel::StaticClassInfo(),
                                                 &EntityFactory::Create<tvCycleWheel>);

constexpr float kQuarterPi = 0.7853982f;

} // namespace

tvCycleWheel::tvCycleWheel() = default;

tvCycleWheel::~tvCycleWheel() = default;

void tvCycleWheel::ProcessCollisionForces()
{
    tvWheel::ProcessCollisionForces();
    if (!m_pMotorCycle || !(m_CollisionForceLength > kKnockForce))
        return;
    const size_t count = std::min(static_cast<size_t>(m_ContactRecordCount), m_ContactRecords.size());
    for (size_t i = 0; i < count; ++i)
    {
        const kaContactRecord& record = *m_ContactRecords[i];
        for (const kaMaterial* material : {record.m_pOwnMaterial, record.m_pOtherMaterial})
            if (material && material->GetNoImpactDamage())
                return;
    }
    Vector3 direction = m_CollisionForce;
    platform::Vec3Normalize(&direction, &direction);
    const Vector3 up = m_pMotorCycle->GetUpAxis();
    // Rounding may carry the cosine past 1, where acos has no value.
    const float cosine = std::clamp(platform::Vec3Dot(direction, up), -1.0f, 1.0f);
    if (std::acos(cosine) / kQuarterPi * m_CollisionForceLength <= kKnockForce)
        return;
    if (m_pMotorCycle->IsMounted())
        m_pMotorCycle->AddImpactDamage(kKnockDamage);
    m_pMotorCycle->TrySwitchToRagdoll();
}
