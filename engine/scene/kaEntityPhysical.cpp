#include "engine/scene/kaEntityPhysical.h"

#include "engine/core/Wizard.h"
#include "engine/core/kaApp.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaCappedCylinderPrimitive.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/model/kaTriMeshPrimitive.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaAltSoundTrigger.h"
#include "engine/scene/kaBoneControl.h"
#include "engine/scene/kaGeomData.h"
#include "engine/scene/kaImpactDecal.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaTerrainBase.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

// Primitives are placed in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaEntityPhysical, "kaEntityPhysical")

namespace
{

const EntityFactory::Registration s_Registration(kaEntityPhysical::StaticClassInfo(),
                                                 &EntityFactory::Create<kaEntityPhysical>);

// Set only while Update places the model on its body, so that the placement leaves the body alone.
bool s_PhysicsSync = false;

constexpr float kQuarterTurn = 1.5707964f;

// ODE aborts on a zero quaternion; a file rotation without its children gives one.
Quaternion Usable(const Quaternion& q)
{
    if (q.x == 0.0f && q.y == 0.0f && q.z == 0.0f && q.w == 0.0f)
        return Quaternion();
    return q;
}

Vector3 Turn(const Vector3& v, const Quaternion& q)
{
    const Quaternion usable = Usable(q);
    Matrix rotation;
    platform::MatrixRotationQuaternion(&rotation, &usable);
    Vector3 out;
    platform::Vec3TransformNormal(&out, &v, &rotation);
    return out;
}

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

void ToODE(const Quaternion& q, dQuaternion out)
{
    const Quaternion usable = Usable(q);
    out[0] = usable.w;
    out[1] = usable.x;
    out[2] = usable.y;
    out[3] = usable.z;
}

Quaternion FromODE(const dReal* q)
{
    return Quaternion(static_cast<float>(q[1]), static_cast<float>(q[2]), static_cast<float>(q[3]),
                      static_cast<float>(q[0]));
}

Vector3 FromODEVector(const dReal* v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
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

Vector3 ReadVector(const TiXmlElement* element, Vector3 value)
{
    if (const TiXmlElement* x = element->FirstChildElement("x"))
        value.x = GetElementFloat(x);
    if (const TiXmlElement* y = element->FirstChildElement("y"))
        value.y = GetElementFloat(y);
    if (const TiXmlElement* z = element->FirstChildElement("z"))
        value.z = GetElementFloat(z);
    return value;
}

// Keys the reader takes once (the first element of the name) and keys it takes from every element.
const char* const kSingleKeys[] = {"overrideCOG",  "mass",   "processCollisionForce", "collisionThreshold",
                                   "collisionMax", "pinned", "ragdollInitID"};
const char* const kListKeys[] = {"joint", "materialLookup", "boneControl", "decal", "altSoundTrigger"};

template <size_t Count> bool IsOneOf(const std::string& key, const char* const (&keys)[Count])
{
    return std::find(std::begin(keys), std::end(keys), key) != std::end(keys);
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

void kaEntityPhysical::ReadXml(const TiXmlElement* element)
{
    if (element && !IsReadingInitData())
        _KeepOwnKeys(element);
    if (element)
    {
        if (const TiXmlElement* cog = element->FirstChildElement("overrideCOG"))
        {
            m_OverrideCOG = ReadVector(cog, m_OverrideCOG);
            m_HasOverrideCOG = true;
        }
    }
    kaEntityModel::ReadXml(element);
    if (!element)
        return;
    if (const TiXmlElement* position = element->FirstChildElement("position"))
    {
        Vector3 spawn = ReadVector(position, m_SpawnPosition);
        if (m_SnapToTerrain)
        {
            kaTerrainBase* terrain = m_pWorld ? m_pWorld->GetTerrain() : nullptr;
            spawn.y = terrain ? terrain->GetHeightAt(spawn.x, spawn.z) : 0.0f;
        }
        m_SpawnPosition = spawn;
        m_HasSpawnPosition = true;
    }
    if (const TiXmlElement* mass = element->FirstChildElement("mass"))
    {
        const float value = GetElementFloat(mass);
        // A mass of 0 or less would make ODE abort.
        if (m_Body && m_Mass.mass > 0.0 && value > 0.0f)
        {
            m_ConfiguredMass = value;
            dMassAdjust(&m_Mass, value);
            dBodySetMass(m_Body, &m_Mass);
        }
    }
    if (const TiXmlElement* process = element->FirstChildElement("processCollisionForce"))
        m_ProcessCollisionForce = GetElementBool(process);
    if (const TiXmlElement* threshold = element->FirstChildElement("collisionThreshold"))
        m_CollisionThreshold = GetElementFloat(threshold);
    if (const TiXmlElement* max = element->FirstChildElement("collisionMax"))
        m_CollisionMax = GetElementFloat(max);
    const kaApp* app = kaApp::GetSingleton();
    if (!app || !app->IsEditor())
    {
        if (const TiXmlElement* pinned = element->FirstChildElement("pinned"))
            m_Pinned = GetElementBool(pinned);
    }
    for (const TiXmlElement* joint = element->FirstChildElement("joint"); joint;
         joint = joint->NextSiblingElement("joint"))
        _ReadJoint(joint);
    for (const TiXmlElement* lookup = element->FirstChildElement("materialLookup"); lookup;
         lookup = lookup->NextSiblingElement("materialLookup"))
    {
        const std::string material = GetChildElementText("materialID", lookup);
        for (const TiXmlElement* prim = lookup->FirstChildElement("prim"); prim;
             prim = prim->NextSiblingElement("prim"))
        {
            if (!m_pMaterialLookup)
                m_pMaterialLookup = std::make_unique<std::map<std::string, std::string>>();
            m_pMaterialLookup->emplace(GetElementText(prim), material);
        }
    }
    if (m_pModel)
    {
        for (const TiXmlElement* control = element->FirstChildElement("boneControl"); control;
             control = control->NextSiblingElement("boneControl"))
            _ReadBoneControl(control);
    }
    if (const TiXmlElement* ragdoll = element->FirstChildElement("ragdollInitID"))
        m_RagdollInitID = GetElementText(ragdoll);
    for (const TiXmlElement* decal = element->FirstChildElement("decal"); decal;
         decal = decal->NextSiblingElement("decal"))
    {
        auto record = std::make_unique<kaImpactDecal>();
        record->ReadXml(decal);
        m_ImpactDecals.push_back(std::move(record));
    }
    for (const TiXmlElement* trigger = element->FirstChildElement("altSoundTrigger"); trigger;
         trigger = trigger->NextSiblingElement("altSoundTrigger"))
    {
        auto record = std::make_unique<kaAltSoundTrigger>();
        record->ReadXml(trigger);
        m_AltSoundTriggers.push_back(std::move(record));
    }
}

void kaEntityPhysical::WriteXml(TiXmlElement* element) const
{
    kaEntityModel::WriteXml(element);
    if (!element)
        return;
    for (const std::unique_ptr<TiXmlElement>& key : m_OwnKeys)
        element->InsertEndChild(*key);
}

void kaEntityPhysical::_KeepOwnKeys(const TiXmlElement* element)
{
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
    {
        const std::string key = child->Value();
        const bool single = IsOneOf(key, kSingleKeys);
        if (!single && !IsOneOf(key, kListKeys))
            continue;
        if (single)
        {
            // Only the first of its name is read; a later block's key replaces an earlier one.
            if (child != element->FirstChildElement(key.c_str()))
                continue;
            m_OwnKeys.erase(std::remove_if(m_OwnKeys.begin(), m_OwnKeys.end(),
                                           [&key](const std::unique_ptr<TiXmlElement>& kept)
                                           { return key == kept->Value(); }),
                            m_OwnKeys.end());
        }
        m_OwnKeys.emplace_back(child->Clone()->ToElement());
    }
}

void kaEntityPhysical::_ReadJoint(const TiXmlElement* element)
{
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world)
    {
        platform::OutputDebugString("[kaEntityPhysical::ReadXml] : a joint needs a physics world; skipped\n");
        return;
    }
    std::unique_ptr<kaEntity> jointEntity = CreateEntity(GetChildElementText("jointClass", element));
    std::unique_ptr<kaEntity> childEntity = CreateEntity(GetChildElementText("childClass", element));
    auto* joint = dynamic_cast<kaJoint*>(jointEntity.get());
    auto* child = dynamic_cast<kaEntityPhysical*>(childEntity.get());
    if (!joint || !child)
    {
        platform::OutputDebugString("[kaEntityPhysical::ReadXml] : joint element without a joint class and a "
                                    "physical child class; skipped\n");
        return;
    }
    child->SetWorld(world);
    child->ApplyInitData(GetChildElementText("childInitID", element));
    // Made again from this element at every load: saved as entities, they would come back twice.
    child->SetSaved(false);
    // A locked world queues it and owns it from now on.
    if (!world->AddEntity(child, child->IsVisible(), true) && !world->IsLocked())
    {
        child->SetWorld(nullptr);
        return;
    }
    childEntity.release();
    if (const TiXmlElement* hide = element->FirstChildElement("hideModel"))
    {
        if (GetElementBool(hide) && child->GetModel())
            child->GetModel()->m_Hidden = true;
    }
    joint->SetWorld(world);
    joint->SetSaved(false);
    joint->CreateJoint(world);
    if (!world->AddEntity(joint, true, true) && !world->IsLocked())
    {
        joint->SetWorld(nullptr);
        return;
    }
    jointEntity.release();
    joint->Connect(this, GetChildElementText("parentBone", element), child,
                   GetChildElementText("childBone", element));
    child->Initialize();
    joint->ApplyInitData(GetChildElementText("jointInitID", element));
}

void kaEntityPhysical::_ReadBoneControl(const TiXmlElement* element)
{
    kaJoint* joint = FindJoint(GetChildElementText("jointName", element), nullptr, true);
    const int32_t bone = GetBoneIndex(GetChildElementText("boneName", element));
    kaEntityPhysical* limb = joint ? joint->GetChild() : nullptr;
    // A bone follows another entity's body; without one there is nothing to follow.
    if (bone < 0 || !limb || limb == this || !limb->GetBody())
        return;
    limb->m_BoneControls.push_back(std::make_unique<kaBoneControl>(this, bone, limb->GetBody()));
    if (std::find(m_Dependents.begin(), m_Dependents.end(), limb) == m_Dependents.end())
        m_Dependents.push_back(limb);
}

void kaEntityPhysical::_DropBoneControlsOf(const kaEntityPhysical* owner)
{
    m_BoneControls.erase(std::remove_if(m_BoneControls.begin(), m_BoneControls.end(),
                                        [owner](const std::unique_ptr<kaBoneControl>& control)
                                        { return control->GetOwner() == owner; }),
                         m_BoneControls.end());
}

void kaEntityPhysical::ApplyRagdollInitData()
{
    ApplyInitData(m_RagdollInitID);
    if (m_pModel)
        m_pModel->m_RagDoll = true;
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
        SetPosition(m_SpawnPosition + Turn(m_COGOffset, GetRotation()));
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
        SetPositionRotation(position - Turn(m_COGOffset, rotation), rotation);
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
    for (const auto& record : m_GeomData)
    {
        dGeomID geom = record->GetGeom();
        if (!geom || dGeomGetClass(geom) != dGeomTransformClass)
            continue;
        dGeomID inner = dGeomTransformGetGeom(geom);
        const dReal* at = dGeomGetPosition(inner);
        dGeomSetPosition(inner, at[0] - m_COGOffset.x, at[1] - m_COGOffset.y, at[2] - m_COGOffset.z);
    }
    _GiveMassToBody();
    SetPosition(FromODEVector(dBodyGetPosition(m_Body)));
}

void kaEntityPhysical::_PlaceBodyAndModel(const Vector3& position, const Quaternion& rotation)
{
    dBodySetPosition(m_Body, position.x, position.y, position.z);
    dQuaternion q;
    ToODE(rotation, q);
    dBodySetQuaternion(m_Body, q);
    kaEntityModel::SetPositionRotation(position - Turn(m_COGOffset, rotation), rotation);
}

void kaEntityPhysical::SetPositionRotation(const Vector3& position, const Quaternion& rotation)
{
    const kaPhysicsWorld* world = _GetPhysicsWorld();
    if (world && world->IsColliding())
        return;
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

void kaEntityPhysical::AddJoint(kaJoint* joint)
{
    if (joint && std::find(m_Joints.begin(), m_Joints.end(), joint) == m_Joints.end())
        m_Joints.push_back(joint);
}

void kaEntityPhysical::RemoveJoint(kaJoint* joint)
{
    if (m_JointsLocked)
        return;
    const auto found = std::find(m_Joints.begin(), m_Joints.end(), joint);
    if (found != m_Joints.end())
        m_Joints.erase(found);
}

void kaEntityPhysical::ForgetJoint(kaJoint* joint)
{
    m_Joints.erase(std::remove(m_Joints.begin(), m_Joints.end(), joint), m_Joints.end());
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

kaJoint* kaEntityPhysical::FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive)
{
    std::vector<kaEntityPhysical*> visited;
    kaJoint* found = _FindJoint(name, exclude, recursive, visited);
    for (kaEntityPhysical* entity : visited)
        entity->m_Visited = false;
    return found;
}

kaJoint* kaEntityPhysical::_FindJoint(const std::string& name, const kaEntityPhysical* exclude, bool recursive,
                                      std::vector<kaEntityPhysical*>& visited)
{
    m_Visited = true;
    visited.push_back(this);
    for (kaJoint* joint : m_Joints)
    {
        if (joint->GetName() == name)
            return joint;
    }
    if (!recursive)
        return nullptr;
    for (kaJoint* joint : m_Joints)
    {
        kaEntityPhysical* other = joint->GetOtherEnd(this);
        if (!other || other == exclude || other->m_Visited)
            continue;
        if (kaJoint* found = other->_FindJoint(name, this, true, visited))
            return found;
    }
    return nullptr;
}

std::vector<std::pair<kaJoint*, kaJoint::AxisState>> kaEntityPhysical::_CaptureJointAxes() const
{
    std::vector<std::pair<kaJoint*, kaJoint::AxisState>> joints;
    for (kaJoint* joint : m_Joints)
        joints.emplace_back(joint, joint->CaptureAxes());
    return joints;
}

void kaEntityPhysical::_ReattachJoints(const std::vector<std::pair<kaJoint*, kaJoint::AxisState>>& joints)
{
    for (const auto& [joint, state] : joints)
        joint->Reattach(state);
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
