#pragma once

#include "engine/core/kaSoundHandle.h"
#include "engine/scene/kaEntityPhysical.h"

#include <cstdint>
#include <string>
#include <vector>

class kaWheel;

// A physical entity driven by the player's actions: its physics description hangs the wheels on
// hinge-2 joints, of which it steers some and drives others. Each frame the actions become a steering
// target and a wheel speed target; after every physics step the joints' motors chase them, and the
// engine's looped sound follows the wheels' spin.
class kaVehicle : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Input actions of player 0, full scale 32768.
    static constexpr int kThrottleAction = 6;
    static constexpr int kBrakeAction = 7;
    static constexpr int kSteerLeftAction = 8;
    static constexpr int kSteerRightAction = 9;
    static constexpr int kPlayer = 0;
    static constexpr float kFullScale = 32768.0f;
    static constexpr int32_t kThrottleDeadZone = -2000;
    static constexpr int32_t kBrakeDeadZone = 2000;
    // An analogue stick steers this share of the limit.
    static constexpr float kAnalogueSteer = 0.8f;
    // At maxSpeed and above the steering rate falls to this share.
    static constexpr float kSteerFactorMin = 0.3f;
    // Without steering input the target decays by this factor and dt; inside the band it snaps to 0.
    static constexpr float kSteerDecay = 0.95f;
    static constexpr float kSteerSnap = 0.01f;
    // Below this squared speed the brake reverses.
    static constexpr float kSlowSquared = 0.5f;
    // Brake states.
    static constexpr int32_t kIdle = 0;
    static constexpr int32_t kBraking = 1;
    static constexpr int32_t kReversing = 2;
    // Joint drive: the force that holds idle wheels back, the motor CFM, and the steering motor.
    static constexpr float kIdleForce = 0.2f;
    static constexpr float kDriveCFM = 1.0f;
    static constexpr float kSteerStep = 0.2f;
    static constexpr float kSteerGain = 15.0f;
    static constexpr float kSteerForce = 20.0f;
    static constexpr float kSteerStopMargin = 0.01f;
    static constexpr float kSteerFudge = 0.1f;
    // Engine pitch: 1 + spin x this, times the base rate.
    static constexpr float kPitchPerSpin = 0.0125f;
    static constexpr float kBaseFrequency = 44100.0f;

    static constexpr float kDefaultSteerAngle = 0.75f;
    static constexpr float kDefaultSteerRate = 0.5f;
    static constexpr float kDefaultSteerRateMaxSpeed = 50.0f;
    static constexpr float kDefaultMaxSpeed = 80.0f;
    static constexpr float kDefaultAcceleration = 3.3f;
    static constexpr float kDefaultDamageThreshold = 40.0f;

    kaVehicle();
    // Stops the engine sound.
    ~kaVehicle() override;

    // The physical entity's keys, then the steering and power joints, the steering and speed values, the
    // engine sounds and the wheels' emitter bones.
    void ReadXml(const TiXmlElement* element) override;
    // Rests until the game enables it, never falls asleep, and loads the engine sound.
    void Initialize() override;
    // After every physics step: the joints' motors chase the targets.
    void Update(float dt) override;
    // The actions become the steering target and the wheel speed target.
    void UpdateControl(float dt) override;
    void SetModel(kaModel* model) override;
    // Also leaves the steering, power and wheel lists.
    void RemoveJoint(kaJoint* joint) override;
    void ForgetJoint(kaJoint* joint) override;
    // The engine's pitch follows the spin rate.
    virtual void UpdateEngineSound(float spinRate);
    virtual void SpawnRagdoll();

    // From its intro, or resumed.
    void StartEngineSound(bool fromStart);
    float GetWheelSpinRate() const { return m_WheelSpinRate; }

    // The wheels hung on the vehicle's joints, in joint order.
    const std::vector<kaWheel*>& GetWheels() const { return m_Wheels; }
    const std::vector<kaJoint*>& GetSteeringJoints() const { return m_SteeringJoints; }
    const std::vector<kaJoint*>& GetPowerJoints() const { return m_PowerJoints; }
    const kaSoundHandle& GetEngineSound() const { return m_EngineSound; }
    const std::string& GetStartSoundName() const { return m_StartSoundName; }
    const std::string& GetLoopSoundName() const { return m_LoopSoundName; }
    const std::string& GetStopSoundName() const { return m_StopSoundName; }
    bool IsEngineStarted() const { return m_EngineStarted; }
    float GetTopFrequency() const { return m_TopFrequency; }
    float GetSteer() const { return m_Steer; }
    float GetSteerLimit() const { return m_SteerLimit; }
    float GetSteerRate() const { return m_SteerRate; }
    float GetSteerAngleMax() const { return m_SteerAngleMax; }
    float GetSteerAngleMin() const { return m_SteerAngleMin; }
    float GetSteerRateMaxSpeed() const { return m_SteerRateMaxSpeed; }
    float GetWheelSpeedTarget() const { return m_WheelSpeedTarget; }
    float GetMaxSpeed() const { return m_MaxSpeed; }
    float GetAcceleration() const { return m_Acceleration; }
    bool IsDriveActive() const { return m_DriveActive; }
    float GetDamageThreshold() const { return m_DamageThreshold; }
    float GetLastStepTime() const { return m_LastStepTime; }
    float GetLastBrakeTarget() const { return m_LastBrakeTarget; }
    bool IsBrakeHeld() const { return m_BrakeHeld; }
    int32_t GetBrakeState() const { return m_BrakeState; }
    float GetPowerScale() const { return m_PowerScale; }

