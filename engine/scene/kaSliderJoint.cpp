#include "engine/scene/kaSliderJoint.h"

#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaSliderJoint, "kaSliderJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaSliderJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaSliderJoint>);
}

dJointID kaSliderJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateSlider(world, nullptr);
}

void kaSliderJoint::_SetDefaultAxes()
{
    SetAxis(0.0f, 1.0f, 0.0f, 0);
}

void kaSliderJoint::SetParam(int parameter, float value)
{
    if (m_Joint)
        dJointSetSliderParam(m_Joint, parameter, value);
}

void kaSliderJoint::SetAxis(float x, float y, float z, int index)
{
    Vector3 axis;
    if (m_Joint && index == 0 && _UsableAxis(x, y, z, index, axis))
        dJointSetSliderAxis(m_Joint, axis.x, axis.y, axis.z);
}

bool kaSliderJoint::_GetAxis(int index, Vector3& axis) const
{
    if (index != 0)
        return false;
    // ODE writes nothing without the body the axis lives on.
    dVector3 a = {0, 0, 0, 0};
    dJointGetSliderAxis(m_Joint, a);
    axis = Vector3(static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2]));
    return true;
}
