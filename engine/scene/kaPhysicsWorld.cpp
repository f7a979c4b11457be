#include "engine/scene/kaPhysicsWorld.h"

#include "engine/core/kaApp.h"
#include "engine/core/kaVectorErase.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/scene/kaArena.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaMaterial.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <algorithm>
#include <cmath>

// Entities place their primitives in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using kaVectorErase::Contains;
using kaVectorErase::EraseAll;
using kaVectorErase::EraseFirst;

kaPhysicsWorld::kaPhysicsWorld()
{
    // Paired with dCloseODE in the destructor; without it trimesh collisions abort.
    dInitODE2(0);
    m_ODEWorld = dWorldCreate();
    dWorldSetGravity(m_ODEWorld, 0, kGravityY, 0);
    dWorldSetERP(m_ODEWorld, kERP);
    dWorldSetCFM(m_ODEWorld, kCFM);
    dWorldSetAutoDisableFlag(m_ODEWorld, 1);
    dWorldSetAutoDisableLinearThreshold(m_ODEWorld, kAutoDisableLinearThreshold);
    dWorldSetAutoDisableAngularThreshold(m_ODEWorld, kAutoDisableAngularThreshold);
    dWorldSetAutoDisableSteps(m_ODEWorld, kAutoDisableSteps);
    dWorldSetAutoDisableTime(m_ODEWorld, kAutoDisableTime);
    dWorldSetContactMaxCorrectingVel(m_ODEWorld, kContactMaxCorrectingVel);
    m_Space = dHashSpaceCreate(nullptr);
    dHashSpaceSetLevels(m_Space, kHashMinLevel, kHashMaxLevel);
    m_ContactGroup = dJointGroupCreate(0);
}

kaPhysicsWorld::~kaPhysicsWorld()
{
    // The entities release their bodies, geoms and joints while the ODE objects still exist.
    kaPhysicsWorld::Clear();
    dJointGroupDestroy(m_ContactGroup);
    dSpaceDestroy(m_Space);
    dWorldDestroy(m_ODEWorld);
    dCloseODE();
    m_FeedbackPool.clear();
}

void kaPhysicsWorld::Update(float dt)
{
    const kaApp* app = kaApp::GetSingleton();
    if (app && app->IsPaused())
        return;
    const float scaled = dt * kTimeScale;

    // Collision calls may add and delete entities; nothing may change a space while it collides, so the
    // world holds every such change until its own update.
    m_Stepping = true;
    const bool wasLocked = m_Locked;
    m_Locked = true;
    m_Recorded.erase(std::remove_if(m_Recorded.begin(), m_Recorded.end(),
                                    [](const kaEntityPhysical* entity)
                                    { return entity->GetContactRecordCount() == 0; }),
                     m_Recorded.end());
    while (!m_PendingDynamicRemoves.empty())
    {
        kaEntity* entity = m_PendingDynamicRemoves.front();
        m_PendingDynamicRemoves.erase(m_PendingDynamicRemoves.begin());
        _TakeOffDynamicList(entity);
    }
    while (!m_PendingDynamicAdds.empty())
    {
        kaEntity* entity = m_PendingDynamicAdds.front();
        m_PendingDynamicAdds.erase(m_PendingDynamicAdds.begin());
        _AppendDynamic(entity);
    }

    // ODE aborts on a step that is not positive: such a frame runs no pass.
    if (scaled > 0.0f && std::isfinite(scaled))
    {
        int passes = 1;
        if (m_SubStepLength > 0.0f)
            passes = static_cast<int>(
                std::min(std::floor(scaled / m_SubStepLength) + 1.0f, static_cast<float>(kMaxPasses)));
        const dReal h = static_cast<dReal>(scaled) / passes;
        for (int pass = 0; pass < passes; ++pass)
            _Pass(h);
    }

    m_Locked = wasLocked;
    m_Stepping = false;
    kaWorld::Update(scaled);
    m_FeedbackCursor = 0;
}

