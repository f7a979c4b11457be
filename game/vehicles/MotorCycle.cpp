#include "game/vehicles/MotorCycle.h"

#include "engine/core/InputDevice.h"
#include "engine/core/kaAngles.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaModelAttachment.h"
#include "engine/model/kaModelManager.h"
#include "engine/model/kaSkeleton.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaEntityAttacher.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaMaterial.h"
#include "engine/scene/kaPhysicsWorld.h"
#include "engine/scene/kaWheel.h"
#include "game/vehicles/RagDude.h"
#include "game/vehicles/tvCycleWheel.h"
#include "game/world/tvArena.h"
#include "game/world/tvCamera.h"
#include "game/world/tvWorld.h"

#include "platform/gfx/math/Matrix.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(MotorCycle, "MotorCycle")

using kaXmlValues::ReadFloatOrThrow;
using kaXmlValues::ReadTextIfPresent;

namespace
{

const EntityFactory::Registration s_Registration(MotorCycle::StaticClassInfo(),
                                                 &EntityFactory::Create<MotorCycle>);

Vector3 FromBody(const dReal* v)
{
    return Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

Vector3 Turn(const Vector3& v, const Quaternion& q)
{
    Matrix rotation;
    platform::MatrixRotationQuaternion(&rotation, &q);
    Vector3 out;
    platform::Vec3TransformNormal(&out, &v, &rotation);
    return out;
}

// A model from a file or a descriptor; null, with nothing kept, when it does not load.
kaModel* LoadModel(const std::string& fileName)
{
    if (fileName.empty() || !g_pModelManager)
        return nullptr;
    const bool descriptor = fileName.find(".xml") != std::string::npos;
    kaModel* model =
        descriptor ? g_pModelManager->LoadModelDescriptor(fileName) : g_pModelManager->CreateModel(fileName);
    if (model && (!model->GetMesh() || model->GetMesh()->GetSubsetCount() == 0))
    {
        g_pModelManager->ReleaseModel(model);
        model = nullptr;
    }
    return model;
}

// The name of a model's first bone, by which it hangs; empty without a skeleton.
std::string RootBone(const kaModel* model)
{
    const kaSkeleton* skeleton = model ? model->GetSkeleton() : nullptr;
    const kaBone* bone = skeleton && skeleton->GetBoneCount() > 0 ? skeleton->GetBone(0) : nullptr;
    return bone ? bone->name : std::string();
}

// The "kmfFilename" of an "Entity" record, its includes first.
std::string RecordModelFile(const std::string& id)
{
    std::string file;
    if (g_pInitDataBase && !id.empty())
        g_pInitDataBase->Apply(kaEntity::kInitDataType, id,
                               [&file](TiXmlElement* data)
                               {
                                   if (const TiXmlElement* child = data->FirstChildElement("kmfFilename"))
                                       file = GetElementText(child);
                               });
    return file;
}

} // namespace

MotorCycle::MotorCycle()
{
    m_SteerRate = kSteerRate;
}

MotorCycle::~MotorCycle()
{
    _DestroyAnchor();
    _ReleaseHungModels();
    // A rider the world never took is the bike's alone.
    if (!m_RiderInWorld)
    {
        delete m_pRider;
        m_pRider = nullptr;
    }
    if (!m_pWorld)
        return;
    // While the world clears itself its list is empty: it destroys them itself.
    for (kaEntity* entity : {static_cast<kaEntity*>(m_pAttacher), static_cast<kaEntity*>(m_pRider),
                             static_cast<kaEntity*>(m_pRagdoll)})
        if (entity && _InWorld(entity))
            m_pWorld->DeleteEntity(entity, false);
}

bool MotorCycle::_InWorld(const kaEntity* entity) const
{
    if (!m_pWorld)
        return false;
    const std::vector<kaEntity*>& entities = m_pWorld->GetEntities();
    return std::find(entities.begin(), entities.end(), entity) != entities.end();
}

void MotorCycle::ReadXml(const TiXmlElement* element)
{
    tvVehicle::ReadXml(element);
    if (!element)
        return;
    ReadFloatOrThrow(element, "rollSpeed", m_RollSpeed);
    ReadFloatOrThrow(element, "topSpeed", m_TopSpeed);
    ReadFloatOrThrow(element, "drivingTorqueRate", m_DrivingTorqueRate);
    ReadTextIfPresent(element, "forkModel", m_ForkModel);
    ReadTextIfPresent(element, "forkBone", m_ForkBone);
    ReadTextIfPresent(element, "wheelModel", m_WheelModel);
    ReadTextIfPresent(element, "wheelBone", m_WheelBone);
    ReadTextIfPresent(element, "parentBone", m_ParentBone);
    ReadTextIfPresent(element, "childBone", m_ChildBone);
    if (const TiXmlElement* rider = element->FirstChildElement("rider"))
    {
        if (!m_pRider)
            m_pRider = new kaEntityModel;
        m_pRider->ReadXml(rider);
    }
    // The bike's own model is its "kmfFilename"; the rag doll's is named by the rag doll's record.
    m_RagdollModelFile = RecordModelFile(m_RagdollInitID);
    _HangModels();
}

void MotorCycle::_HangModels()
{
    if (!m_pModel)
        return;
    if (!m_pFork && !m_ForkBone.empty() && (m_pForkModel = LoadModel(m_ForkModel)))
        m_pFork = m_pModel->AttachModel(m_pForkModel, RootBone(m_pForkModel), m_ForkBone);
    if (!m_pWheel && !m_WheelBone.empty() && (m_pWheelModel = LoadModel(m_WheelModel)))
        m_pWheel = m_pModel->AttachModel(m_pWheelModel, RootBone(m_pWheelModel), m_WheelBone);
}

void MotorCycle::_ReleaseHungModels()
{
    if (!g_pModelManager)
        return;
    if (m_pForkModel)
        g_pModelManager->ReleaseModel(m_pForkModel);
    if (m_pWheelModel)
        g_pModelManager->ReleaseModel(m_pWheelModel);
    m_pForkModel = m_pWheelModel = nullptr;
    m_pFork = m_pWheel = nullptr;
}

void MotorCycle::Initialize()
{
    tvVehicle::Initialize();
    for (kaWheel* wheel : m_Wheels)
        if (auto* cycleWheel = dynamic_cast<tvCycleWheel*>(wheel))
            cycleWheel->SetMotorCycle(this);
    if (!m_pRider || !m_pWorld)
        return;
    // A locked world queues it and owns it from then on.
    if (!m_RiderInWorld)
        m_RiderInWorld = m_pWorld->AddEntity(m_pRider, true, true) || m_pWorld->IsLocked();
    if (!m_pAttacher)
    {
        m_pAttacher = new kaEntityAttacher;
        if (!m_pWorld->AddEntity(m_pAttacher, true, true) && !m_pWorld->IsLocked())
        {
            delete m_pAttacher;
            m_pAttacher = nullptr;
            return;
        }
    }
    m_pAttacher->Attach(this, m_ParentBone, m_pRider, m_ChildBone);
}

Vector3 MotorCycle::GetUpAxis() const
{
    if (!m_pModel)
        return Vector3(0.0f, 1.0f, 0.0f);
    const Matrix& world = m_pModel->GetWorldMatrix();
    Vector3 up(world(1, 0), world(1, 1), world(1, 2));
    platform::Vec3Normalize(&up, &up);
    return up;
}

void MotorCycle::OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial)
{
    tvVehicle::OnCollide(other, ownMaterial, otherMaterial);
    if (m_Ragdolled || !otherMaterial || otherMaterial->GetPassThrough())
        return;
    if (otherMaterial->GetName() == kSwitchMaterial)
        m_SwitchRequest = true;
}

