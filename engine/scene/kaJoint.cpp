#include "engine/scene/kaJoint.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaPhysicsWorld.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <cmath>

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaJoint, "kaJoint")

namespace
{

// Shorter than this, an axis has no direction ODE could normalise.
constexpr float kMinAxisLength = 1e-6f;
// Closer to parallel than this (the sine of the angle between them), two axes span no plane.
constexpr float kMinAxisSine = 1e-4f;

struct ParamKey
{
    const char* name;
    int parameter;
};

const ParamKey kParamKeys[] = {
    {"lowStop", dParamLoStop},
    {"highStop", dParamHiStop},
    {"lowStop2", dParamLoStop2},
    {"highStop2", dParamHiStop2},
    {"lowStop3", dParamLoStop3},
    {"highStop3", dParamHiStop3},
    {"stopsRestitution", dParamBounce},
    {"CFM", dParamCFM},
    {"stopERP", dParamStopERP},
    {"stopCFM", dParamStopCFM},
    {"suspensionERP", dParamSuspensionERP},
    {"suspensionCFM", dParamSuspensionCFM},
};

// The axis children in the order they are looked at; the last one present wins.
const char* const kAxisBoneKeys[] = {"parentBoneX", "parentBoneY", "parentBoneZ",
                                     "childBoneX",  "childBoneY",  "childBoneZ"};

float Length(const Vector3& v)
{
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

} // namespace

kaJoint::kaJoint() = default;

kaJoint::~kaJoint()
{
    if (m_Joint)
        dJointDestroy(m_Joint);
    m_Joint = nullptr;
    // A joint destroyed before its ends must not stay in their lists.
    if (m_pParent)
        m_pParent->ForgetJoint(this);
    if (m_pChild)
        m_pChild->ForgetJoint(this);
}

void kaJoint::ReadXml(const TiXmlElement* element)
{
    kaEntity::ReadXml(element);
    if (!element || !m_pWorld || !m_Joint)
        return;
    for (const ParamKey& key : kParamKeys)
    {
        if (const TiXmlElement* child = element->FirstChildElement(key.name))
            SetParam(key.parameter, GetElementFloat(child));
    }
    if (const TiXmlElement* axis = element->FirstChildElement("axis"))
        _ReadAxis(axis, 0);
    if (const TiXmlElement* axis = element->FirstChildElement("axis2"))
        _ReadAxis(axis, 1);
}

void kaJoint::_ReadAxis(const TiXmlElement* element, int index)
{
    int winner = -1;
    std::string bone;
    for (int i = 0; i < 6; ++i)
    {
        if (const TiXmlElement* child = element->FirstChildElement(kAxisBoneKeys[i]))
        {
            winner = i;
            bone = GetElementText(child);
        }
    }
    Vector3 axis;
    bool fromBone = false;
    if (winner >= 0)
    {
        // A child bone is read from the child's own model.
        const kaEntityPhysical* end = winner < 3 ? m_pParent : m_pChild;
        kaModel* model = end ? end->GetModel() : nullptr;
        const int32_t boneIndex = end ? end->GetBoneIndex(bone) : -1;
        const Quaternion* rotation = model ? model->GetBoneRotation(boneIndex) : nullptr;
        if (rotation)
        {
            Matrix matrix;
            platform::MatrixRotationQuaternion(&matrix, rotation);
            const int row = winner % 3;
            axis = Vector3(matrix(row, 0), matrix(row, 1), matrix(row, 2));
            fromBone = true;
        }
    }
    if (!fromBone)
    {
        if (const TiXmlElement* x = element->FirstChildElement("x"))
            axis.x = GetElementFloat(x);
        if (const TiXmlElement* y = element->FirstChildElement("y"))
            axis.y = GetElementFloat(y);
        if (const TiXmlElement* z = element->FirstChildElement("z"))
            axis.z = GetElementFloat(z);
    }
    SetAxis(axis.x, axis.y, axis.z, index);
}

void kaJoint::CreateJoint(kaPhysicsWorld* world)
{
    m_pPhysicsWorld = world;
    // Made again: the former joint would otherwise live on unreferenced.
    _DestroyODEJoints();
    if (world)
        m_Joint = _MakeJoint(world->GetODEWorld());
    if (m_Joint)
        dJointSetData(m_Joint, this);
}

dJointID kaJoint::_MakeJoint(dWorldID)
{
    return nullptr;
}

void kaJoint::_DestroyODEJoints()
{
    if (m_Joint)
        dJointDestroy(m_Joint);
    m_Joint = nullptr;
}

void kaJoint::ReleaseJoint()
{
    _DestroyODEJoints();
}

bool kaJoint::AlignChildToBone(kaEntityPhysical* parent, const std::string& parentBone,
                               kaEntityPhysical* child, const std::string& childBone)
{
    if (!parent || !child || parent == child)
        return false;
    const kaModel* parentModel = parent->GetModel();
    const kaModel* childModel = child->GetModel();
    const int32_t parentIndex = parent->GetBoneIndex(parentBone);
    const int32_t childIndex = child->GetBoneIndex(childBone);
    const Matrix* parentMatrix = parentModel ? parentModel->GetBoneMatrix(parentIndex) : nullptr;
    const Matrix* childMatrix = childModel ? childModel->GetBoneMatrix(childIndex) : nullptr;
    if (!parentMatrix || !childMatrix)
        return false;
    // The child's bone relative to its body origin, which is what its placement moves.
    Matrix bone = *childMatrix;
    const Vector3& offset = child->GetCOGOffset();
    bone(3, 0) -= offset.x;
    bone(3, 1) -= offset.y;
    bone(3, 2) -= offset.z;
    Matrix inverse;
    if (!platform::MatrixInverse(&inverse, nullptr, &bone))
        return false;
    const Matrix world = inverse * *parentMatrix * parent->GetWorldMatrixPtr();
    Quaternion rotation;
    platform::QuaternionRotationMatrix(&rotation, &world);
    platform::QuaternionNormalize(&rotation, &rotation);
    child->SetPositionRotation(Vector3(world(3, 0), world(3, 1), world(3, 2)), rotation);
    return true;
}

void kaJoint::Connect(kaEntityPhysical* parent, const std::string& parentBone, kaEntityPhysical* child,
                      const std::string& childBone)
{
    if (!m_Joint || !parent || !child)
        return;
    if (!AlignChildToBone(parent, parentBone, child, childBone))
        return;
    m_pParent = parent;
    m_pChild = child;
    m_ParentBone = parentBone;
    m_ChildBone = childBone;
    parent->AddJoint(this);
    child->AddJoint(this);
    const Vector3 anchor = parent->GetBonePositionByName(parentBone);
    Attach(parent->GetBody(), child->GetBody(), anchor.x, anchor.y, anchor.z);
    // One space for the whole assembly: its parts never collide with each other.
    if (dSpaceID space = parent->GetSpace())
        child->SetSpace(space);
}

kaJoint::AxisState kaJoint::CaptureAxes() const
{
    AxisState state;
    if (m_Joint)
    {
        for (int i = 0; i < 2; ++i)
            state.present[i] = _GetAxis(i, state.axes[i]) && Length(state.axes[i]) >= kMinAxisLength;
    }
    return state;
}

void kaJoint::Reattach(const AxisState& state)
{
    if (!m_Joint || !m_pParent || !m_pChild)
        return;
    _AttachBodies(m_Joint, m_pParent->GetBody(), m_pChild->GetBody());
    dJointSetData(m_Joint, this);
    _SetAnchor(m_pParent->GetBonePositionByName(m_ParentBone));
    _RestoreAxes(state.axes, state.present);
}

void kaJoint::Reanchor()
{
    if (!m_Joint || !m_pParent || !m_pChild || m_Reanchoring)
        return;
    m_Reanchoring = true;
    // Axes are read once both bodies stand where they now belong: they moved with them.
    if (AlignChildToBone(m_pParent, m_ParentBone, m_pChild, m_ChildBone))
        Reattach(CaptureAxes());
    m_Reanchoring = false;
}

void kaJoint::_RestoreAxes(const Vector3 axes[2], const bool present[2])
{
    for (int i = 0; i < 2; ++i)
    {
        if (present[i])
            SetAxis(axes[i].x, axes[i].y, axes[i].z, i);
    }
}

void kaJoint::Detach()
{
    if (!m_Joint || !m_pParent || !m_pChild)
        return;
    _DestroyODEJoints();
    kaEntityPhysical* parent = m_pParent;
    kaEntityPhysical* child = m_pChild;
    parent->RemoveJoint(this);
    child->RemoveJoint(this);
    m_pParent = nullptr;
    m_pChild = nullptr;
    child->SetSpace(nullptr);
    // Last: an unlocked world destroys this joint at once.
    if (kaWorld* world = m_pWorld)
        world->DeleteEntity(this, false);
}

void kaJoint::ForgetEnd(const kaEntityPhysical* end)
{
    if (m_pParent == end)
        m_pParent = nullptr;
    if (m_pChild == end)
        m_pChild = nullptr;
}

kaEntityPhysical* kaJoint::GetOtherEnd(const kaEntityPhysical* end) const
{
    if (end == m_pParent)
        return m_pChild;
    if (end == m_pChild)
        return m_pParent;
    return nullptr;
}

void kaJoint::_AttachBodies(dJointID joint, dBodyID body1, dBodyID body2) const
{
    if (body1 == body2 || (_NeedsTwoBodies() && (!body1 || !body2)))
    {
        // ODE aborts on one body twice, and some kinds on a single body.
        if (body1 || body2)
            platform::OutputDebugString("[kaJoint::Attach] : " + GetClassName() +
                                        " needs two bodies; left unattached\n");
        dJointAttach(joint, nullptr, nullptr);
        return;
    }
    dJointAttach(joint, body1, body2);
}

void kaJoint::Attach(dBodyID body1, dBodyID body2, float x, float y, float z)
{
    if (!m_Joint)
        return;
    _AttachBodies(m_Joint, body1, body2);
    dJointSetData(m_Joint, this);
    _SetAnchor(Vector3(x, y, z));
    _SetDefaultAxes();
}

void kaJoint::_SetAnchor(const Vector3&) {}

void kaJoint::_SetDefaultAxes() {}

bool kaJoint::_GetAxis(int, Vector3&) const
{
    return false;
}

bool kaJoint::_GetAnchors(Vector3&, Vector3&) const
{
    return false;
}

bool kaJoint::_UsableAxis(float x, float y, float z, int index, Vector3& axis) const
{
    axis = Vector3(x, y, z);
    const float length = Length(axis);
    if (!(length >= kMinAxisLength) || !std::isfinite(length))
    {
        platform::OutputDebugString("[kaJoint::SetAxis] : " + GetClassName() + " refuses a zero axis\n");
        return false;
    }
    Vector3 other;
    if (_GetAxis(1 - index, other))
    {
        const float otherLength = Length(other);
        const Vector3 cross(axis.y * other.z - axis.z * other.y, axis.z * other.x - axis.x * other.z,
                            axis.x * other.y - axis.y * other.x);
        if (otherLength > 0.0f && Length(cross) / (length * otherLength) < kMinAxisSine)
        {
            platform::OutputDebugString("[kaJoint::SetAxis] : " + GetClassName() +
                                        " refuses an axis parallel to its other axis\n");
            return false;
        }
    }
    return true;
}

void kaJoint::SetParam(int, float) {}

float kaJoint::GetAngle()
{
    return 0.0f;
}

void kaJoint::SetAxis(float, float, float, int) {}

float kaJoint::GetAngleRate()
{
    return 0.0f;
}

void kaJoint::RenderDebug()
{
    Vector3 first;
    Vector3 second;
    if (!m_Joint || !g_pGraphicsManager || !_GetAnchors(first, second))
        return;
    g_pGraphicsManager->DebugDrawAxes(first.x, first.y, first.z, kDebugAxesLength, 0.0f, 1.0f, 0.0f, 0.5f);
    g_pGraphicsManager->DebugDrawAxes(second.x, second.y, second.z, kDebugAxesLength, 1.0f, 0.5f, 0.25f,
                                      0.5f);
}

void kaJoint::UpdateMotorAxis() {}
