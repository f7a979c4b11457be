#pragma once

#include "engine/scene/kaJoint.h"

// A ball and socket: the child turns freely about the anchor at the parent's bone.
class kaBallJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    using kaJoint::kaJoint;

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetAnchor(const platform::Vector3& anchor) override;
    bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const override;
};
