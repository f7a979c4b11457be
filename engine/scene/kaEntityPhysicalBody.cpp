#include "engine/scene/kaEntityPhysical.h"

#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaCappedCylinderPrimitive.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/model/kaTriMeshPrimitive.h"
#include "engine/scene/kaEntityPhysicalOde.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaPhysicsWorld.h"

#include "platform/system/DebugOutput.h"

#include <cmath>

// Primitives are placed in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// The body, its geoms and its mass built from the model's primitives; the space they live in and pinning.

using kaEntityPhysicalOde::FromODEVector;
using kaEntityPhysicalOde::ToODE;
using kaEntityPhysicalOde::Turn;
using kaEntityPhysicalOde::Usable;
using platform::Quaternion;
using platform::Vector3;

namespace
{

constexpr float kQuarterTurn = 1.5707964f;

// A quarter turn about X, then the primitive's rotation.
Quaternion AfterQuarterTurn(float angle, const Quaternion& primitive)
{
    Quaternion turn;
    const Vector3 axis(1.0f, 0.0f, 0.0f);
    platform::QuaternionRotationAxis(&turn, &axis, angle);
    const Quaternion usable = Usable(primitive);
    Quaternion out;
    platform::QuaternionMultiply(&out, &turn, &usable);
    return out;
}

void Skip(const kaCollisionPrimitive& primitive, const char* why)
{
    platform::OutputDebugString("kaEntityPhysical::SetModel - primitive \"" + primitive.m_Name +
                                "\" skipped: " + why + "\n");
}

dSpaceID NewSpace(dSpaceID parent)
{
    dSpaceID space = dSimpleSpaceCreate(parent);
    // The geom records destroy their geoms; the space must not do it a second time.
    dSpaceSetCleanup(space, 0);
    return space;
}

} // namespace

void kaEntityPhysical::_DestroyPhysics()
{
    for (auto& record : m_GeomData)
    {
        if (dGeomID geom = record->GetGeom())
        {
            if (dSpaceID space = dGeomGetSpace(geom))
                dSpaceRemove(space, geom);
        }
    }
    m_GeomData.clear();
    for (dTriMeshDataID data : m_MeshData)
        dGeomTriMeshDataDestroy(data);
    m_MeshData.clear();
    if (m_Body)
        dBodyDestroy(m_Body);
    m_Body = nullptr;
    if (m_Space && m_OwnSpace)
        dSpaceDestroy(m_Space);
    m_Space = nullptr;
    m_OwnSpace = false;
    m_PrimitiveCount = 0;
    dMassSetZero(&m_Mass);
}

dGeomID kaEntityPhysical::_CreatePrimitiveGeom(kaCollisionPrimitive* primitive, dMass& mass,
                                               Vector3& position, Quaternion& rotation)
{
    dGeomID inner = nullptr;
    position = primitive->m_Position;
    rotation = Usable(primitive->m_Rotation);
    switch (primitive->m_Type)
    {
    case kaCollisionPrimitive::kBox:
    {
        const auto* box = static_cast<const kaBoxPrimitive*>(primitive);
        const float a = std::fabs(box->m_Width);
        const float b = box->m_Length;
        const float c = std::fabs(box->m_Height);
        if (!(a >= 0.0f && c >= 0.0f && std::isfinite(b)))
        {
            Skip(*primitive, "bad size");
            return nullptr;
        }
        inner = dCreateBox(nullptr, a, c, std::fabs(b));
        dMassSetBox(&mass, 1.0, a, c, std::fabs(b));
        rotation = AfterQuarterTurn(-kQuarterTurn, primitive->m_Rotation);
        position = primitive->m_Position + Turn(Vector3(0.0f, 0.0f, b / 2.0f), rotation);
        break;
    }
    case kaCollisionPrimitive::kSphere:
    {
        const float r = static_cast<const kaSpherePrimitive*>(primitive)->m_Radius;
        if (!(r >= 0.0f))
        {
            Skip(*primitive, "negative radius");
            return nullptr;
        }
        inner = dCreateSphere(nullptr, r);
        dMassSetSphere(&mass, 1.0, r);
        break;
    }
    case kaCollisionPrimitive::kCappedCylinder:
    {
        const auto* cylinder = static_cast<const kaCappedCylinderPrimitive*>(primitive);
        const float r = cylinder->m_Radius;
        const float l = cylinder->m_Length;
        if (!(r >= 0.0f && l >= 0.0f))
        {
            Skip(*primitive, "negative size");
            return nullptr;
        }
        inner = dCreateCapsule(nullptr, r, l);
        dMassSetCylinder(&mass, 1.0, 2, r, l);
        rotation = AfterQuarterTurn(kQuarterTurn, primitive->m_Rotation);
        position = primitive->m_Position + Turn(Vector3(0.0f, 0.0f, -l / 2.0f), rotation);
        break;
    }
    case kaCollisionPrimitive::kTriangleMesh:
    {
        auto* mesh = static_cast<kaTriMeshPrimitive*>(primitive);
        const size_t vertices = mesh->m_Vertices.size();
        bool valid = !mesh->m_Faces.empty() && vertices > 0;
        for (const auto& face : mesh->m_Faces)
            valid = valid && face.a < vertices && face.b < vertices && face.c < vertices;
        if (!valid)
        {
            Skip(*primitive, "no triangles");
            return nullptr;
        }
        mesh->ComputeBounds();
        const Vector3 extent = mesh->m_Max - mesh->m_Min;
        const Vector3 centre = (mesh->m_Max + mesh->m_Min) * 0.5f;
        dMassSetBox(&mass, 1.0, extent.x, extent.y, extent.z);
        if (mass.mass > 0.0)
            dMassTranslate(&mass, centre.x, centre.y, centre.z);
        dTriMeshDataID data = dGeomTriMeshDataCreate();
        const bool normals = mesh->m_FaceVectors.size() == mesh->m_Faces.size();
        static_assert(sizeof(Vector3) == 12 && sizeof(kaTriMeshPrimitive::Face) == 12,
                      "ODE reads 12-byte strides");
        dGeomTriMeshDataBuildSingle1(data, &mesh->m_Vertices[0].x, 12, static_cast<int>(vertices),
                                     &mesh->m_Faces[0].a, static_cast<int>(mesh->m_Faces.size() * 3), 12,
                                     normals ? &mesh->m_FaceVectors[0].x : nullptr);
        m_MeshData.push_back(data);
        inner = dCreateTriMesh(nullptr, data, nullptr, nullptr, nullptr);
        break;
    }
    default:
        return nullptr;
    }
    dGeomID transform = dCreateGeomTransform(m_Space);
    dGeomTransformSetCleanup(transform, 1);
    dGeomTransformSetGeom(transform, inner);
    return transform;
}

