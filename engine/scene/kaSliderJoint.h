#pragma once

#include "engine/scene/kaJoint.h"

// A slider: the child moves along one axis, up by default, without turning.
class kaSliderJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    void SetParam(int parameter, float value) override;
    void SetAxis(float x, float y, float z, int index) override;
    // Nothing to draw: a slider has no anchor.
    void RenderDebug() override {}

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetDefaultAxes() override;
    bool _GetAxis(int index, platform::Vector3& axis) const override;
};
