#pragma once

#include "engine/scene/kaJoint.h"

// A hinge-2, as a steered wheel hangs: the child turns about the parent's axis 1 (up by default, the
// steering) and about its own axis 2 (along x by default, the spin). ODE sets both axes together and
// needs a body at each end for them.
class kaHinge2Joint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    void SetParam(int parameter, float value) override;
    void SetAxis(float x, float y, float z, int index) override;
    // The steering angle.
    float GetAngle() override;
    // The spin rate.
    float GetAngleRate() override;

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetAnchor(const platform::Vector3& anchor) override;
    void _SetDefaultAxes() override;
    bool _GetAxis(int index, platform::Vector3& axis) const override;
    bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const override;
    bool _NeedsTwoBodies() const override { return true; }
    void _RestoreAxes(const platform::Vector3 axes[2], const bool present[2]) override;
    // Sets what is given, both in one call; false, nothing set, when ODE would refuse it.
    bool _SetAxes(const platform::Vector3* axis1, const platform::Vector3* axis2);
    // On both bodies; a hinge-2 never hangs on one.
    bool _Attached() const;
};