void kaEntityPhysical::SetModel(kaModel* model)
{
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (world && world->IsColliding())
        return;
    const bool hadModel = m_pModel != nullptr;
    // A body built again starts where the old one stood, not at the model origin an offset away.
    const bool hadBody = m_Body != nullptr;
    const Vector3 bodyAt = hadBody ? FromODEVector(dBodyGetPosition(m_Body)) : Vector3();
    _DestroyPhysics();
    kaEntityModel::SetModel(model);
    if (!hadModel && m_pModel)
        kaEntityModel::SetPositionRotation(m_HomePosition, Usable(m_HomeRotation));
    else if (hadBody && m_pModel)
        kaEntityModel::SetPosition(bodyAt);
    if (!m_pModel || !world)
        return;

    m_Body = dBodyCreate(world->GetODEWorld());
    m_Space = NewSpace(world->GetSpace());
    m_OwnSpace = true;
    const Vector3 modelPosition = GetPosition();
    dBodySetPosition(m_Body, modelPosition.x, modelPosition.y, modelPosition.z);
    dMass total;
    dMassSetZero(&total);

    const int count = m_pModel->GetPrimitiveCount();
    for (int index = 0; index < count; ++index)
    {
        kaCollisionPrimitive* primitive = m_pModel->GetPrimitive(index);
        if (!primitive)
            continue;
        dMass mass;
        dMassSetZero(&mass);
        Vector3 position;
        Quaternion rotation;
        dGeomID geom = _CreatePrimitiveGeom(primitive, mass, position, rotation);
        if (!geom)
            continue;
        auto record = std::make_unique<kaGeomData>();
        record->m_pEntity = this;
        record->SetGeom(geom);
        record->m_Trigger = primitive->m_Trigger;
        record->m_Name = primitive->m_Name;
        record->m_pPrimitive = primitive;
        {
            dGeomID inner = dGeomTransformGetGeom(geom);
            record->m_Rotation = rotation;
            record->m_Position = position;
            dQuaternion q;
            ToODE(rotation, q);
            dMatrix3 R;
            dQtoR(q, R);
            dGeomSetRotation(inner, R);
            dGeomSetPosition(inner, position.x, position.y, position.z);
            // A flat primitive weighs nothing; ODE's mass arithmetic would divide by its zero.
            if (mass.mass > 0.0)
            {
                dMassRotate(&mass, R);
                dMassTranslate(&mass, position.x, position.y, position.z);
                record->m_Mass = mass;
                dMassAdd(&total, &mass);
            }
            dGeomSetBody(geom, m_Body);
        }
        m_GeomData.push_back(std::move(record));
    }
    m_PrimitiveCount = count;
    if (m_ConfiguredMass > 0.0f && total.mass > 0.0)
        dMassAdjust(&total, m_ConfiguredMass);
    m_Mass = total;
    RecenterMass(false);
    dBodyDisable(m_Body);
}

void kaEntityPhysical::BuildPhysicsOnJoin()
{
    kaPhysicsWorld* world = _GetPhysicsWorld();
    // Already built (a body, or a pinned entity's static geoms) or nothing to build from.
    if (!world || !m_pModel || m_Body || !m_GeomData.empty())
        return;
    // The same model again: the derived classes add their own shapes on top of the primitives.
    SetModel(m_pModel);
    if (m_Pinned)
        _DropBody();
    if (!IsVisible())
        SetVisible(false);
}

