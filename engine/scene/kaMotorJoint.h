#pragma once

#include "engine/scene/kaJoint.h"

// A hinge driven by an angular motor about the hinge's axis (up by default). The motor goes with the
// hinge.
class kaMotorJoint : public kaJoint
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kMinFudgeFactor = 0.0f;
    static constexpr float kMaxFudgeFactor = 1.0f;

    ~kaMotorJoint() override;
    // "MotorVelocity", "MotorTorqueMax" and "MotorFudgeFactor" (clamped to 0 to 1), then the joint's keys.
    void ReadXml(const TiXmlElement* element) override;
    void CreateJoint(kaPhysicsWorld* world) override;
    void Attach(dBodyID body1, dBodyID body2, float x, float y, float z) override;
    // The motor hangs on the same bodies again.
    void Reattach(const AxisState& state) override;
    // Velocities and maximum forces of any axis go to the motor's first; the rest to motor and hinge.
    void SetParam(int parameter, float value) override;
    void SetAxis(float x, float y, float z, int index) override;
    float GetAngleRate() override;
    // The motor turns about the hinge's axis as it stands now.
    void UpdateMotorAxis() override;

    dJointID GetMotor() const { return m_Motor; }

protected:
    dJointID _MakeJoint(dWorldID world) override;
    void _SetAnchor(const platform::Vector3& anchor) override;
    void _SetDefaultAxes() override;
    bool _GetAxis(int index, platform::Vector3& axis) const override;
    bool _GetAnchors(platform::Vector3& first, platform::Vector3& second) const override;
    void _DestroyODEJoints() override;

    dJointID m_Motor = nullptr;
};
