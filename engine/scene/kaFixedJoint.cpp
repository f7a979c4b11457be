#include "engine/scene/kaFixedJoint.h"

#include "engine/scene/EntityFactory.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(kaFixedJoint, "kaFixedJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaFixedJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaFixedJoint>);
}

dJointID kaFixedJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateFixed(world, nullptr);
}

void kaFixedJoint::_SetAnchor(const platform::Vector3&)
{
    dJointSetFixed(m_Joint);
}
