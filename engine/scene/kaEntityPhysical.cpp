#include "engine/scene/kaEntityPhysical.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaBoneControl.h"
#include "engine/scene/kaEntityPhysicalOde.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaImpactDecal.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaPhysicsWorld.h"

#include <tinyxml.h>

#include <algorithm>

// The entity's construction and end, its per-frame life, its placement and the motion of its body. The body
// and geoms are built in kaEntityPhysicalBody.cpp, the file keys read in kaEntityPhysicalFile.cpp, the joints
// kept in kaEntityPhysicalJoints.cpp and the contacts handled in kaEntityPhysicalContacts.cpp.

using kaEntityPhysicalOde::FromODEVector;
using kaEntityPhysicalOde::ToODE;
using kaEntityPhysicalOde::Turn;
using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityPhysical, "kaEntityPhysical")

namespace
{

const EntityFactory::Registration s_Registration(kaEntityPhysical::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityPhysical>);

// Set only while Update places the model on its body, so that the placement leaves the body alone.
bool s_PhysicsSync = false;

Quaternion FromODE(const dReal* q)
{
    return Quaternion(static_cast<float>(q[1]), static_cast<float>(q[2]), static_cast<float>(q[3]),
                      static_cast<float>(q[0]));
}

} // namespace

kaEntityPhysical::kaEntityPhysical()
{
    dMassSetZero(&m_Mass);
}

kaEntityPhysical::~kaEntityPhysical()
{
    m_ImpactDecals.clear();
    m_AltSoundTriggers.clear();
    // The limbs' controls of this model go first: a limb deleted later must not move a freed bone.
    const std::vector<kaEntityPhysical*> dependents = std::move(m_Dependents);
    m_Dependents.clear();
    for (kaEntityPhysical* limb : dependents)
        limb->_DropBoneControlsOf(this);
    if (m_pWorld)
    {
        for (kaEntityPhysical* limb : dependents)
            m_pWorld->DeleteEntity(limb, false);
    }
    for (const auto& control : m_BoneControls)
    {
        auto& list = control->GetOwner()->m_Dependents;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
    m_BoneControls.clear();
    m_ContactRecords.clear();
    m_ContactRecordCount = 0;
    // Each joint once, from a copy: a joint without an ODE joint, or a locked list, would otherwise keep
    // the walk going for ever. The entity is going: its list empties whatever the lock.
    m_JointsLocked = false;
    const std::vector<kaJoint*> joints = m_Joints;
    for (kaJoint* joint : joints)
    {
        // Gone already when an earlier detach destroyed it.
        if (std::find(m_Joints.begin(), m_Joints.end(), joint) == m_Joints.end())
            continue;
        if (joint->GetODEJoint() && joint->GetParent() && joint->GetChild())
            joint->Detach();
        else
            joint->ForgetEnd(this);
    }
    for (kaJoint* joint : m_Joints)
        joint->ForgetEnd(this);
    m_Joints.clear();
    _DestroyPhysics();
    if (auto* world = dynamic_cast<kaPhysicsWorld*>(m_pWorld))
        world->ForgetEntity(this);
}

kaPhysicsWorld* kaEntityPhysical::_GetPhysicsWorld() const
{
    return dynamic_cast<kaPhysicsWorld*>(m_pWorld);
}

void kaEntityPhysical::Render()
{
    kaEntityModel::Render();
    const kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world || !world->GetDebugDraw())
        return;
    for (kaJoint* joint : m_Joints)
        joint->RenderDebug();
}

void kaEntityPhysical::Initialize()
{
    kaEntityModel::Initialize();
    if (m_HasSpawnPosition)
    {
        // The body starts where the block put the entity: the program's placement, not a move, so a position
        // kept as read stays so, wherever the body's centre had the model stand before.
        const bool asRead = _StandsAsRead("position");
        SetPosition(m_SpawnPosition + Turn(m_COGOffset, GetRotation()));
        if (asRead)
            m_PositionAsRead = GetPlacedPosition();
    }
    if (m_Pinned && m_pWorld)
        _DropBody();
    std::vector<kaGeomData*> records;
    for (const auto& record : m_GeomData)
        records.push_back(record.get());
    kaGeomData::AssignMaterials(records, m_pMaterialLookup ? *m_pMaterialLookup
                                                           : std::map<std::string, std::string>());
    m_pMaterialLookup.reset();
}