void kaPhysicsWorld::_Pass(dReal h)
{
    m_Bodies.clear();
    _CollectBodies(m_Space, m_Bodies);
    _KeepBodiesWithinBound(m_Bodies);
    m_Colliding = true;
    dSpaceCollide(m_Space, this, &kaPhysicsWorld::NearCallback);
    m_Colliding = false;
    // After the collision calls, which push bodies too.
    _RefuseUnusablePushes(m_Bodies, h);
    dWorldQuickStep(m_ODEWorld, h);
    // An entity taken off during the walk stays until the next step, so the list never changes here.
    for (size_t i = 0; i < m_DynamicList.size(); ++i)
        m_DynamicList[i]->Update(static_cast<float>(h));
    dJointGroupEmpty(m_ContactGroup);
}

namespace
{

bool IsZero(const dReal* v)
{
    return v[0] == 0 && v[1] == 0 && v[2] == 0;
}

// Finite and no longer than the bound; a vector whose squares overflow is neither.
bool IsWithin(const dReal* v, dReal bound)
{
    const dReal squared = v[0] * v[0] + v[1] * v[1] + v[2] * v[2];
    return std::isfinite(squared) && squared <= bound * bound;
}

// The least the body resists a turn about any axis: no less than 4 det / trace^2 of its inertia, which a
// turn of the body leaves as they are. 0 for an inertia that resists nothing.
dReal LeastInertia(const dMass& mass)
{
    const dReal* i = mass.I;
    const dReal det = i[0] * (i[5] * i[10] - i[6] * i[9]) - i[1] * (i[4] * i[10] - i[6] * i[8]) +
                      i[2] * (i[4] * i[9] - i[5] * i[8]);
    const dReal trace = i[0] + i[5] + i[10];
    return det > 0 && trace > 0 ? 4 * det / (trace * trace) : 0;
}

// The bodies of the space's geoms and of its sub-spaces, a body as often as it has geoms.
void AddBodiesOfSpace(dSpaceID space, std::vector<dBodyID>& bodies)
{
    const int count = dSpaceGetNumGeoms(space);
    for (int i = 0; i < count; ++i)
    {
        const dGeomID geom = dSpaceGetGeom(space, i);
        if (dGeomIsSpace(geom))
            AddBodiesOfSpace(reinterpret_cast<dSpaceID>(geom), bodies);
        else if (const dBodyID body = dGeomGetBody(geom))
            bodies.push_back(body);
    }
}

} // namespace

void kaPhysicsWorld::_CollectBodies(dSpaceID space, std::vector<dBodyID>& bodies)
{
    AddBodiesOfSpace(space, bodies);
    // A body without geoms (an anchor, say) hangs on the others by its joints.
    const size_t withGeoms = bodies.size();
    for (size_t b = 0; b < bodies.size(); ++b)
    {
        for (int j = 0; j < dBodyGetNumJoints(bodies[b]); ++j)
        {
            const dJointID joint = dBodyGetJoint(bodies[b], j);
            for (int end = 0; end < 2; ++end)
            {
                const dBodyID other = dJointGetBody(joint, end);
                if (other && !dBodyGetFirstGeom(other) &&
                    std::find(bodies.begin() + std::ptrdiff_t(withGeoms), bodies.end(), other) ==
                        bodies.end())
                    bodies.push_back(other);
            }
        }
    }
}

void kaPhysicsWorld::_KeepBodiesWithinBound(const std::vector<dBodyID>& bodies)
{
    for (const dBodyID body : bodies)
    {
        const dReal* at = dBodyGetPosition(body);
        const platform::Vector3 position(static_cast<float>(at[0]), static_cast<float>(at[1]),
                                         static_cast<float>(at[2]));
        if (!kaEntity::IsWithinPlacementBound(position))
        {
            const platform::Vector3 bounded = kaEntity::BoundedPlacement(position);
            dBodySetPosition(body, bounded.x, bounded.y, bounded.z);
            dBodySetLinearVel(body, 0, 0, 0);
            dBodySetAngularVel(body, 0, 0, 0);
            continue;
        }
        if (!IsWithin(dBodyGetLinearVel(body), kSpeedBound))
            dBodySetLinearVel(body, 0, 0, 0);
        if (!IsWithin(dBodyGetAngularVel(body), kSpinBound))
            dBodySetAngularVel(body, 0, 0, 0);
    }
}