void MotorCycle::ProcessCollisionForces()
{
    tvVehicle::ProcessCollisionForces();
}

void MotorCycle::AddTurbo(float time, float force, float maxTime)
{
    tvVehicle::AddTurbo(time, force / kBoostShare, maxTime);
    m_Grace = m_BoostTime;
}

void MotorCycle::AddGravity(float time, float force, float maxTime)
{
    tvVehicle::AddGravity(time, force / kBoostShare, maxTime);
    m_Grace = m_SecondBoostTime;
}

Quaternion MotorCycle::GetViewOrientation() const
{
    return m_Ragdolled ? m_RagdollOrientation : tvVehicle::GetViewOrientation();
}

Vector3 MotorCycle::GetViewPosition() const
{
    if (!m_Ragdolled || !m_pRagdoll)
        return tvVehicle::GetViewPosition();
    const int32_t bone = m_pRagdoll->GetBoneIndex(kRagdollRootBone);
    return bone >= 0 ? m_pRagdoll->GetBoneWorldPosition(bone) : m_pRagdoll->GetPosition();
}

tvCamera* MotorCycle::_FollowCamera() const
{
    const auto* world = dynamic_cast<const tvWorld*>(m_pWorld);
    return world ? world->GetFollowCamera() : nullptr;
}

