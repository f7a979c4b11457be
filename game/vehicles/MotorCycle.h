#pragma once

#include "game/vehicles/tvVehicle.h"

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>

class RagDude;
class kaEntityAttacher;
class kaModel;
class kaModelAttachment;
class tvCamera;

// The two-wheeled vehicle: it leans into turns, its rider puts the feet down when slow and is thrown as a
// rag doll on a hard knock or a "SwitchToRagdoll" contact; the reset puts the rider back. Its fork and wheel
// models hang on bones of the body and follow the steering and the spin.
class MotorCycle : public tvVehicle
{
    KA_ENTITY_CLASS_RECORD()

public:
    enum Feet : int32_t
    {
        kFeetDown = 0,
        kFeetUp = 1,
        kRiding = 2
    };

    static constexpr float kDefaultRollSpeed = 4.0f;
    static constexpr float kDefaultTopSpeed = 40.0f;
    static constexpr float kDefaultDrivingTorqueRate = 40.0f;
    static constexpr float kSteerRate = 25.0f;
    static constexpr float kDefaultLeanLimit = 20.0f;
    static constexpr float kDefaultLeanTorque = 0.4f;
    static constexpr float kCycleCameraDistance = 10.0f;
    static constexpr const char* kSwitchMaterial = "SwitchToRagdoll";
    static constexpr const char* kRagdollRootBone = "Bip01";
    // Grace after a reset before the next throw: the first also covers a running boost.
    static constexpr float kResetGrace = 1.0f;
    static constexpr float kResetCollideGrace = 2.0f;
    // Boosts push a bike a third as hard as a car.
    static constexpr float kBoostShare = 3.0f;
    static constexpr float kAnchorRadius = 1.0f;
    static constexpr float kAnchorHeight = 1.0f;
    static constexpr float kDampingGain = 425.0f;
    static constexpr float kDampingMin = 0.02f;
    // The lean limit and the lean torque grow from the roll speed up to this speed.
    static constexpr float kLeanSpeed = 20.0f;
    static constexpr float kLeanLimitGain = 20.0f;
    static constexpr float kLeanTorqueBase = 0.05f;
    static constexpr float kLeanTorqueGain = 0.09f;
    static constexpr float kRidingAcceleration = 3.0f;
    static constexpr float kSlowAcceleration = 3.3f;
    // Not riding, the throttle aims at this many times the roll speed; reversing at this many times the
    // speed it aims at going forward.
    static constexpr float kRollThrottle = 4.0f;
    static constexpr float kReverseFactor = 4.0f;
    static constexpr float kStillSpeed = 0.1f;
    static constexpr float kSteerDead = 0.1f;
    static constexpr float kFeetDownFade = 0.25f;
    static constexpr float kFeetUpFade = 0.5f;
    static constexpr float kSlowTurnTorque = 0.8f;
    static constexpr float kForkScale = 0.05f;
    static constexpr float kForkStep = 0.2f;
    static constexpr float kForkGain = 15.0f;
    static constexpr float kForkForce = 25.0f;
    static constexpr float kForkStopMargin = 0.01f;
    static constexpr float kForkFudge = 0.1f;
    static constexpr float kLeanDead = 0.1f;
    // Below riding speed on the ground the rider's feet hold the bike up: a spring and damper about its
    // forward axis, per kilogram of the body. The push is capped, so a bike leant past about 30 degrees
    // goes over; past 45 degrees, or upside down, the feet do not reach. The hold fades in and out over
    // the feet-down fade.
    static constexpr float kFeetStiffness = 40.0f;
    static constexpr float kFeetDamping = 12.0f;
    static constexpr float kFeetMostTorque = 7.0f;
    static constexpr float kFeetReach = 0.7071f;
    // Animation channels: the feet, and the turn on top of them.
    static constexpr int32_t kFeetChannel = 0;
    static constexpr int32_t kTurnChannel = 1;

    MotorCycle();
    // The rider and the rag doll leave the world, the anchor goes, the hung models are released.
    ~MotorCycle() override;

    // The vehicle's keys, then "rollSpeed", "topSpeed", "drivingTorqueRate", the fork and wheel models and
    // bones, the "rider" block, "parentBone", "childBone", "ragdollInitID" and "kmfFilename".
    void ReadXml(const TiXmlElement* element) override;
    // The vehicle's set-up; the wheels learn their bike; the rider is held to the bike.
    void Initialize() override;
    void Update(float dt) override;
    // The actions become the lean, the steering and the wheel speed target.
    void UpdateControl(float dt) override;
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
    void ProcessCollisionForces() override;
    // Puts the rider back on the bike, with a fresh rag doll for the next throw.
    void SpawnRagdoll() override;
    void AddTurbo(float time, float force, float maxTime) override;
    void AddGravity(float time, float force, float maxTime) override;
    platform::Quaternion GetViewOrientation() const override;
    platform::Vector3 GetViewPosition() const override;
    float GetCameraDistance() const override { return kCycleCameraDistance; }