void kaPhysicsWorld::_RefuseUnusablePushes(const std::vector<dBodyID>& bodies, dReal h)
{
    for (const dBodyID body : bodies)
    {
        const dReal* force = dBodyGetForce(body);
        const dReal* torque = dBodyGetTorque(body);
        if (IsZero(force) && IsZero(torque))
            continue;
        dMass mass;
        dBodyGetMass(body, &mass);
        // The speed the push would add within the pass at most.
        if (!(mass.mass > 0) || !IsWithin(force, kSpeedBound * mass.mass / h))
            dBodySetForce(body, 0, 0, 0);
        const dReal inertia = LeastInertia(mass);
        if (!(inertia > 0) || !IsWithin(torque, kSpinBound * inertia / h))
            dBodySetTorque(body, 0, 0, 0);
    }
}

void kaPhysicsWorld::NearCallback(void* data, dGeomID o1, dGeomID o2)
{
    static_cast<kaPhysicsWorld*>(data)->_Collide(o1, o2);
}

void kaPhysicsWorld::_Collide(dGeomID o1, dGeomID o2)
{
    if (dGeomIsSpace(o1) || dGeomIsSpace(o2))
    {
        dSpaceCollide2(o1, o2, this, &kaPhysicsWorld::NearCallback);
        return;
    }
    dBodyID b1 = dGeomGetBody(o1);
    dBodyID b2 = dGeomGetBody(o2);
    if (b1 == b2)
        return;
    const dSpaceID space1 = dGeomGetSpace(o1);
    if (space1 == dGeomGetSpace(o2) && space1 != m_Space)
        return;
    // Contact joints made earlier in this pass connect too: two bodies touch through their first pair.
    if (b1 && b2 && dAreConnected(b1, b2))
        return;

    dContact contacts[kMaxContacts];
    const int count = dCollide(o1, o2, kMaxContacts, &contacts[0].geom, sizeof(dContact));
    if (count <= 0)
        return;

    const auto* data1 = static_cast<const kaGeomData*>(dGeomGetData(o1));
    const auto* data2 = static_cast<const kaGeomData*>(dGeomGetData(o2));
    kaMaterial* material1 = data1 ? data1->GetMaterial() : nullptr;
    kaMaterial* material2 = data2 ? data2->GetMaterial() : nullptr;
    kaEntityPhysical* entity1 = data1 ? data1->m_pEntity : nullptr;
    kaEntityPhysical* entity2 = data2 ? data2->m_pEntity : nullptr;
    const float friction1 = material1 ? material1->GetFriction() : kaMaterial::kDefaultFriction;
    const float friction2 = material2 ? material2->GetFriction() : kaMaterial::kDefaultFriction;

    if (entity1 && entity2)
    {
        if (!entity1->IsCollidable() || !entity2->IsCollidable() || !entity1->IsVisible() ||
            !entity2->IsVisible())
            return;
        if (data1->m_Trigger || data2->m_Trigger)
        {
            entity1->OnTrigger(entity2, data1->m_Name, data2->m_Name);
            entity2->OnTrigger(entity1, data2->m_Name, data1->m_Name);
            return;
        }
        entity1->OnCollide(entity2, material1, material2);
        entity2->OnCollide(entity1, material2, material1);
    }
    if ((material1 && material1->GetPassThrough()) || (material2 && material2->GetPassThrough()))
        return;

    const bool record1 = entity1 && entity1->GetProcessCollisionForce();
    const bool record2 = entity2 && entity2->GetProcessCollisionForce();
    for (int i = 0; i < count; ++i)
    {
        dContact& contact = contacts[i];
        contact.surface.mode = kContactMode;
        contact.surface.mu = static_cast<dReal>(m_FrictionScale) * friction1 * friction2;
        contact.surface.bounce = kContactBounce;
        contact.surface.soft_erp = kContactSoftERP;
        contact.surface.soft_cfm = kContactSoftCFM;
        contact.surface.slip1 = m_ContactSlip;
        contact.surface.slip2 = m_ContactSlip;
        dJointID joint = dJointCreateContact(m_ODEWorld, m_ContactGroup, &contact);
        dJointFeedback* feedback = nullptr;
        for (const auto& [own, other, ownGeom, otherGeom, ownMaterial, otherMaterial, take] :
             {std::make_tuple(entity1, entity2, o1, o2, material1, material2, record1),
              std::make_tuple(entity2, entity1, o2, o1, material2, material1, record2)})
        {
            if (!take)
                continue;
            if (!feedback)
                feedback = NextContactFeedback();
            if (own->GetContactRecordCount() == 0 &&
                std::find(m_Recorded.begin(), m_Recorded.end(), own) == m_Recorded.end())
                m_Recorded.push_back(own);
            kaContactRecord* record = own->NextContactRecord();
            *record = kaContactRecord{feedback, other, ownGeom, otherGeom, ownMaterial, otherMaterial};
            dJointSetFeedback(joint, feedback);
        }
        // The bodies of the placing geoms: with geom transforms the contact's own geoms are the inner
        // ones, which have no body.
        dJointAttach(joint, b1, b2);
    }
}

