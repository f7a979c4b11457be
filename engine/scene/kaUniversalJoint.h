#pragma once

#include "engine/scene/kaJoint.h"

// A universal joint: the child turns about two axes through the anchor, up and along x by default.
class kaUniversalJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    void SetParam(int parameter, float value) override;
    void SetAxis(float x, float y, float z, int index) override;

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetAnchor(const platform::Vector3& anchor) override;
    void _SetDefaultAxes() override;
    bool _GetAxis(int index, platform::Vector3& axis) const override;
    bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const override;
};
