#include "engine/scene/kaBallJoint.h"

#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(kaBallJoint, "kaBallJoint")

namespace
{
const EntityFactory::Registration s_Registration(kaBallJoint::StaticClassInfo(),
                                                 &EntityFactory::Create<kaBallJoint>);
}

dJointID kaBallJoint::_MakeJoint(dWorldID world)
{
    return dJointCreateBall(world, nullptr);
}

void kaBallJoint::_SetAnchor(const Vector3& anchor)
{
    dJointSetBallAnchor(m_Joint, anchor.x, anchor.y, anchor.z);
}

bool kaBallJoint::_GetAnchors(Vector3& first, Vector3& second) const
{
    dVector3 a = {0, 0, 0, 0};
    dVector3 b = {0, 0, 0, 0};
    dJointGetBallAnchor(m_Joint, a);
    dJointGetBallAnchor2(m_Joint, b);
    first = Vector3(static_cast<float>(a[0]), static_cast<float>(a[1]), static_cast<float>(a[2]));
    second = Vector3(static_cast<float>(b[0]), static_cast<float>(b[1]), static_cast<float>(b[2]));
    return true;
}