dJointFeedback* kaPhysicsWorld::NextContactFeedback()
{
    if (static_cast<size_t>(m_FeedbackCursor) == m_FeedbackPool.size())
        m_FeedbackPool.push_back(std::make_unique<dJointFeedback>(dJointFeedback{}));
    return m_FeedbackPool[static_cast<size_t>(m_FeedbackCursor++)].get();
}

void kaPhysicsWorld::Render(uint32_t flag)
{
    kaWorld::Render(flag);
    if (m_DebugDraw)
        _DrawSpace(m_Space);
}

bool kaPhysicsWorld::AddEntity(kaEntity* entity, bool visible, bool newIdentifier)
{
    if (!kaWorld::AddEntity(entity, visible, newIdentifier))
        return false;
    if (auto* physical = dynamic_cast<kaEntityPhysical*>(entity))
        physical->BuildPhysicsOnJoin();
    return true;
}

bool kaPhysicsWorld::RemoveEntity(kaEntity* entity)
{
    const bool removed = kaWorld::RemoveEntity(entity);
    if (!entity)
        return removed;
    EraseAll(m_PendingDynamicAdds, entity);
    if (m_Stepping)
    {
        // The pass walks the dynamic list: the entity leaves it when the next step starts.
        if (Contains(m_DynamicList, entity) && !Contains(m_PendingDynamicRemoves, entity))
            m_PendingDynamicRemoves.push_back(entity);
    }
    else
        _TakeOffDynamicList(entity);
    return removed;
}

int32_t kaPhysicsWorld::RemoveEntitiesByName(const std::string& name)
{
    if (!m_Locked)
    {
        for (kaEntity* entity : m_Entities)
        {
            if (entity->GetName() == name)
                ForgetEntity(entity);
        }
    }
    return kaWorld::RemoveEntitiesByName(name);
}

void kaPhysicsWorld::Clear()
{
    m_DynamicList.clear();
    m_PendingDynamicAdds.clear();
    m_PendingDynamicRemoves.clear();
    m_Recorded.clear();
    kaWorld::Clear();
}

kaEntityModel* kaPhysicsWorld::CreateArenaEntity()
{
    return new kaArena();
}

void kaPhysicsWorld::AddDynamicEntity(kaEntity* entity)
{
    if (!entity)
        return;
    if (m_Stepping)
    {
        if (!Contains(m_PendingDynamicAdds, entity))
            m_PendingDynamicAdds.push_back(entity);
        return;
    }
    _AppendDynamic(entity);
}

