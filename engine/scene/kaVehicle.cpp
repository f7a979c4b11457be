#include "engine/scene/kaVehicle.h"

#include "engine/core/InputManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/core/kaXmlValues.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaJoint.h"
#include "engine/scene/kaWheel.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

KA_ENTITY_CLASS_RECORD_DEFINITION(kaVehicle, "kaVehicle")

namespace
{

const EntityFactory::Registration s_Registration(kaVehicle::StaticClassInfo(),
                                                 &EntityFactory::Create<kaVehicle>);

using kaXmlValues::ReadFloatOrThrow;
using kaXmlValues::ReadTextIfPresent;

template <typename T> void Erase(std::vector<T*>& list, const T* item)
{
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

} // namespace

kaVehicle::kaVehicle() = default;

int32_t kaVehicle::_Action(int action, int32_t& kind)
{
    kind = 0;
    const InputManager* input = InputManager::GetInstance();
    return input ? input->GetActionValue(action, &kind, kPlayer) : 0;
}

kaVehicle::~kaVehicle()
{
    // The wheels may outlive the vehicle whose bones placed their emitters.
    for (kaWheel* wheel : m_Wheels)
        wheel->GetSurfaceEmitters()->SetBone(nullptr, -1);
    if (g_pWizard)
        g_pWizard->StopLoopedSound(m_EngineSound);
}

void kaVehicle::_ReadJointList(const TiXmlElement* element, const char* name, std::vector<kaJoint*>& list)
{
    for (const TiXmlElement* entry = element->FirstChildElement(name); entry;
         entry = entry->NextSiblingElement(name))
    {
        // Only the first joint of an element counts.
        const TiXmlElement* first = entry->FirstChildElement("joint");
        if (!first)
            continue;
        const std::string jointName = GetElementText(first);
        const auto joint = std::find_if(m_Joints.begin(), m_Joints.end(),
                                        [&jointName](const kaJoint* j) { return j->GetName() == jointName; });
        // A record applied twice names its joints twice.
        if (joint != m_Joints.end() && std::find(list.begin(), list.end(), *joint) == list.end())
            list.push_back(*joint);
    }
}

void kaVehicle::_ReadEmitterBone(const TiXmlElement* element)
{
    const std::string wheelName = GetChildElementText("wheelName", element);
    const int32_t bone = GetBoneIndex(GetChildElementText("boneName", element));
    for (kaJoint* joint : m_Joints)
    {
        if (joint->GetName() != wheelName)
            continue;
        auto* wheel = dynamic_cast<kaWheel*>(joint->GetChild());
        if (wheel && bone >= 0)
            wheel->GetSurfaceEmitters()->SetBone(this, bone);
        return;
    }
}

void kaVehicle::ReadXml(const TiXmlElement* element)
{
    kaEntityPhysical::ReadXml(element);
    if (!element)
        return;
    _ReadJointList(element, "steering", m_SteeringJoints);
    _ReadJointList(element, "power", m_PowerJoints);
    ReadFloatOrThrow(element, "steerAngleMax", m_SteerAngleMax);
    ReadFloatOrThrow(element, "steerAngleMin", m_SteerAngleMin);
    ReadFloatOrThrow(element, "steerRate", m_SteerRate);
    ReadFloatOrThrow(element, "steerRateMaxSpeed", m_SteerRateMaxSpeed);
    ReadFloatOrThrow(element, "damageThreshold", m_DamageThreshold);
    ReadTextIfPresent(element, "startSound", m_StartSoundName);
    ReadTextIfPresent(element, "stopSound", m_StopSoundName);
    ReadTextIfPresent(element, "loopSound", m_LoopSoundName);
    ReadFloatOrThrow(element, "maxSpeed", m_MaxSpeed);
    ReadFloatOrThrow(element, "acceleration", m_Acceleration);
    for (const TiXmlElement* bone = element->FirstChildElement("wheelEmitterBone"); bone;
         bone = bone->NextSiblingElement("wheelEmitterBone"))
        _ReadEmitterBone(bone);
    _CollectWheels();
}

void kaVehicle::Initialize()
{
    kaEntityPhysical::Initialize();
    // The player's vehicle must answer its controls at once, however still it stood. ODE enables a
    // body whose automatic disabling is turned off, so the rest comes after.
    if (m_Body)
        dBodySetAutoDisableFlag(m_Body, 0);
    SetBodyEnabled(false);
    if (g_pWizard)
    {
        // Initialised again, the former sound would be left loaded.
        g_pWizard->UnloadLoopedSound(m_EngineSound);
        m_EngineSound = g_pWizard->LoadLoopedSound(m_StartSoundName, m_LoopSoundName, m_StopSoundName, 1,
                                                   false, 0.0f, 0.0f, 0.0f, Wizard::kDefaultMaxDistance,
                                                   Wizard::kDefaultMinDistance, nullptr, nullptr);
    }
    _CollectWheels();
}

void kaVehicle::SetModel(kaModel* model)
{
    kaEntityPhysical::SetModel(model);
}

void kaVehicle::StartEngineSound(bool fromStart)
{
    m_EngineStarted = true;
    if (!g_pWizard)
        return;
    if (fromStart)
        g_pWizard->StartLoopedSound(m_EngineSound);
    else
        g_pWizard->ResumeLoopedSound(m_EngineSound);
}

float kaVehicle::_SpeedSquared() const
{
    if (!m_Body)
        return 0.0f;
    const dReal* v = dBodyGetLinearVel(m_Body);
    return static_cast<float>(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

float kaVehicle::_SteerFactor(float speedSquared) const
{
    // A maxSpeed of 0 would divide by zero and spread NaN into the joints: every speed is beyond it.
    if (!(m_MaxSpeed > 0.0f))
        return kSteerFactorMin;
    const float share = std::clamp(1.0f - speedSquared / (m_MaxSpeed * m_MaxSpeed), 0.0f, 1.0f);
    return share * (1.0f - kSteerFactorMin) + kSteerFactorMin;
}

void kaVehicle::_UpdateSteering(float dt, float factor)
{
    int32_t kind = 0;
    const int32_t right = _Action(kSteerRightAction, kind);
    if (right < 0)
    {
        if (kind == InputDevice::kKindAbsoluteAxis)
            m_Steer = right * (-1.0f / kFullScale) * m_SteerLimit * kAnalogueSteer;
        else
            m_Steer -= m_SteerRate * factor * dt;
        return;
    }
    const int32_t left = _Action(kSteerLeftAction, kind);
    if (left > 0)
    {
        if (kind == InputDevice::kKindAbsoluteAxis)
            m_Steer = left * (-1.0f / kFullScale) * m_SteerLimit * kAnalogueSteer;
        else
            m_Steer += m_SteerRate * factor * dt;
        return;
    }
    if (m_Steer > kSteerSnap || m_Steer < -kSteerSnap)
        m_Steer = m_Steer * dt * kSteerDecay;
    else
        m_Steer = 0.0f;
}

void kaVehicle::UpdateControl(float dt)
{
    const float speedSquared = _SpeedSquared();
    _UpdateSteering(dt, _SteerFactor(speedSquared));

    m_PowerScale = 1.0f;
    m_DriveActive = true;
    int32_t kind = 0;
    const int32_t throttle = _Action(kThrottleAction, kind);
    const bool throttled = throttle < kThrottleDeadZone;
    if (throttled)
        m_WheelSpeedTarget = kind == InputDevice::kKindAbsoluteAxis
                                 ? throttle * (-1.0f / kFullScale) * m_MaxSpeed
                                 : m_MaxSpeed;

    _UpdateBrake(throttled, speedSquared < kSlowSquared, m_MaxSpeed);
    m_Steer = std::clamp(m_Steer, -m_SteerLimit, m_SteerLimit);
}

void kaVehicle::_UpdateBrake(bool throttled, bool slow, float reverseSpeed)
{
    int32_t kind = 0;
    const int32_t brake = _Action(kBrakeAction, kind);
    if (brake <= kBrakeDeadZone)
    {
        m_BrakeState = kIdle;
        m_BrakeHeld = false;
    }
    else
    {
        const bool analogue = kind == InputDevice::kKindAbsoluteAxis;
        switch (m_BrakeState)
        {
        case kIdle:
            // The first frame only decides: the throttle's target stands for it.
            m_BrakeState = slow ? kReversing : kBraking;
            break;
        case kBraking:
            if (slow)
                m_BrakeState = kReversing;
            if (analogue)
                m_PowerScale = brake / kFullScale;
            m_WheelSpeedTarget = 0.0f;
            break;
        default:
            m_WheelSpeedTarget = -reverseSpeed * (analogue ? brake / kFullScale : 1.0f);
            break;
        }
        m_LastBrakeTarget = m_WheelSpeedTarget;
        m_BrakeHeld = true;
    }
    if (!throttled && !m_BrakeHeld)
    {
        m_DriveActive = false;
        m_WheelSpeedTarget = 0.0f;
    }
}

void kaVehicle::Update(float dt)
{
    kaEntityPhysical::Update(dt);
    m_LastStepTime = dt;
    _DriveJoints();
}

void kaVehicle::_DriveJoints()
{
    // Idle wheels are held back gently.
    _DrivePowerJoints(m_WheelSpeedTarget, m_DriveActive ? m_PowerScale * m_Acceleration : kIdleForce);
    // Without power joints there is no spin to hear.
    if (!m_PowerJoints.empty())
        UpdateEngineSound(m_WheelSpinRate);
    for (kaJoint* joint : m_SteeringJoints)
    {
        const float step = std::clamp(m_Steer - joint->GetAngle(), -kSteerStep, kSteerStep);
        joint->SetParam(dParamVel, step * kSteerGain);
        joint->SetParam(dParamFMax, kSteerForce);
        joint->SetParam(dParamLoStop, -(m_SteerLimit + kSteerStopMargin));
        joint->SetParam(dParamHiStop, m_SteerLimit + kSteerStopMargin);
        joint->SetParam(dParamFudgeFactor, kSteerFudge);
    }
}

void kaVehicle::_DrivePowerJoints(float speed, float force)
{
    float sum = 0.0f;
    for (kaJoint* joint : m_PowerJoints)
    {
        joint->UpdateMotorAxis();
        joint->SetParam(dParamVel2, speed);
        joint->SetParam(dParamFMax2, force);
        joint->SetParam(dParamCFM, kDriveCFM);
        sum += joint->GetAngleRate();
    }
    m_WheelSpinRate = m_PowerJoints.empty() ? 0.0f : sum / static_cast<float>(m_PowerJoints.size());
}

void kaVehicle::UpdateEngineSound(float spinRate)
{
    const float frequency = (std::fabs(spinRate) * kPitchPerSpin + 1.0f) * kBaseFrequency;
    m_TopFrequency = std::max(m_TopFrequency, frequency);
    if (g_pWizard)
        g_pWizard->SetLoopedSoundFrequency(m_EngineSound, static_cast<uint32_t>(frequency));
}

void kaVehicle::SpawnRagdoll() {}

void kaVehicle::_CollectWheels(const kaJoint* leaving)
{
    m_Wheels.clear();
    for (kaJoint* joint : m_Joints)
    {
        if (joint == leaving || joint->GetParent() != this)
            continue;
        auto* wheel = dynamic_cast<kaWheel*>(joint->GetChild());
        if (wheel && std::find(m_Wheels.begin(), m_Wheels.end(), wheel) == m_Wheels.end())
            m_Wheels.push_back(wheel);
    }
}

void kaVehicle::_DropFromLists(const kaJoint* joint)
{
    Erase(m_SteeringJoints, joint);
    Erase(m_PowerJoints, joint);
    _CollectWheels(joint);
}

void kaVehicle::RemoveJoint(kaJoint* joint)
{
    kaEntityPhysical::RemoveJoint(joint);
    _DropFromLists(joint);
}

void kaVehicle::ForgetJoint(kaJoint* joint)
{
    kaEntityPhysical::ForgetJoint(joint);
    _DropFromLists(joint);
}