protected:
    // The action's value for player 0 and the kind of control that gave it.
    static int32_t _Action(int action, int32_t& kind);
    // The brake action after the throttle's: held, it brakes, then once slow it reverses at up to
    // reverseSpeed; with neither held the drive rests.
    void _UpdateBrake(bool throttled, bool slow, float reverseSpeed);
    // The power joints chase the wheel speed with this force; the spin rate is their mean.
    void _DrivePowerJoints(float speed, float force);
    // The steering factor at this squared speed: 1 at rest, kSteerFactorMin at maxSpeed and beyond.
    float _SteerFactor(float speedSquared) const;
    float _SpeedSquared() const;
    void _UpdateSteering(float dt, float factor);
    // The joints' motors after a step; a derived vehicle with other wheels drives them its own way.
    virtual void _DriveJoints();
    // The joints named by the first "joint" of each element of that name.
    void _ReadJointList(const TiXmlElement* element, const char* name, std::vector<kaJoint*>& list);
    void _ReadEmitterBone(const TiXmlElement* element);
    // The wheels of the joints in the list, but for one that is leaving.
    void _CollectWheels(const kaJoint* leaving = nullptr);
    void _DropFromLists(const kaJoint* joint);

    bool m_EngineStarted = false;
    float m_WheelSpinRate = 0.0f;
    float m_TopFrequency = 0.0f;
    std::string m_StartSoundName;
    std::string m_StopSoundName;
    std::string m_LoopSoundName;
    kaSoundHandle m_EngineSound;
    float m_Steer = 0.0f;
    float m_SteerAngleMax = kDefaultSteerAngle;
    float m_SteerAngleMin = kDefaultSteerAngle;
    float m_SteerLimit = kDefaultSteerAngle;
    float m_SteerRate = kDefaultSteerRate;
    float m_SteerRateMaxSpeed = kDefaultSteerRateMaxSpeed;
    float m_WheelSpeedTarget = 0.0f;
    float m_MaxSpeed = kDefaultMaxSpeed;
    float m_Acceleration = kDefaultAcceleration;
    bool m_DriveActive = false;
    float m_DamageThreshold = kDefaultDamageThreshold;
    float m_LastStepTime = 0.0f;
    float m_LastBrakeTarget = 0.0f;
    bool m_BrakeHeld = false;
    std::vector<kaJoint*> m_SteeringJoints;
    std::vector<kaJoint*> m_PowerJoints;
    int32_t m_BrakeState = kIdle;
    float m_PowerScale = 1.0f;
    std::vector<kaWheel*> m_Wheels;
};