void kaPhysicsWorld::_AppendDynamic(kaEntity* entity)
{
    EraseAll(m_PendingDynamicRemoves, entity);
    if (!Contains(m_DynamicList, entity))
        m_DynamicList.push_back(entity);
    entity->SetWorldUpdate(false);
}

bool kaPhysicsWorld::_TakeOffDynamicList(kaEntity* entity)
{
    if (!EraseFirst(m_DynamicList, entity))
        return false;
    entity->SetWorldUpdate(true);
    return true;
}

void kaPhysicsWorld::ForgetEntity(kaEntity* entity)
{
    EraseAll(m_DynamicList, entity);
    EraseAll(m_PendingDynamicAdds, entity);
    EraseAll(m_PendingDynamicRemoves, entity);
    auto* physical = dynamic_cast<kaEntityPhysical*>(entity);
    if (!physical)
        return;
    m_Recorded.erase(std::remove(m_Recorded.begin(), m_Recorded.end(), physical), m_Recorded.end());
    for (kaEntityPhysical* other : m_Recorded)
        other->DropContactRecordsOf(physical);
}

namespace
{

struct Pose
{
    dVector3 position;
    dMatrix3 rotation;
};

Pose PoseOf(dGeomID geom)
{
    Pose pose;
    std::copy_n(dGeomGetPosition(geom), 3, pose.position);
    std::copy_n(dGeomGetRotation(geom), 12, pose.rotation);
    return pose;
}

// A pose given relative to another: the geom held by a transform.
Pose Compose(const Pose& outer, const Pose& inner)
{
    Pose pose;
    dMultiply0_331(pose.position, outer.rotation, inner.position);
    for (int i = 0; i < 3; ++i)
        pose.position[i] += outer.position[i];
    dMultiply0_333(pose.rotation, outer.rotation, inner.rotation);
    return pose;
}

platform::Vector3 ToWorld(const Pose& pose, dReal x, dReal y, dReal z)
{
    const dVector3 local = {x, y, z, 0};
    dVector3 world;
    dMultiply0_331(world, pose.rotation, local);
    return platform::Vector3(static_cast<float>(world[0] + pose.position[0]),
                             static_cast<float>(world[1] + pose.position[1]),
                             static_cast<float>(world[2] + pose.position[2]));
}

// Row-vector layout: row j is the image of local axis j, row 3 the position.
platform::Matrix ToMatrix(const Pose& pose)
{
    platform::Matrix matrix;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            matrix(row, column) = static_cast<float>(pose.rotation[column * 4 + row]);
    for (int column = 0; column < 3; ++column)
        matrix(3, column) = static_cast<float>(pose.position[column]);
    return matrix;
}

void AddLine(std::vector<VERTEX_WORLDPOS_DIFFUSE>& lines, const platform::Vector3& from,
             const platform::Vector3& to, uint32_t color)
{
    lines.push_back({from.x, from.y, from.z, color});
    lines.push_back({to.x, to.y, to.z, color});
}

} // namespace

