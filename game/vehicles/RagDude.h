#pragma once

#include "engine/scene/kaEntityPhysical.h"

// The limp rider thrown from a motorcycle: a physical entity whose record's bodies and joints make the
// limbs.
class RagDude : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    RagDude();
    ~RagDude() override;

    // The physical set-up, then the rag doll's record.
    void Initialize() override;
    // The record whose bodies and joints Initialize applies.
    void SetRagdollRecord(const std::string& id) { m_RagdollInitID = id; }
};
