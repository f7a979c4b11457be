#pragma once

#include "engine/scene/kaJoint.h"

// A hinge: the child turns about one axis through the anchor, up by default.
class kaHingeJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    void SetParam(int parameter, float value) override;
    void SetAxis(float x, float y, float z, int index) override;
    float GetAngle() override;

    // The axis (index 0 only) and the anchors on both bodies of an ODE hinge, for every joint built on one.
    static bool ReadHingeAxis(dJointID joint, int index, platform::Vector3& axis);
    static bool ReadHingeAnchors(dJointID joint, platform::Vector3& first, platform::Vector3& second);

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetAnchor(const platform::Vector3& anchor) override;
    void _SetDefaultAxes() override;
    bool _GetAxis(int index, platform::Vector3& axis) const override;
    bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const override;
};