void kaPhysicsWorld::_DrawSpace(dSpaceID space)
{
    if (!g_pGraphicsManager)
        return;
    for (int i = 0; i < dSpaceGetNumGeoms(space); ++i)
    {
        dGeomID geom = dSpaceGetGeom(space, i);
        if (!dGeomIsEnabled(geom))
            continue;
        if (dGeomIsSpace(geom))
        {
            _DrawSpace(reinterpret_cast<dSpaceID>(geom));
            continue;
        }
        dGeomID shape = geom;
        if (dGeomGetClass(geom) == dGeomTransformClass)
        {
            shape = dGeomTransformGetGeom(geom);
            if (!shape)
                continue;
        }
        const int shapeClass = dGeomGetClass(shape);
        // Planes and rays are not drawn, nor classes this drawing does not know; planes have no pose.
        if (shapeClass != dSphereClass && shapeClass != dBoxClass && shapeClass != dCapsuleClass &&
            shapeClass != dCylinderClass && shapeClass != dTriMeshClass)
            continue;
        const bool inTransform = shape != geom;
        const Pose pose = inTransform ? Compose(PoseOf(geom), PoseOf(shape)) : PoseOf(shape);
        const auto x = static_cast<float>(pose.position[0]);
        const auto y = static_cast<float>(pose.position[1]);
        const auto z = static_cast<float>(pose.position[2]);
        if (shapeClass == dSphereClass)
            g_pGraphicsManager->DebugDrawSphere(x, y, z, static_cast<float>(dGeomSphereGetRadius(shape)),
                                                1.0f, 0.0f, 0.0f, 1.0f, true);
        else if (shapeClass == dBoxClass)
        {
            dVector3 sides;
            dGeomBoxGetLengths(shape, sides);
            platform::Vector3 corners[8];
            for (int corner = 0; corner < 8; ++corner)
                corners[corner] =
                    ToWorld(pose, (corner & 1 ? 0.5 : -0.5) * sides[0], (corner & 2 ? 0.5 : -0.5) * sides[1],
                            (corner & 4 ? 0.5 : -0.5) * sides[2]);
            g_pGraphicsManager->DebugDrawBox(corners, 0.0f, 1.0f, 0.0f, 1.0f, true);
        }
        else if (shapeClass == dCapsuleClass || shapeClass == dCylinderClass)
        {
            dReal radius = 0, length = 0;
            if (shapeClass == dCapsuleClass)
                dGeomCapsuleGetParams(shape, &radius, &length);
            else
                dGeomCylinderGetParams(shape, &radius, &length);
            const platform::Matrix transform = ToMatrix(pose);
            if (shapeClass == dCapsuleClass)
                g_pGraphicsManager->DebugDrawCapsule(static_cast<float>(radius), static_cast<float>(length),
                                                     0.0f, 0.0f, 1.0f, 1.0f, transform, true);
            else
                g_pGraphicsManager->DebugDrawCylinder(static_cast<float>(radius), static_cast<float>(length),
                                                      0.0f, 0.0f, 1.0f, 1.0f, transform, true);
        }
        else
        {
            // The mesh's triangles come placed by its own pose; inside a transform that is relative.
            const Pose outer = inTransform ? PoseOf(geom) : Pose{};
            std::vector<VERTEX_WORLDPOS_DIFFUSE> lines;
            for (int triangle = 0; triangle < dGeomTriMeshGetTriangleCount(shape); ++triangle)
            {
                dVector3 v[3];
                dGeomTriMeshGetTriangle(shape, triangle, &v[0], &v[1], &v[2]);
                platform::Vector3 points[3];
                for (int k = 0; k < 3; ++k)
                    points[k] = inTransform ? ToWorld(outer, v[k][0], v[k][1], v[k][2])
                                            : platform::Vector3(static_cast<float>(v[k][0]),
                                                                static_cast<float>(v[k][1]),
                                                                static_cast<float>(v[k][2]));
                for (int k = 0; k < 3; ++k)
                    AddLine(lines, points[k], points[(k + 1) % 3], kMeshColor);
            }
            g_pGraphicsManager->QueueDebugPrimitive(std::move(lines), true);
        }
        const platform::Vector3 origin(x, y, z);
        std::vector<VERTEX_WORLDPOS_DIFFUSE> marker;
        AddLine(marker, origin, origin + platform::Vector3(kMarkerX, 0.0f, 0.0f), kMarkerColor);
        AddLine(marker, origin, origin + platform::Vector3(0.0f, kMarkerYZ, 0.0f), kMarkerColor);
        AddLine(marker, origin, origin + platform::Vector3(0.0f, 0.0f, kMarkerYZ), kMarkerColor);
        g_pGraphicsManager->QueueDebugPrimitive(std::move(marker), true);
    }
}