    // Throws the rider when everything allows it; true when it did.
    bool TrySwitchToRagdoll();
    bool IsMounted() const { return !m_Ragdolled; }
    bool IsRagdolled() const { return m_Ragdolled; }
    bool IsSwitchRequested() const { return m_SwitchRequest; }
    // The body's up axis in the world ((0, 1, 0) without a model).
    platform::Vector3 GetUpAxis() const;

    int32_t GetFeetState() const { return m_FeetState; }
    float GetLean() const { return m_Lean; }
    float GetLeanLimit() const { return m_LeanLimit; }
    float GetLeanTorque() const { return m_LeanTorque; }
    float GetRollSpeed() const { return m_RollSpeed; }
    float GetTopSpeed() const { return m_TopSpeed; }
    float GetDrivingTorqueRate() const { return m_DrivingTorqueRate; }
    int32_t GetSavedView() const { return m_SavedView; }
    float GetGraceTime() const { return m_Grace; }
    float GetCollideGraceTime() const { return m_CollideGrace; }
    kaEntityModel* GetRider() const { return m_pRider; }
    RagDude* GetRagdoll() const { return m_pRagdoll; }
    kaEntityAttacher* GetRiderAttacher() const { return m_pAttacher; }
    dBodyID GetAnchorBody() const { return m_AnchorBody; }
    kaModelAttachment* GetForkAttachment() const { return m_pFork; }
    kaModelAttachment* GetWheelAttachment() const { return m_pWheel; }
    const std::string& GetParentBone() const { return m_ParentBone; }
    const std::string& GetChildBone() const { return m_ChildBone; }
    const std::string& GetRagdollModelFile() const { return m_RagdollModelFile; }

protected:
    // A hidden rag doll in the world from the rag doll's model and record; null when the model does not
    // load.
    virtual RagDude* _MakeRagdoll();
    // The speed's effect on the lean and the drive; the power joints chase the target.
    void _UpdateDrive(float speed);
    void _UpdateFeet(float speed);
    // The feet's hold against the bike's lean while it is slow, mounted and on its wheels.
    void _HoldUpOnFeet(float speed, float dt);
    bool _OnTheGround() const;
    // The rider's turn animations, the fork and wheel models, and while riding the steering and lean.
    void _UpdateTurning(bool riding);
    void _HangModels();
    void _ReleaseHungModels();
    void _DestroyAnchor();
    void _WakeRagdoll();
    // The rag doll and its limbs shown, or hidden with their collision off: hidden, the limbs would still
    // stand where the doll was made, invisible in the bike's way.
    static void _ShowRagdoll(RagDude* ragdoll, bool shown);
    // The world's entity list holds it still.
    bool _InWorld(const kaEntity* entity) const;
    // The course's follow camera, or null outside a course world.
    tvCamera* _FollowCamera() const;
    // Whether the course's venue lets riders be thrown.
    bool _ArenaAllowsRagdoll() const;

    float m_RollSpeed = kDefaultRollSpeed;
    float m_TopSpeed = kDefaultTopSpeed;
    float m_DrivingTorqueRate = kDefaultDrivingTorqueRate;
    // The follow camera's view while the rider rode, put back when the rider is.
    int32_t m_SavedView = 0;
    std::string m_ForkModel;
    std::string m_ForkBone;
    std::string m_WheelModel;
    std::string m_WheelBone;
    std::string m_ParentBone;
    std::string m_ChildBone;
    std::string m_RagdollModelFile;
    dBodyID m_AnchorBody = nullptr;
    dJointID m_AnchorJoint = nullptr;
    bool m_SwitchRequest = false;
    int32_t m_FeetState = kFeetDown;
    // Shown while riding; the world holds it, the bike takes it out with itself.
    kaEntityModel* m_pRider = nullptr;
    bool m_RiderInWorld = false;
    // Shown while ragdolled; likewise.
    RagDude* m_pRagdoll = nullptr;
    kaEntityAttacher* m_pAttacher = nullptr;
    bool m_Ragdolled = false;
    platform::Quaternion m_RagdollOrientation;
    float m_Grace = 0.0f;
    float m_CollideGrace = 0.0f;
    float m_Lean = 0.0f;
    float m_LeanLimit = kDefaultLeanLimit;
    float m_LeanTorque = kDefaultLeanTorque;
    float m_FrameTime = 0.0f;
    float m_FeetHold = 0.0f;
    float m_WheelAngle = 0.0f;
    // Models hung on the body's bones, released by the bike.
    kaModel* m_pForkModel = nullptr;
    kaModel* m_pWheelModel = nullptr;
    kaModelAttachment* m_pFork = nullptr;
    kaModelAttachment* m_pWheel = nullptr;
};