void kaEntityPhysical::_GiveMassToBody()
{
    // Without primitives, or of flat ones only, the body keeps ODE's default mass.
    if (m_Body && m_Mass.mass > 0.0)
        dBodySetMass(m_Body, &m_Mass);
}

void kaEntityPhysical::RecenterMass(bool keepOffset)
{
    if (!m_Body)
        return;
    m_COGOffset = Vector3();
    if (m_Mass.mass > 0.0)
    {
        m_COGOffset = Vector3(static_cast<float>(m_Mass.c[0]), static_cast<float>(m_Mass.c[1]),
                              static_cast<float>(m_Mass.c[2]));
        dMassTranslate(&m_Mass, -m_Mass.c[0], -m_Mass.c[1], -m_Mass.c[2]);
    }
    if (!keepOffset)
    {
        if (m_HasOverrideCOG)
            m_COGOffset = m_OverrideCOG;
        else if (!m_NoBoneCentre)
        {
            int32_t bone = m_CentreBoneName.empty() ? -1 : GetBoneIndex(m_CentreBoneName);
            if (bone < 0)
                bone = GetBoneIndex(kCentreBoneName);
            if (bone >= 0)
                m_COGOffset = GetBoneWorldPosition(bone) - GetPosition();
        }
    }
    _MoveTransformedGeoms(-m_COGOffset);
    _GiveMassToBody();
    SetPosition(FromODEVector(dBodyGetPosition(m_Body)));
}

void kaEntityPhysical::_MoveTransformedGeoms(const Vector3& offset)
{
    for (const auto& record : m_GeomData)
    {
        dGeomID geom = record->GetGeom();
        if (!geom || dGeomGetClass(geom) != dGeomTransformClass)
            continue;
        dGeomID inner = dGeomTransformGetGeom(geom);
        const dReal* at = dGeomGetPosition(inner);
        dGeomSetPosition(inner, at[0] + offset.x, at[1] + offset.y, at[2] + offset.z);
    }
}

void kaEntityPhysical::_DropBody()
{
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world)
        return;
    SetSpace(world->GetSpace());
    if (!m_Body)
        return;
    // ODE leaves the joints of a destroyed body hanging on nothing; they take the static world instead.
    const auto joints = _CaptureJointAxes();
    dBodyDestroy(m_Body);
    m_Body = nullptr;
    _ReattachJoints(joints);
}

void kaEntityPhysical::SetSpace(dSpaceID space)
{
    const kaPhysicsWorld* world = _GetPhysicsWorld();
    if (world && world->IsColliding())
        return;
    const bool made = space == nullptr;
    if (made)
        space = NewSpace(m_pModel && world ? world->GetSpace() : nullptr);
    for (const auto& record : m_GeomData)
    {
        dGeomID geom = record->GetGeom();
        if (!geom)
            continue;
        if (dSpaceID current = dGeomGetSpace(geom))
            dSpaceRemove(current, geom);
        dSpaceAdd(space, geom);
    }
    // A former space of its own that still holds geoms of jointed entities is theirs from now on.
    if (m_Space && m_OwnSpace && m_Space != space && dSpaceGetNumGeoms(m_Space) == 0)
        dSpaceDestroy(m_Space);
    m_Space = space;
    m_OwnSpace = made;
    // The whole jointed assembly shares the space; an entity already in it ends the walk.
    for (size_t i = 0; i < m_Joints.size(); ++i)
    {
        kaEntityPhysical* other = m_Joints[i]->GetOtherEnd(this);
        if (other && other->m_Space != space)
            other->SetSpace(space);
    }
}

void kaEntityPhysical::SetPinned(bool pinned)
{
    if (pinned == m_Pinned)
        return;
    m_Pinned = pinned;
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world || world->IsColliding())
        return;
    if (pinned)
    {
        _DropBody();
        return;
    }
    if (!m_pModel || m_Body)
        return;
    const auto joints = _CaptureJointAxes();
    m_Body = dBodyCreate(world->GetODEWorld());
    _GiveMassToBody();
    SetSpace(nullptr);
    for (const auto& record : m_GeomData)
    {
        dGeomID geom = record->GetGeom();
        // A plane cannot take a body.
        if (geom && dGeomGetClass(geom) == dGeomTransformClass)
            dGeomSetBody(geom, m_Body);
    }
    // The body comes where the entity stands, not at the origin.
    const Quaternion rotation = GetRotation();
    _PlaceBodyAndModel(GetPosition() + Turn(m_COGOffset, rotation), rotation);
    dBodyDisable(m_Body);
    _ReattachJoints(joints);
}

kaGeomData* kaEntityPhysical::FindGeomData(const std::string& name) const
{
    for (const auto& record : m_GeomData)
    {
        if (record->m_Name == name)
            return record.get();
    }
    return nullptr;
}
