#include "engine/scene/kaHingeJoint.h"

#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaHingeJoint, "kaHingeJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaHingeJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaHingeJoint>);

Vector3 ToVector(const dVector3 v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}
} // namespace

dJointID kaHingeJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateHinge(world, nullptr);
}

void kaHingeJoint::_SetAnchor(const Vector3& anchor)
{
    dJointSetHingeAnchor(m_Joint, anchor.x, anchor.y, anchor.z);
}

void kaHingeJoint::_SetDefaultAxes()
{
    SetAxis(0.0f, 1.0f, 0.0f, 0);
}

void kaHingeJoint::SetParam(int parameter, float value)
{
    if (m_Joint)
        dJointSetHingeParam(m_Joint, parameter, value);
}

void kaHingeJoint::SetAxis(float x, float y, float z, int index)
{
    Vector3 axis;
    if (m_Joint && index == 0 && _UsableAxis(x, y, z, index, axis))
        dJointSetHingeAxis(m_Joint, axis.x, axis.y, axis.z);
}

float kaHingeJoint::GetAngle()
{
    return m_Joint ? static_cast<float>(dJointGetHingeAngle(m_Joint)) : 0.0f;
}

bool kaHingeJoint::ReadHingeAxis(dJointID joint, int index, Vector3& axis)
{
    if (index != 0)
        return false;
    // ODE writes nothing without the body the axis lives on.
    dVector3 a = {0, 0, 0, 0};
    dJointGetHingeAxis(joint, a);
    axis = ToVector(a);
    return true;
}

bool kaHingeJoint::ReadHingeAnchors(dJointID joint, Vector3& first, Vector3& second)
{
    dVector3 a = {0, 0, 0, 0};
    dVector3 b = {0, 0, 0, 0};
    dJointGetHingeAnchor(joint, a);
    dJointGetHingeAnchor2(joint, b);
    first = ToVector(a);
    second = ToVector(b);
    return true;
}

bool kaHingeJoint::_GetAxis(int index, Vector3& axis) const
{
    return ReadHingeAxis(m_Joint, index, axis);
}

bool kaHingeJoint::_GetAnchors(Vector3& first, Vector3& second) const
{
    return ReadHingeAnchors(m_Joint, first, second);
}
