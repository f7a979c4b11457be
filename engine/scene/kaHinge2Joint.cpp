#include "engine/scene/kaHinge2Joint.h"

#include "engine/scene/EntityFactory.h"

#include "platform/system/DebugOutput.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaHinge2Joint, "kaHinge2Joint")

namespace
{
const EntityFactory::Registration s_Registration(kaHinge2Joint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaHinge2Joint>);

Vector3 ToVector(const dVector3 v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}
} // namespace

dJointID kaHinge2Joint::_MakeJoint(dWorldID world)
{
    return dJointCreateHinge2(world, nullptr);
}

void kaHinge2Joint::_SetAnchor(const Vector3& anchor)
{
    dJointSetHinge2Anchor(m_Joint, anchor.x, anchor.y, anchor.z);
}

bool kaHinge2Joint::_SetAxes(const Vector3* axis1, const Vector3* axis2)
{
    // Axis 1 lives on the first body, axis 2 on the second; ODE aborts without them.
    if ((axis1 && !dJointGetBody(m_Joint, 0)) || (axis2 && !dJointGetBody(m_Joint, 1)))
    {
        platform::OutputDebugString("[kaHinge2Joint::SetAxis] : no body to hold the axis\n");
        return false;
    }
    const dReal a1[3] = {axis1 ? axis1->x : 0.0f, axis1 ? axis1->y : 0.0f, axis1 ? axis1->z : 0.0f};
    const dReal a2[3] = {axis2 ? axis2->x : 0.0f, axis2 ? axis2->y : 0.0f, axis2 ? axis2->z : 0.0f};
    dJointSetHinge2Axes(m_Joint, axis1 ? a1 : nullptr, axis2 ? a2 : nullptr);
    return true;
}

void kaHinge2Joint::_SetDefaultAxes()
{
    // One at a time, up would first meet ODE's own axis 2, which is up too.
    const Vector3 up(0.0f, 1.0f, 0.0f);
    const Vector3 across(1.0f, 0.0f, 0.0f);
    _SetAxes(&up, &across);
}

void kaHinge2Joint::_RestoreAxes(const Vector3 axes[2], const bool present[2])
{
    if (!present[0] || !present[1])
        return;
    // Both together, checked against each other rather than against ODE's stale pair.
    const Vector3& a = axes[0];
    const Vector3& b = axes[1];
    const Vector3 cross(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
    if (cross.x * cross.x + cross.y * cross.y + cross.z * cross.z > 1e-8f)
        _SetAxes(&a, &b);
}

void kaHinge2Joint::SetParam(int parameter, float value)
{
    if (m_Joint)
        dJointSetHinge2Param(m_Joint, parameter, value);
}

void kaHinge2Joint::SetAxis(float x, float y, float z, int index)
{
    Vector3 axis;
    if (!m_Joint || index < 0 || index > 1 || !_UsableAxis(x, y, z, index, axis))
        return;
    _SetAxes(index == 0 ? &axis : nullptr, index == 1 ? &axis : nullptr);
}

float kaHinge2Joint::GetAngle()
{
    return m_Joint && _Attached() ? static_cast<float>(dJointGetHinge2Angle1(m_Joint)) : 0.0f;
}

float kaHinge2Joint::GetAngleRate()
{
    return m_Joint && _Attached() ? static_cast<float>(dJointGetHinge2Angle2Rate(m_Joint)) : 0.0f;
}

bool kaHinge2Joint::_Attached() const
{
    return dJointGetBody(m_Joint, 0) && dJointGetBody(m_Joint, 1);
}

bool kaHinge2Joint::_GetAxis(int index, Vector3& axis) const
{
    // ODE aborts on reading an axis of an unattached hinge-2.
    if (index < 0 || index > 1 || !_Attached())
        return false;
    // ODE writes nothing without the body the axis lives on.
    dVector3 a = {0, 0, 0, 0};
    if (index == 0)
        dJointGetHinge2Axis1(m_Joint, a);
    else
        dJointGetHinge2Axis2(m_Joint, a);
    axis = ToVector(a);
    return true;
}

bool kaHinge2Joint::_GetAnchors(Vector3& first, Vector3& second) const
{
    if (!_Attached())
        return false;
    dVector3 a = {0, 0, 0, 0};
    dVector3 b = {0, 0, 0, 0};
    dJointGetHinge2Anchor(m_Joint, a);
    dJointGetHinge2Anchor2(m_Joint, b);
    first = ToVector(a);
    second = ToVector(b);
    return true;
}
