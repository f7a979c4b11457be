#include "engine/scene/kaEntityPhysical.h"

#include "engine/scene/kaPhysicsWorld.h"

#include <algorithm>

kaEntityPhysical::kaEntityPhysical() = default;

kaEntityPhysical::~kaEntityPhysical()
{
    if (auto* world = dynamic_cast<kaPhysicsWorld*>(m_pWorld))
        world->ForgetEntity(this);
}

void kaEntityPhysical::OnCollide(kaEntityPhysical*, kaMaterial*, kaMaterial*) {}

void kaEntityPhysical::OnTrigger(kaEntityPhysical*, const std::string&, const std::string&) {}

void kaEntityPhysical::ProcessCollisionForces() {}

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
