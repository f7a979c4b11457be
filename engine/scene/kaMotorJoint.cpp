#include "engine/scene/kaMotorJoint.h"

#include "engine/core/kaXmlHelpers.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaHingeJoint.h"
#include "engine/scene/kaPhysicsWorld.h"

#include <tinyxml.h>

#include <algorithm>

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaMotorJoint, "kaMotorJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaMotorJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaMotorJoint>);
} // namespace

kaMotorJoint::~kaMotorJoint()
{
    // A motor left behind would drive the bodies on after the hinge is gone.
    if (m_Motor)
        dJointDestroy(m_Motor);
    m_Motor = nullptr;
}

void kaMotorJoint::ReadXml(const TiXmlElement* element)
{
    if (element && m_pWorld && m_Joint)
    {
        if (const TiXmlElement* velocity = element->FirstChildElement("MotorVelocity"))
            SetParam(dParamVel, GetElementFloat(velocity));
        if (const TiXmlElement* torque = element->FirstChildElement("MotorTorqueMax"))
            SetParam(dParamFMax, GetElementFloat(torque));
        if (const TiXmlElement* fudge = element->FirstChildElement("MotorFudgeFactor"))
            SetParam(dParamFudgeFactor, std::clamp(GetElementFloat(fudge), kMinFudgeFactor, kMaxFudgeFactor));
    }
    kaJoint::ReadXml(element);
}

void kaMotorJoint::CreateJoint(kaPhysicsWorld* world)
{
    kaJoint::CreateJoint(world);
    if (!m_Joint)
        return;
    m_Motor = dJointCreateAMotor(world->GetODEWorld(), nullptr);
    dJointSetAMotorNumAxes(m_Motor, 1);
    dJointSetData(m_Motor, this);
}

dJointID kaMotorJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateHinge(world, nullptr);
}

void kaMotorJoint::_DestroyODEJoints()
{
    if (m_Motor)
        dJointDestroy(m_Motor);
    m_Motor = nullptr;
    kaJoint::_DestroyODEJoints();
}

void kaMotorJoint::Attach(dBodyID body1, dBodyID body2, float x, float y, float z)
{
    if (m_Motor)
    {
        _AttachBodies(m_Motor, body1, body2);
        dJointSetData(m_Motor, this);
    }
    kaJoint::Attach(body1, body2, x, y, z);
}

void kaMotorJoint::Reattach(const AxisState& state)
{
    if (m_Motor && m_pParent && m_pChild)
    {
        _AttachBodies(m_Motor, m_pParent->GetBody(), m_pChild->GetBody());
        dJointSetData(m_Motor, this);
    }
    kaJoint::Reattach(state);
}

void kaMotorJoint::_SetAnchor(const Vector3& anchor)
{
    dJointSetHingeAnchor(m_Joint, anchor.x, anchor.y, anchor.z);
}

void kaMotorJoint::_SetDefaultAxes()
{
    SetAxis(0.0f, 1.0f, 0.0f, 0);
}

void kaMotorJoint::SetParam(int parameter, float value)
{
    if (!m_Joint || !m_Motor)
        return;
    // The motor has one axis: what is asked of the first two goes to it.
    if (parameter == dParamVel || parameter == dParamVel2)
    {
        dJointSetAMotorParam(m_Motor, dParamVel, value);
        return;
    }
    if (parameter == dParamFMax || parameter == dParamFMax2)
    {
        dJointSetAMotorParam(m_Motor, dParamFMax, value);
        return;
    }
    dJointSetAMotorParam(m_Motor, parameter, value);
    dJointSetHingeParam(m_Joint, parameter, value);
}

void kaMotorJoint::SetAxis(float x, float y, float z, int index)
{
    Vector3 axis;
    if (!m_Joint || !m_Motor || index != 0 || !_UsableAxis(x, y, z, index, axis))
        return;
    // Relative to the first body; with none that is the world frame, which ODE wants said so.
    const int relative = dJointGetBody(m_Motor, 0) ? 1 : 0;
    dJointSetAMotorAxis(m_Motor, 0, relative, axis.x, axis.y, axis.z);
    dJointSetHingeAxis(m_Joint, axis.x, axis.y, axis.z);
}

float kaMotorJoint::GetAngleRate()
{
    return m_Joint ? static_cast<float>(dJointGetHingeAngleRate(m_Joint)) : 0.0f;
}

void kaMotorJoint::UpdateMotorAxis()
{
    if (!m_Joint || !m_Motor)
        return;
    // Unattached, the hinge has no axis to give, and ODE aborts on a zero one.
    dVector3 axis = {0, 0, 0, 0};
    dJointGetHingeAxis(m_Joint, axis);
    if (axis[0] * axis[0] + axis[1] * axis[1] + axis[2] * axis[2] < 1e-12)
        return;
    dJointSetAMotorAxis(m_Motor, 0, 0, axis[0], axis[1], axis[2]);
}

bool kaMotorJoint::_GetAxis(int index, Vector3& axis) const
{
    return kaHingeJoint::ReadHingeAxis(m_Joint, index, axis);
}

bool kaMotorJoint::_GetAnchors(Vector3& first, Vector3& second) const
{
    return kaHingeJoint::ReadHingeAnchors(m_Joint, first, second);
}
