#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/Wizard.h"
#include "engine/model/kaModel.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaImpactDecal.h"
#include "engine/scene/kaMaterial.h"

#include <algorithm>
#include <cmath>

// What the physics world's collision pass hands the entity: collision and trigger calls, and the contact
// records of a step, summed into impact sounds.

using platform::Vector3;

void kaEntityPhysical::OnCollide(kaEntityPhysical*, kaMaterial*, kaMaterial*) {}

void kaEntityPhysical::OnTrigger(kaEntityPhysical*, const std::string& ownPrimitive, const std::string&)
{
    for (size_t i = 0; i < m_ImpactDecals.size();)
    {
        const kaImpactDecal& decal = *m_ImpactDecals[i];
        if (decal.m_Trigger != ownPrimitive || decal.m_Threshold > m_CollisionForceLength)
        {
            ++i;
            continue;
        }
        if (m_pModel)
            m_pModel->SetSubsetRenderState(decal.m_Subset, decal.m_Texture);
        // Each decal fires once.
        m_ImpactDecals.erase(m_ImpactDecals.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (const auto& trigger : m_AltSoundTriggers)
    {
        if (trigger->m_Trigger != ownPrimitive)
            continue;
        if (trigger->m_Countdown == 0)
            _SetAltSound(*trigger, true);
        trigger->m_Countdown = kaAltSoundTrigger::kStepsAfterTouch;
    }
}

void kaEntityPhysical::_SetAltSound(const kaAltSoundTrigger& trigger, bool use) const
{
    for (const std::string& name : trigger.m_Primitives)
    {
        const kaGeomData* record = FindGeomData(name);
        if (kaMaterial* material = record ? record->GetMaterial() : nullptr)
            material->SetUseAltSound(use);
    }
}

void kaEntityPhysical::ProcessCollisionForces()
{
    if (m_Body && !dBodyIsEnabled(m_Body))
        return;
    Vector3 sum;
    const size_t count = std::min(static_cast<size_t>(m_ContactRecordCount), m_ContactRecords.size());
    for (size_t i = 0; i < count; ++i)
    {
        const dJointFeedback* feedback = m_ContactRecords[i]->m_pFeedback;
        if (feedback)
            sum += Vector3(static_cast<float>(feedback->f1[0]), static_cast<float>(feedback->f1[1]),
                           static_cast<float>(feedback->f1[2]));
    }
    m_CollisionForce = sum;
    float length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
    m_CollisionForceLength = length;
    if (!(length >= m_CollisionThreshold))
        return;
    // Without a positive maximum every sound is at full strength.
    float ratio = 1.0f;
    if (m_CollisionMax > 0.0f)
        ratio = std::min(length, m_CollisionMax) / m_CollisionMax;
    if (!g_pWizard)
        return;
    for (size_t i = 0; i < count; ++i)
    {
        const kaContactRecord& record = *m_ContactRecords[i];
        const kaMaterial* own = record.m_pOwnMaterial;
        const kaMaterial* other = record.m_pOtherMaterial;
        if (!own || !other || own->GetSoundPriority() < other->GetSoundPriority() ||
            !g_pWizard->HasFreeImpactSlot())
            continue;
        const std::string& sound = own->GetActiveSoundFile();
        if (sound.empty())
            continue;
        const Vector3 at = GetPosition();
        const kaSoundHandle handle = g_pWizard->LoadSound(sound, true, true, at.x, at.y, at.z, kImpactMaxDistance,
                                                          kImpactMinDistance);
        if (handle.id < 0)
            return;
        g_pWizard->SetSoundFrequency(handle, static_cast<uint32_t>(ratio * 2.0f * kImpactBaseFrequency));
        g_pWizard->PlayImpactSound(
            handle, static_cast<int32_t>(ratio * kImpactVolumeRange - kImpactVolumeRange + GetSoundVolume()));
        return;
    }
}

kaContactRecord* kaEntityPhysical::NextContactRecord()
{
    if (static_cast<size_t>(m_ContactRecordCount) == m_ContactRecords.size())
        m_ContactRecords.push_back(std::make_unique<kaContactRecord>());
    kaContactRecord* record = m_ContactRecords[static_cast<size_t>(m_ContactRecordCount)].get();
    ++m_ContactRecordCount;
    return record;
}

void kaEntityPhysical::DropContactRecordsOf(const kaEntityPhysical* other)
{
    const auto used = m_ContactRecords.begin() + m_ContactRecordCount;
    // The dropped records move behind the used ones and are reused later.
    const auto kept = std::stable_partition(m_ContactRecords.begin(), used,
                                            [other](const std::unique_ptr<kaContactRecord>& record)
                                            { return record->m_pOther != other; });
    m_ContactRecordCount = static_cast<int32_t>(kept - m_ContactRecords.begin());
}