bool MotorCycle::_ArenaAllowsRagdoll() const
{
    const auto* arena = m_pWorld ? dynamic_cast<const tvArena*>(m_pWorld->GetVenueEntity()) : nullptr;
    return !arena || arena->AllowsRagdoll();
}

bool MotorCycle::TrySwitchToRagdoll()
{
    if (m_Ragdolled || !m_pRider || !m_pRagdoll || m_Grace > 0.0f || m_CollideGrace > 0.0f ||
        m_FeetState != kRiding || !m_Body || !_ArenaAllowsRagdoll())
        return false;
    if (tvCamera* camera = _FollowCamera())
    {
        m_SavedView = camera->GetView();
        camera->SetView(tvCamera::kChaseView);
    }
    m_SwitchRequest = false;
    m_RagdollOrientation = GetRotation();

    // The anchor rides on the body a unit up its own axis, moving as the body moves.
    const Vector3 velocity = FromBody(dBodyGetLinearVel(m_Body));
    const Vector3 spin = FromBody(dBodyGetAngularVel(m_Body));
    if (auto* physics = _GetPhysicsWorld())
    {
        _DestroyAnchor();
        m_AnchorBody = dBodyCreate(physics->GetODEWorld());
        dMass mass;
        dMassSetSphere(&mass, 1.0, kAnchorRadius);
        if (m_ConfiguredMass > 0.0f)
            dMassAdjust(&mass, m_ConfiguredMass);
        dBodySetMass(m_AnchorBody, &mass);
        const Vector3 at = GetBodyPosition() + Turn(Vector3(0.0f, kAnchorHeight, 0.0f), GetRotation());
        dBodySetPosition(m_AnchorBody, at.x, at.y, at.z);
        dBodySetLinearVel(m_AnchorBody, velocity.x, velocity.y, velocity.z);
        dBodySetAngularVel(m_AnchorBody, spin.x, spin.y, spin.z);
        m_AnchorJoint = dJointCreateFixed(physics->GetODEWorld(), nullptr);
        dJointAttach(m_AnchorJoint, m_AnchorBody, m_Body);
        dJointSetFixed(m_AnchorJoint);
    }

    _ShowRagdoll(m_pRagdoll, true);
    m_pRider->SetVisible(false);
    SetLinearVelocity(velocity.x, velocity.y, velocity.z);
    SetAngularVelocity(spin.x, spin.y, spin.z);
    const Quaternion riderRotation = m_pRider->GetRotation();
    // The doll's model on the rider's, limb on limb: its body goes its own centre offset above the rider's
    // origin. (Its position as made is its model's, hung that offset below a body at the world's origin.)
    m_pRagdoll->SetPositionRotation(m_pRider->GetPosition() + Turn(m_pRagdoll->GetCOGOffset(), riderRotation),
                                    riderRotation);
    // Made hidden, the rag doll's bodies sleep; thrown, the rider flies on as the bike went.
    _WakeRagdoll();
    m_pRagdoll->SetLinearVelocity(velocity.x, velocity.y, velocity.z);

    if (m_pWorld)
        m_pWorld->SetSelectedEntity(nullptr);
    m_Ragdolled = true;
    m_WheelSpeedTarget = 0.0f;
    m_Lean = 0.0f;
    return true;
}

void MotorCycle::_WakeRagdoll()
{
    m_pRagdoll->SetBodyEnabled(true);
    for (kaJoint* joint : m_pRagdoll->GetJoints())
        if (kaEntityPhysical* limb = joint->GetOtherEnd(m_pRagdoll))
            limb->SetBodyEnabled(true);
}

void MotorCycle::_ShowRagdoll(RagDude* ragdoll, bool shown)
{
    ragdoll->SetVisible(shown);
    for (kaJoint* joint : ragdoll->GetJoints())
        if (kaEntityPhysical* limb = joint->GetOtherEnd(ragdoll))
            limb->SetVisible(shown);
}

void MotorCycle::_DestroyAnchor()
{
    if (m_AnchorJoint)
        dJointDestroy(m_AnchorJoint);
    if (m_AnchorBody)
        dBodyDestroy(m_AnchorBody);
    m_AnchorJoint = nullptr;
    m_AnchorBody = nullptr;
}

