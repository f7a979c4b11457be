#include "engine/scene/kaUniversalJoint.h"

#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaUniversalJoint, "kaUniversalJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaUniversalJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaUniversalJoint>);

Vector3 ToVector(const dVector3 v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}
} // namespace

dJointID kaUniversalJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateUniversal(world, nullptr);
}

void kaUniversalJoint::_SetAnchor(const Vector3& anchor)
{
    dJointSetUniversalAnchor(m_Joint, anchor.x, anchor.y, anchor.z);
}

void kaUniversalJoint::_SetDefaultAxes()
{
    // ODE's own pair is (1, 0, 0) and (0, 1, 0): swapped directly, the axes would meet on the way. Axis 2
    // steps aside first.
    dJointSetUniversalAxis2(m_Joint, 0.0, 0.0, 1.0);
    dJointSetUniversalAxis1(m_Joint, 0.0, 1.0, 0.0);
    dJointSetUniversalAxis2(m_Joint, 1.0, 0.0, 0.0);
}

void kaUniversalJoint::SetParam(int parameter, float value)
{
    if (m_Joint)
        dJointSetUniversalParam(m_Joint, parameter, value);
}

void kaUniversalJoint::SetAxis(float x, float y, float z, int index)
{
    Vector3 axis;
    if (!m_Joint || index < 0 || index > 1 || !_UsableAxis(x, y, z, index, axis))
        return;
    if (index == 0)
        dJointSetUniversalAxis1(m_Joint, axis.x, axis.y, axis.z);
    else
        dJointSetUniversalAxis2(m_Joint, axis.x, axis.y, axis.z);
}

bool kaUniversalJoint::_GetAxis(int index, Vector3& axis) const
{
    if (index < 0 || index > 1)
        return false;
    // ODE writes nothing without the body the axis lives on.
    dVector3 a = {0, 0, 0, 0};
    if (index == 0)
        dJointGetUniversalAxis1(m_Joint, a);
    else
        dJointGetUniversalAxis2(m_Joint, a);
    axis = ToVector(a);
    return true;
}

bool kaUniversalJoint::_GetAnchors(Vector3& first, Vector3& second) const
{
    dVector3 a = {0, 0, 0, 0};
    dVector3 b = {0, 0, 0, 0};
    dJointGetUniversalAnchor(m_Joint, a);
    dJointGetUniversalAnchor2(m_Joint, b);
    first = ToVector(a);
    second = ToVector(b);
    return true;
}
