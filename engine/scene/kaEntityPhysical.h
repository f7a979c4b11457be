#pragma once

#include "engine/scene/kaContactRecord.h"
#include "engine/scene/kaEntityModel.h"
#include "engine/scene/kaJoint.h"

#include <ode/ode.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class kaCollisionPrimitive;
class kaBoneControl;
class kaGeomData;
class kaMaterial;
class kaPhysicsWorld;
struct kaAltSoundTrigger;
struct kaImpactDecal;

// The model entity that takes part in the rigid-body simulation. From its model's collision primitives
// it builds one ODE body, one geom per primitive in a space of its own, and the body's mass; after every
// step the model follows the body. A pinned entity keeps static geoms and no body. It also holds what the
// physics world's collision pass needs of it: the collision calls and the per-step contact records. Joints
// link it to other physical entities at bones; hard contacts play impact sounds, named primitives put
// decals on the model and switch materials to their alternate sounds.
class kaEntityPhysical : public kaEntityModel
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultCollisionMax = 6000.0f;
    static constexpr float kDefaultCollisionThreshold = 1000.0f;
    static constexpr float kDefaultMass = 1.0f;
    static constexpr const char* kCentreBoneName = "COG";
    // Impact sounds: full pitch is twice this rate; the sound is heard between these distances.
    static constexpr float kImpactBaseFrequency = 44100.0f;
    static constexpr float kImpactMaxDistance = 1000.0f;
    static constexpr float kImpactMinDistance = 500.0f;
    // Hundredths of a decibel below the effects volume at the softest impact.
    static constexpr float kImpactVolumeRange = 500.0f;

    kaEntityPhysical();
    // Deletes the dependent entities from the world and detaches every joint once, then frees the
    // geoms, each once, the body and the space the entity made; takes itself off its physics world's
    // lists and out of the records other entities hold of this frame.
    ~kaEntityPhysical() override;

    // "overrideCOG" (a placement, within the bound) before the model's keys; then the model's position as
    // the spawn position, "mass", "processCollisionForce", "collisionThreshold", "collisionMax", "pinned"
    // (outside an edited world), "joint", "materialLookup", "boneControl", "ragdollInitID", "decal" and
    // "altSoundTrigger".
    void ReadXml(const TiXmlElement* element) override;
    // The model's keys, then the physical keys as the entity's own block gave them.
    void WriteXml(TiXmlElement* element) const override;
    // The model, and the joints' anchors while the physics world draws its debug shapes.
    void Render() override;
    // The spawn position, pinning, then the primitives' materials.
    void Initialize() override;
    // Places the model on the body, then reads this step's contact records.
    void Update(float dt) override;
    // Hidden, the geoms touch nothing.
    void SetVisible(bool visible) override;
    // Builds the body, the geoms and the mass from the model's primitives, when the entity is in a
    // physics world. A new body rests until something wakes it.
    void SetModel(kaModel* model) override;
    // The physics world calls this as the entity joins it: a model set before the entity had a world
    // built nothing, so the body and geoms are built now, once, honouring pinning and visibility.
    void BuildPhysicsOnJoin();
    // The body follows, so that the model's centre-of-gravity point sits on the body origin. Refused
    // while the collision pass runs.
    void SetPositionRotation(const platform::Vector3& position,
                             const platform::Quaternion& rotation) override;
    void SetPosition(const platform::Vector3& position) override;
    void SetRotation(const platform::Quaternion& rotation) override;

    // Leaves the joint list, unless the list is locked.
    virtual void RemoveJoint(kaJoint* joint);
    // Called for both entities of a contact between two collidable, visible entities, before the contact
    // joints are made; other first, then what is this entity's, then the other's. Either material may
    // be null.
    virtual void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial);
    // Called instead of OnCollide when either geom is a trigger; no contact joint follows. Fires the
    // decals of the primitive and switches materials to their alternate sounds.
    virtual void OnTrigger(kaEntityPhysical* other, const std::string& ownPrimitive,
                           const std::string& otherPrimitive);
    // Sums the contact forces of the step and plays at most one impact sound by their strength.
    virtual void ProcessCollisionForces();

    // Listed once, however often a joint connects again.
    void AddJoint(kaJoint* joint);
    // A dying joint leaves the list whether it is locked or not.
    virtual void ForgetJoint(kaJoint* joint);
    const std::vector<kaJoint*>& GetJoints() const { return m_Joints; }
    void SetJointsLocked(bool locked) { m_JointsLocked = locked; }
    // The first joint of that name here, else, when recursive, at the entities jointed to this one
    // (except the one excluded), depth first; each entity is searched once, so rings end.
    kaJoint* FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive);
    // The rag doll's record applied; the model then leaves its limbs' bones to their bodies.
    void ApplyRagdollInitData();
    const std::vector<std::unique_ptr<kaBoneControl>>& GetBoneControls() const { return m_BoneControls; }
    const std::vector<kaEntityPhysical*>& GetDependents() const { return m_Dependents; }
    size_t GetImpactDecalCount() const { return m_ImpactDecals.size(); }
    const std::vector<std::unique_ptr<kaAltSoundTrigger>>& GetAltSoundTriggers() const
    {
        return m_AltSoundTriggers;
    }
    // The summed contact force of the last step that read its contacts, and its length.
    const platform::Vector3& GetCollisionForce() const { return m_CollisionForce; }
    float GetCollisionForceLength() const { return m_CollisionForceLength; }

    void SetBodyEnabled(bool enable);
    // Zeros without a body.
    platform::Vector3 GetBodyPosition() const;
    // Velocities, force and torque to zero, here and on everything jointed to it.
    void StopMotion();
    // The same velocity for the whole jointed assembly.
    void SetLinearVelocity(float x, float y, float z);
    void SetAngularVelocity(float x, float y, float z);
    // Moves every geom, and those of everything jointed to it, into that space; with none, into a new
    // space of the entity's own. A former space of its own goes once it is empty.
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
    // Moves the primitives held in geom transforms by the offset, in model space.
    void _MoveTransformedGeoms(const platform::Vector3& offset);
    // The body at p with rotation q, the model with its centre-of-gravity point on the body origin.
    void _PlaceBodyAndModel(const platform::Vector3& position, const platform::Quaternion& rotation);
    kaPhysicsWorld* _GetPhysicsWorld() const;
    // Calls the function on this entity and on every entity reached through joints, each once.
    template <typename Function> void _ForAssembly(Function function);
    kaJoint* _FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive,
                        std::vector<kaEntityPhysical*>& visited);
    // The joints' axes before the body changes, and the joints hung on the bodies after.
    std::vector<std::pair<kaJoint*, kaJoint::AxisState>> _CaptureJointAxes() const;
    static void _ReattachJoints(const std::vector<std::pair<kaJoint*, kaJoint::AxisState>>& joints);
    // Pinned: the geoms go into the world's space and the body goes; the joints stay hung.
    void _DropBody();
    void _ReadJoint(const TiXmlElement* element);
    void _ReadBoneControl(const TiXmlElement* element);
    void _SetAltSound(const kaAltSoundTrigger& trigger, bool use) const;
    // Takes the limb's bone controls of this owner out, as the owner goes.
    void _DropBoneControlsOf(const kaEntityPhysical* owner);

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
    std::vector<kaJoint*> m_Joints;
    bool m_JointsLocked = false;
    // Bones of other entities' models that follow this entity's body.
    std::vector<std::unique_ptr<kaBoneControl>> m_BoneControls;
    // Deleted from the world with this entity: the limbs whose bodies move its bones.
    std::vector<kaEntityPhysical*> m_Dependents;
    std::vector<std::unique_ptr<kaImpactDecal>> m_ImpactDecals;
    std::vector<std::unique_ptr<kaAltSoundTrigger>> m_AltSoundTriggers;
};