void MotorCycle::SpawnRagdoll()
{
    SetCollidable(false);
    // Only a throw saved a view: a reset while riding keeps the one the player chose.
    tvCamera* camera = _FollowCamera();
    if (camera && m_Ragdolled)
        camera->SetView(m_SavedView);
    if ((m_Ragdolled || !m_pRagdoll) && m_pWorld)
    {
        if (m_pRagdoll)
        {
            _ShowRagdoll(m_pRagdoll, false);
            m_pRagdoll->SetCollidable(false);
            m_pWorld->DeleteEntity(m_pRagdoll, true);
            m_pRagdoll = nullptr;
        }
        // Without its model there is no rag doll, and so no throw; the rider is still put back.
        m_pRagdoll = _MakeRagdoll();
    }
    if (m_pRider)
        m_pRider->SetVisible(true);
    if (m_pWorld)
        m_pWorld->SetSelectedEntity(this);
    m_Ragdolled = false;
    _DestroyAnchor();
    m_Grace = kResetGrace;
    m_CollideGrace = kResetCollideGrace;
}

RagDude* MotorCycle::_MakeRagdoll()
{
    kaModel* model = LoadModel(m_RagdollModelFile);
    if (!model)
        return nullptr;
    auto* ragdoll = new RagDude;
    if (!m_pWorld->AddEntity(ragdoll, true, true) && !m_pWorld->IsLocked())
    {
        delete ragdoll;
        if (g_pModelManager)
            g_pModelManager->ReleaseModel(model);
        return nullptr;
    }
    ragdoll->SetModel(model);
    ragdoll->SetRagdollRecord(m_RagdollInitID);
    ragdoll->Initialize();
    _ShowRagdoll(ragdoll, false);
    return ragdoll;
}

void MotorCycle::UpdateControl(float dt)
{
    const bool riding = m_FeetState == kRiding;
    int32_t kind = 0;
    const int32_t right = _Action(kSteerRightAction, kind);
    if (right < 0)
    {
        const bool axis = kind == InputDevice::kKindAbsoluteAxis;
        const float x = -right / kFullScale;
        if (axis)
            m_Steer = (riding ? m_LeanLimit : m_SteerLimit) * x;
        else if (riding)
            m_Lean -= m_DrivingTorqueRate * dt;
        else
            m_Steer -= m_SteerRate * dt;
    }
    else
    {
        const int32_t left = _Action(kSteerLeftAction, kind);
        if (left > 0)
        {
            const bool axis = kind == InputDevice::kKindAbsoluteAxis;
            const float x = -left / kFullScale;
            if (axis)
                m_Steer = (riding ? m_DrivingTorqueRate : m_SteerLimit) * x;
            else if (riding)
                m_Lean += m_DrivingTorqueRate * dt;
            else
                m_Steer += m_SteerRate * dt;
        }
        else if (m_Steer >= -kSteerSnap && m_Steer <= kSteerSnap)
        {
            m_Steer = 0.0f;
            m_Lean = 0.0f;
        }
        else
        {
            m_Steer = m_Steer * dt * kSteerDecay;
            m_Lean = m_Lean * dt * kSteerDecay;
        }
    }

    m_PowerScale = 1.0f;
    m_DriveActive = true;
    const float fullSpeed = riding ? m_MaxSpeed : m_RollSpeed;
    const int32_t throttle = _Action(kThrottleAction, kind);
    const bool throttled = throttle < kThrottleDeadZone;
    if (throttled)
    {
        if (kind == InputDevice::kKindAbsoluteAxis)
            m_WheelSpeedTarget =
                (riding ? m_MaxSpeed : m_RollSpeed) * (-throttle / kFullScale) * kRollThrottle;
        else
            m_WheelSpeedTarget = riding ? m_MaxSpeed : m_RollSpeed * kRollThrottle;
    }

    // With its feet down the bike counts as stopped.
    _UpdateBrake(throttled, m_FeetState == kFeetDown, kReverseFactor * fullSpeed);
    m_Steer = std::clamp(m_Steer, -m_SteerLimit, m_SteerLimit);
    m_Lean = std::clamp(m_Lean, -m_LeanLimit, m_LeanLimit);
}

