#pragma once

#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaEntityModel.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class kaMaterial;

// The model entity that takes part in the rigid-body simulation. This holds what the physics world's
// collision pass needs of it: the collision calls and the per-step contact records that carry each
// contact joint's feedback to the entity.
class kaEntityPhysical : public kaEntityModel
{
public:
    kaEntityPhysical();
    // Takes itself off its physics world's lists, and out of the records other entities hold of this frame.
    ~kaEntityPhysical() override;

    // Called for both entities of a contact between two collidable, visible entities, before the contact
    // joints are made; other first, then what is this entity's, then the other's. Either material may
    // be null.
    virtual void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial);
    // Called instead of OnCollide when either geom is a trigger; no contact joint follows.
    virtual void OnTrigger(kaEntityPhysical* other, const std::string& ownPrimitive,
                           const std::string& otherPrimitive);
    // Reads the contact records of the step.
    virtual void ProcessCollisionForces();

    // The record for the next contact of this step, reused from earlier steps when there is one.
    kaContactRecord* NextContactRecord();
    int32_t GetContactRecordCount() const { return m_ContactRecordCount; }
    const std::vector<std::unique_ptr<kaContactRecord>>& GetContactRecords() const { return m_ContactRecords; }
    // The records are read: the next step starts from the first again.
    void ResetContactRecords() { m_ContactRecordCount = 0; }
    // Drops this step's records whose other entity is that one, keeping the order of the rest.
    void DropContactRecordsOf(const kaEntityPhysical* other);

    bool GetProcessCollisionForce() const { return m_ProcessCollisionForce; }
    void SetProcessCollisionForce(bool process) { m_ProcessCollisionForce = process; }

protected:
    // Grows and never shrinks; the first m_ContactRecordCount are this step's.
    std::vector<std::unique_ptr<kaContactRecord>> m_ContactRecords;
    int32_t m_ContactRecordCount = 0;
    bool m_ProcessCollisionForce = true;
};
