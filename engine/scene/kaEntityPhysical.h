#pragma once

#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaEntityModel.h"

#include <ode/ode.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class kaCollisionPrimitive;
class kaGeomData;
class kaMaterial;
class kaPhysicsWorld;

// The model entity that takes part in the rigid-body simulation. From its model's collision primitives
// it builds one ODE body, one geom per primitive in a space of its own, and the body's mass; after every
// step the model follows the body. A pinned entity keeps static geoms and no body. It also holds what the
// physics world's collision pass needs of it: the collision calls and the per-step contact records.
class kaEntityPhysical : public kaEntityModel
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultCollisionMax = 6000.0f;
    static constexpr float kDefaultCollisionThreshold = 1000.0f;
    static constexpr float kDefaultMass = 1.0f;
    static constexpr const char* kCentreBoneName = "COG";

    kaEntityPhysical();
    // Frees the geoms, each once, then the body and the space the entity made; takes itself off its
    // physics world's lists and out of the records other entities hold of this frame.
    ~kaEntityPhysical() override;

    // "overrideCOG" before the model's keys; then "position", "mass", "processCollisionForce",
    // "collisionThreshold", "collisionMax", "pinned" (outside the map editor), "materialLookup" and
    // "ragdollInitID".
    void ReadXml(const TiXmlElement* element) override;
    // The spawn position, pinning, then the primitives' materials.
    void Initialize() override;
    // Places the model on the body, then reads this step's contact records.
    void Update(float dt) override;
    // Hidden, the geoms touch nothing.
    void SetVisible(bool visible) override;
    // Builds the body, the geoms and the mass from the model's primitives, when the entity is in a
    // physics world. A new body rests until something wakes it.
    void SetModel(kaModel* model) override;
    // The body follows, so that the model's centre-of-gravity point sits on the body origin. Refused
    // while the collision pass runs.
    void SetPositionRotation(const platform::Vector3& position,
                             const platform::Quaternion& rotation) override;
    void SetPosition(const platform::Vector3& position) override;
    void SetRotation(const platform::Quaternion& rotation) override;

    // Called for both entities of a contact between two collidable, visible entities, before the contact
    // joints are made; other first, then what is this entity's, then the other's. Either material may
    // be null.
    virtual void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial);
    // Called instead of OnCollide when either geom is a trigger; no contact joint follows.
    virtual void OnTrigger(kaEntityPhysical* other, const std::string& ownPrimitive,
                           const std::string& otherPrimitive);
    // Reads the contact records of the step.
    virtual void ProcessCollisionForces();

    void SetBodyEnabled(bool enable);
    // Zeros without a body.
    platform::Vector3 GetBodyPosition() const;
    // Velocities, force and torque to zero.
    void StopMotion();
    void SetLinearVelocity(float x, float y, float z);
    void SetAngularVelocity(float x, float y, float z);
    // Moves every geom into that space; with none, into a new space of the entity's own. A former space
    // of its own goes once it is empty.
    void SetSpace(dSpaceID space);
    // Pinned: static geoms in the world's space, no body. Unpinned: a resting body at the entity.
    void SetPinned(bool pinned);
    bool IsPinned() const { return m_Pinned; }
    kaGeomData* FindGeomData(const std::string& name) const;
    // Puts the mass centre on the body origin; unless keepOffset, the centre-of-gravity point of the
    // model then comes from the override, else the centre bone or "COG".
    void RecenterMass(bool keepOffset);

    dBodyID GetBody() const { return m_Body; }
    dSpaceID GetSpace() const { return m_Space; }
    const dMass& GetMass() const { return m_Mass; }
    const std::vector<std::unique_ptr<kaGeomData>>& GetGeomData() const { return m_GeomData; }
    int32_t GetPrimitiveCount() const { return m_PrimitiveCount; }
    const platform::Vector3& GetCOGOffset() const { return m_COGOffset; }
    float GetConfiguredMass() const { return m_ConfiguredMass; }
    float GetCollisionMax() const { return m_CollisionMax; }
    float GetCollisionThreshold() const { return m_CollisionThreshold; }
    float GetLastStepLength() const { return m_LastStepLength; }
    const std::string& GetRagdollInitID() const { return m_RagdollInitID; }
    const std::map<std::string, std::string>* GetMaterialLookup() const { return m_pMaterialLookup.get(); }
    void SetCentreBoneName(const std::string& name) { m_CentreBoneName = name; }
    void SetNoBoneCentre(bool noBoneCentre) { m_NoBoneCentre = noBoneCentre; }

    // The record for the next contact of this step, reused from earlier steps when there is one.
    kaContactRecord* NextContactRecord();
    int32_t GetContactRecordCount() const { return m_ContactRecordCount; }
    const std::vector<std::unique_ptr<kaContactRecord>>& GetContactRecords() const
    {
        return m_ContactRecords;
    }
    // The records are read: the next step starts from the first again.
    void ResetContactRecords() { m_ContactRecordCount = 0; }
    // Drops this step's records whose other entity is that one, keeping the order of the rest.
    void DropContactRecordsOf(const kaEntityPhysical* other);

    bool GetProcessCollisionForce() const { return m_ProcessCollisionForce; }
    void SetProcessCollisionForce(bool process) { m_ProcessCollisionForce = process; }

protected:
    // The geoms, the body and the entity's own space, each freed once.
    void _DestroyPhysics();
    // One geom of the body for a primitive; null for a primitive that cannot be built.
    dGeomID _CreatePrimitiveGeom(kaCollisionPrimitive* primitive, dMass& mass, platform::Vector3& position,
                                 platform::Quaternion& rotation);
    // ODE refuses a mass that is not above 0 or lies off the body origin.
    void _GiveMassToBody();
    // The body at p with rotation q, the model with its centre-of-gravity point on the body origin.
    void _PlaceBodyAndModel(const platform::Vector3& position, const platform::Quaternion& rotation);
    kaPhysicsWorld* _GetPhysicsWorld() const;

    float m_CollisionMax = kDefaultCollisionMax;
    float m_CollisionThreshold = kDefaultCollisionThreshold;
    // Grows and never shrinks; the first m_ContactRecordCount are this step's.
    std::vector<std::unique_ptr<kaContactRecord>> m_ContactRecords;
    int32_t m_ContactRecordCount = 0;
    bool m_Visited = false;
    bool m_NoBoneCentre = false;
    // The model point that lies at the body origin, in model space.
    platform::Vector3 m_COGOffset;
    platform::Vector3 m_HomePosition;
    platform::Quaternion m_HomeRotation;
    float m_ConfiguredMass = kDefaultMass;
    std::vector<std::unique_ptr<kaGeomData>> m_GeomData;
    // ODE keeps pointers to the mesh arrays; each data set is freed after its geom.
    std::vector<dTriMeshDataID> m_MeshData;
    int32_t m_PrimitiveCount = 0;
    dBodyID m_Body = nullptr;
    dMass m_Mass;
    dSpaceID m_Space = nullptr;
    bool m_OwnSpace = false;
    bool m_Pinned = false;
    float m_LastStepLength = 0.0f;
    platform::Vector3 m_OverrideCOG;
    bool m_HasOverrideCOG = false;
    platform::Vector3 m_SpawnPosition;
    bool m_HasSpawnPosition = false;
    bool m_ProcessCollisionForce = true;
    // Primitive name to material identifier, until Initialize hands out the materials.
    std::unique_ptr<std::map<std::string, std::string>> m_pMaterialLookup;
    std::string m_CentreBoneName;
    std::string m_RagdollInitID;
    platform::Vector3 m_CollisionForce;
    float m_CollisionForceLength = 0.0f;
};