void MotorCycle::Update(float dt)
{
    kaEntityPhysical::Update(dt);
    m_Grace = std::max(0.0f, m_Grace - dt);
    if (m_CollideGrace > 0.0f)
    {
        m_CollideGrace = std::max(0.0f, m_CollideGrace - dt);
        if (m_CollideGrace <= 0.0f)
            SetCollidable(true);
    }
    if (!m_Ragdolled && m_SwitchRequest)
        TrySwitchToRagdoll();
    UpdatePowerUps(dt);
    if (!m_Body)
        return;

    if (!m_Ragdolled && m_CollideGrace <= 0.0f)
    {
        const dReal* w = dBodyGetAngularVel(m_Body);
        dReal torque[3];
        for (int axis = 0; axis < 3; ++axis)
            torque[axis] = std::fabs(w[axis]) > kDampingMin ? -w[axis] * kDampingGain * dt : 0.0;
        dBodyAddTorque(m_Body, torque[0], torque[1], torque[2]);
    }

    const float speed = Vec3Length(FromBody(dBodyGetLinearVel(m_Body)));
    _UpdateDrive(speed);
    _UpdateFeet(speed);
    _HoldUpOnFeet(speed, dt);
    m_FrameTime = dt;
    if (m_FeetState == kFeetUp && !m_Ragdolled && std::fabs(m_Steer) > kSteerDead)
    {
        // Against the steering side, about the bike's forward axis.
        const dReal torque = m_Steer > 0.0f ? -kSlowTurnTorque : kSlowTurnTorque;
        dBodyAddRelTorque(m_Body, 0.0, 0.0, torque);
    }
    _UpdateTurning(m_FeetState == kRiding);
}

void MotorCycle::_UpdateDrive(float speed)
{
    if (speed > m_RollSpeed)
    {
        // A roll speed of 20 leaves no range to grow over: the lean takes its full values at once.
        const float range = kLeanSpeed - m_RollSpeed;
        const float f = range != 0.0f ? (speed - m_RollSpeed) / range : 1.0f;
        m_LeanLimit = kDefaultLeanLimit + kLeanLimitGain * f;
        m_LeanTorque = kLeanTorqueBase + kLeanTorqueGain * f;
        m_Acceleration = kRidingAcceleration;
    }
    else
    {
        m_Acceleration = kSlowAcceleration;
    }
    _DrivePowerJoints(m_Ragdolled ? 0.0f : m_WheelSpeedTarget, m_Ragdolled ? kIdleForce : m_Acceleration);
    UpdateEngineSound(m_WheelSpinRate);
}

void MotorCycle::_UpdateFeet(float speed)
{
    int32_t feet = kFeetDown;
    if (speed > kStillSpeed && speed <= m_RollSpeed)
        feet = kFeetUp;
    else if (speed >= m_RollSpeed)
    {
        // Forward is -z: a velocity along +z rolls backwards.
        Vector3 velocity = FromBody(dBodyGetLinearVel(m_Body));
        Vector3 forward(0.0f, 0.0f, -1.0f);
        if (m_pModel)
        {
            const Matrix& world = m_pModel->GetWorldMatrix();
            forward = Vector3(-world(2, 0), -world(2, 1), -world(2, 2));
        }
        const bool backwards = platform::Vec3Dot(velocity, forward) < 0.0f;
        feet = backwards && m_FeetState != kRiding ? kFeetUp : kRiding;
    }
    if (feet != m_FeetState && m_pRider && m_pRider->GetModel())
    {
        if (feet == kFeetDown)
            m_pRider->GetModel()->CrossFadeAnimation("FeetDown", false, kFeetDownFade, 1.0f, kFeetChannel);
        else if (feet == kFeetUp)
            m_pRider->GetModel()->CrossFadeAnimation("FeetUp", false, kFeetUpFade, 1.0f, kFeetChannel);
    }
    m_FeetState = feet;
    if (m_FeetState != kFeetDown && std::fabs(m_Steer) > kSteerDead)
        m_FeetState = kFeetUp;
}

bool MotorCycle::_OnTheGround() const
{
    // The step's contact joints stand until the world's pass has updated its entities.
    for (const kaWheel* wheel : m_Wheels)
    {
        const dBodyID body = wheel->GetBody();
        const int joints = body ? dBodyGetNumJoints(body) : 0;
        for (int i = 0; i < joints; ++i)
            if (dJointGetType(dBodyGetJoint(body, i)) == dJointTypeContact)
                return true;
    }
    return false;
}

