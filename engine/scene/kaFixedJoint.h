#pragma once

#include "engine/scene/kaJoint.h"

// A fixed joint: the child keeps its place and turn relative to the parent.
class kaFixedJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Nothing to draw: a fixed joint has no anchor.
    void RenderDebug() override {}

protected:
    dJointID _MakeJoint(dWorldID world) override;
    // Fixes the bodies where they stand.
    void _SetAnchor(const platform::Vector3& anchor) override;
};