void kaEntityPhysical::Update(float dt)
{
    kaEntityModel::Update(dt);
    for (const auto& trigger : m_AltSoundTriggers)
    {
        if (trigger->m_Countdown > 0 && --trigger->m_Countdown == 0)
            _SetAltSound(*trigger, false);
    }
    m_CollisionForce = Vector3();
    m_CollisionForceLength = 0.0f;
    m_LastStepLength = dt;
    if (m_Body)
    {
        const Vector3 position = FromODEVector(dBodyGetPosition(m_Body));
        const Quaternion rotation = FromODE(dBodyGetQuaternion(m_Body));
        s_PhysicsSync = true;
        AnimatePositionRotation(position - Turn(m_COGOffset, rotation), rotation);
        s_PhysicsSync = false;
        for (const auto& control : m_BoneControls)
            control->Update(m_Body);
    }
    if (m_ContactRecordCount > 0)
    {
        ProcessCollisionForces();
        m_ContactRecordCount = 0;
    }
}

void kaEntityPhysical::SetVisible(bool visible)
{
    kaEntityModel::SetVisible(visible);
    for (const auto& record : m_GeomData)
    {
        if (dGeomID geom = record->GetGeom())
        {
            if (visible)
                dGeomEnable(geom);
            else
                dGeomDisable(geom);
        }
    }
}

void kaEntityPhysical::_PlaceBodyAndModel(const Vector3& position, const Quaternion& rotation)
{
    dBodySetPosition(m_Body, position.x, position.y, position.z);
    dQuaternion q;
    ToODE(rotation, q);
    dBodySetQuaternion(m_Body, q);
    kaEntityModel::SetPositionRotation(position - Turn(m_COGOffset, rotation), rotation);
}

void kaEntityPhysical::SetPositionRotation(const Vector3& given, const Quaternion& rotation)
{
    const kaPhysicsWorld* world = _GetPhysicsWorld();
    if (world && world->IsColliding())
        return;
    // ODE cannot file a body beyond the bound and ends the program: whatever asks, the body stays within it.
    const Vector3 position = IsWithinPlacementBound(given) ? given : BoundedPlacement(given);
    m_HomePosition = m_pModel ? GetPosition() : position;
    m_HomeRotation = m_pModel ? GetRotation() : rotation;
    kaEntityModel::SetPositionRotation(position, rotation);
    if (s_PhysicsSync || !m_Body)
        return;
    _PlaceBodyAndModel(position, rotation);
    // The children follow by their bones; by index, as nothing here changes the list but a child may.
    for (size_t i = 0; i < m_Joints.size(); ++i)
    {
        if (m_Joints[i]->GetChild() != this)
            m_Joints[i]->Reanchor();
    }
}

void kaEntityPhysical::SetPosition(const Vector3& position)
{
    SetPositionRotation(position, m_pModel ? GetRotation() : m_HomeRotation);
}

void kaEntityPhysical::SetRotation(const Quaternion& rotation)
{
    // With a body, turning keeps the body where it is; the model's origin lies off it by the offset.
    SetPositionRotation(m_Body ? GetBodyPosition() : (m_pModel ? GetPosition() : m_HomePosition), rotation);
}

template <typename Function> void kaEntityPhysical::_ForAssembly(Function function)
{
    std::vector<kaEntityPhysical*> visited;
    std::vector<kaEntityPhysical*> pending{this};
    while (!pending.empty())
    {
        kaEntityPhysical* entity = pending.back();
        pending.pop_back();
        if (entity->m_Visited)
            continue;
        entity->m_Visited = true;
        visited.push_back(entity);
        function(*entity);
        for (kaJoint* joint : entity->m_Joints)
        {
            kaEntityPhysical* other = joint->GetOtherEnd(entity);
            if (other && !other->m_Visited)
                pending.push_back(other);
        }
    }
    for (kaEntityPhysical* entity : visited)
        entity->m_Visited = false;
}

void kaEntityPhysical::SetBodyEnabled(bool enable)
{
    if (!m_Body)
        return;
    if (enable)
        dBodyEnable(m_Body);
    else
        dBodyDisable(m_Body);
}

Vector3 kaEntityPhysical::GetBodyPosition() const
{
    return m_Body ? FromODEVector(dBodyGetPosition(m_Body)) : Vector3();
}

void kaEntityPhysical::StopMotion()
{
    _ForAssembly(
        [](kaEntityPhysical& entity)
        {
            if (!entity.m_Body)
                return;
            dBodySetLinearVel(entity.m_Body, 0, 0, 0);
            dBodySetAngularVel(entity.m_Body, 0, 0, 0);
            dBodySetForce(entity.m_Body, 0, 0, 0);
            dBodySetTorque(entity.m_Body, 0, 0, 0);
        });
}

void kaEntityPhysical::SetLinearVelocity(float x, float y, float z)
{
    _ForAssembly(
        [x, y, z](kaEntityPhysical& entity)
        {
            if (entity.m_Body)
                dBodySetLinearVel(entity.m_Body, x, y, z);
        });
}

void kaEntityPhysical::SetAngularVelocity(float x, float y, float z)
{
    _ForAssembly(
        [x, y, z](kaEntityPhysical& entity)
        {
            if (entity.m_Body)
                dBodySetAngularVel(entity.m_Body, x, y, z);
        });
}