void MotorCycle::_HoldUpOnFeet(float speed, float dt)
{
    // A thrown rider holds nothing: the bike goes as the crash sends it.
    if (m_Ragdolled)
    {
        m_FeetHold = 0.0f;
        return;
    }
    const dReal* r = dBodyGetRotation(m_Body);
    // The rise of the bike's right side, and how upright it stands, against the world's up.
    const float rightRise = static_cast<float>(r[4]);
    const float upright = static_cast<float>(r[5]);
    const bool reached = upright > 0.0f && std::fabs(rightRise) < kFeetReach;
    const bool slow = m_FeetState != kRiding && speed <= m_RollSpeed;
    const float target = slow && reached && _OnTheGround() ? 1.0f : 0.0f;
    const float step = dt / kFeetDownFade;
    m_FeetHold = std::clamp(target, m_FeetHold - step, m_FeetHold + step);
    if (m_FeetHold <= 0.0f)
        return;

    dMass mass;
    dBodyGetMass(m_Body, &mass);
    const float kg = static_cast<float>(mass.mass);
    // The roll rate about the body's forward (z) axis.
    const dReal* w = dBodyGetAngularVel(m_Body);
    const float roll = static_cast<float>(w[0] * r[2] + w[1] * r[6] + w[2] * r[10]);
    const float most = kFeetMostTorque * kg;
    const float push = std::clamp(-kFeetStiffness * kg * rightRise, -most, most) - kFeetDamping * kg * roll;
    dBodyAddRelTorque(m_Body, 0.0, 0.0, m_FeetHold * push);
}

void MotorCycle::_UpdateTurning(bool riding)
{
    kaModel* rider = m_pRider ? m_pRider->GetModel() : nullptr;
    for (kaJoint* joint : m_SteeringJoints)
    {
        if (m_pFork)
            m_pFork->SetRotation(0.0f, -joint->GetAngle(), 0.0f);
        if (m_pWheel)
        {
            // A spin with no finite angle leaves the wheel as it was last drawn: the model's rotation is
            // never fed a value that is not a number.
            const float turned = m_WheelAngle + joint->GetAngleRate() * m_FrameTime;
            if (std::isfinite(turned))
                m_WheelAngle = kaAngles::Wrap(turned);
            m_pWheel->SetRotation(m_WheelAngle, 0.0f, 0.0f);
        }
        if (rider)
        {
            if (std::fabs(m_Steer) < kSteerDead)
            {
                rider->StopAnimation("TurnLeft", 0.0f, kTurnChannel);
                rider->StopAnimation("TurnRight", 0.0f, kTurnChannel);
                rider->PlayAnimation("TurnCenter", true, 0.0f, 1.0f, kTurnChannel);
            }
            else
            {
                const float w =
                    m_SteerLimit > 0.001f ? std::clamp(m_Steer / m_SteerLimit, -1.0f, 1.0f) : 0.0f;
                rider->StopAnimation(w < 0.0f ? "TurnRight" : "TurnLeft", 0.0f, kTurnChannel);
                rider->PlayAnimation(w < 0.0f ? "TurnLeft" : "TurnRight", true, 0.0f, std::fabs(w),
                                     kTurnChannel);
                rider->PlayAnimation("TurnCenter", true, 0.0f, 1.0f - std::fabs(w), kTurnChannel);
            }
        }
        // Off the riding law the motor brings the fork back to centre: left at its last riding command
        // it would keep turning the fork until it stood at its stop.
        const bool steered = riding && !m_Ragdolled;
        const float target = steered ? m_Steer * kForkScale : 0.0f;
        const float d = std::clamp(target - joint->GetAngle(), -kForkStep, kForkStep);
        joint->SetParam(dParamVel, kForkGain * d);
        joint->SetParam(dParamFMax, kForkForce);
        joint->SetParam(dParamLoStop, kForkStopMargin - m_SteerAngleMax);
        joint->SetParam(dParamHiStop, m_SteerAngleMax + kForkStopMargin);
        joint->SetParam(dParamFudgeFactor, kForkFudge);
        if (steered && m_Body && std::fabs(m_Lean) > kLeanDead)
        {
            dBodyAddRelTorque(m_Body, 0.0, 0.0, -m_LeanTorque * m_Lean);
            dBodyAddTorque(m_Body, 0.0, 0.0, -m_Lean);
        }
    }
}
