#include "game/vehicles/tvVehicle.h"

#include "engine/core/InputManager.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaParticleEmitter.h"
#include "engine/scene/kaParticleEmitterMgr.h"
#include "engine/scene/kaWheel.h"
#include "game/app/Tarvolin.h"
#include "game/world/RaceDisplay.h"
#include "game/world/tvWorld.h"
#include "game/world/tvWorldSounds.h"

#include <tinyxml.h>

#include <algorithm>
#include <cmath>

using platform::Quaternion;
using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(tvVehicle, "tvVehicle")

namespace
{

const EntityFactory::Registration s_Registration(tvVehicle::StaticClassInfo(),
                                                 &EntityFactory::Create<tvVehicle>);

constexpr int kAbsoluteClock = 4;

tvWorldSounds* WorldSounds()
{
    auto* game = Tarvolin::Instance();
    return game ? &game->GetWorldSounds() : nullptr;
}

// Counts a timer down by dt, never below 0.
void RunDown(float& time, float dt)
{
    time = std::max(0.0f, time - dt);
}

} // namespace

tvVehicle::tvVehicle() = default;

tvVehicle::~tvVehicle() = default;

int32_t tvVehicle::_GameMode() const
{
    const auto* world = dynamic_cast<const tvWorld*>(m_pWorld);
    return world ? world->GetGameMode() : tvWorld::kDefaultGameMode;
}

RaceDisplay* tvVehicle::_Hud() const
{
    const auto* world = dynamic_cast<const tvWorld*>(m_pWorld);
    return world ? world->GetHudWindow() : nullptr;
}

float tvVehicle::_BodyMass() const
{
    return static_cast<float>(m_Mass.mass);
}

void tvVehicle::ReadXml(const TiXmlElement* element)
{
    kaVehicle::ReadXml(element);
    if (!element || !m_pModel)
        return;
    _ReadEmitters(element, "exhaustEmitter", m_ExhaustEmitters);
    _ReadEmitters(element, "damageEmitter", m_DamageEmitters);
}

void tvVehicle::_ReadEmitters(const TiXmlElement* element, const char* name,
                              std::vector<kaParticleEmitter*>& list)
{
    for (const TiXmlElement* entry = element->FirstChildElement(name); entry;
         entry = entry->NextSiblingElement(name))
    {
        const std::string initId = GetElementText(entry->FirstChildElement("emitterInitID"));
        for (const TiXmlElement* bone = entry->FirstChildElement("bone"); bone;
             bone = bone->NextSiblingElement("bone"))
        {
            const int32_t index = GetBoneIndex(GetElementText(bone));
            if (index < 0)
                continue;
            if (kaParticleEmitter* emitter = MakeEmitterManager()->AddEmitter(initId, index))
                list.push_back(emitter);
        }
    }
}

void tvVehicle::Initialize()
{
    kaVehicle::Initialize();
    m_BaseAcceleration = m_Acceleration;
    m_EngineFlag = false;
    m_Busy = false;
    m_Damage = 0.0f;
    SetDamage(0.0f);
}

void tvVehicle::SetDamage(float damage)
{
    if (damage != m_Damage)
        if (RaceDisplay* hud = _Hud())
            hud->SetDamage(damage);
    m_Damage = damage;
    if (damage < kSmokeDamage)
    {
        for (kaParticleEmitter* emitter : m_DamageEmitters)
            emitter->SetEmitRate(0.0f);
    }
    else if (!m_DamageEmitters.empty())
    {
        const int index = RandomInt(static_cast<int>(m_DamageEmitters.size()));
        kaParticleEmitter* emitter = m_DamageEmitters[static_cast<size_t>(index)];
        emitter->SetEmitRate(emitter->GetBaseEmitRate() * damage * 0.01f);
        emitter->SetStartVelocity(emitter->GetBaseStartVelocity() * damage * 0.01f);
    }
    if (m_Damage > kNearDeathDamage && m_Damage < kWreckDamage)
    {
        if (tvWorldSounds* sounds = WorldSounds())
            if (GetTime(kAbsoluteClock) > static_cast<double>(sounds->GetLastPlayTime()) + kWarningSilence)
                sounds->PlaySound(kWarningSound);
        m_NearDeath = true;
    }
}

void tvVehicle::AddImpactDamage(float amount)
{
    if (_GameMode() == kPracticeMode)
        return;
    m_HitDamage += amount;
    SetDamage(m_Damage + amount);
}

void tvVehicle::AddTurbo(float time, float force, float maxTime)
{
    m_BoostTime = std::min(m_BoostTime + time, m_BoostMax);
    m_BoostForce = force;
    m_BoostMax = maxTime;
}

void tvVehicle::AddGravity(float time, float force, float maxTime)
{
    m_SecondBoostTime = std::min(m_SecondBoostTime + time, m_SecondBoostMax);
    m_SecondBoostForce = force;
    m_SecondBoostMax = maxTime;
}

void tvVehicle::AddJump(float time, float strength, float maxTime)
{
    m_JumpTime = std::min(m_JumpTime + time, m_JumpMax);
    m_JumpMax = maxTime;
    m_JumpStrength = strength;
}

void tvVehicle::AddLaunch(float strength)
{
    if (tvWorldSounds* sounds = WorldSounds())
        sounds->PlaySound(kLaunchSound);
    m_LaunchTime = kLaunchTime;
    m_LaunchForce = std::max(m_LaunchForce, _BodyMass() * strength);
}

bool tvVehicle::IsWheel(const kaEntity* entity) const
{
    return entity && std::find(m_Wheels.begin(), m_Wheels.end(), entity) != m_Wheels.end();
}

void tvVehicle::ApplyControlDamage()
{
    if (m_Busy)
        return;
    m_Busy = true;
    int32_t kind = 0;
    const InputManager* input = InputManager::GetInstance();
    if (input && input->GetActionValue(kThrottleAction, &kind, kPlayer) > 0)
    {
        SetDamage(m_Damage + kControlDamage);
        StartEngineSound(true);
    }
    m_Busy = false;
}

Quaternion tvVehicle::GetViewOrientation() const
{
    return m_pModel ? m_pModel->GetRotation() : Quaternion(0.0f, 0.0f, 0.0f, 0.0f);
}

Vector3 tvVehicle::GetViewPosition() const
{
    return m_pModel ? m_pModel->GetPosition() : Vector3(0.0f, 0.0f, 0.0f);
}

void tvVehicle::OnCollide(kaEntityPhysical*, kaMaterial*, kaMaterial*) {}

void tvVehicle::ProcessCollisionForces()
{
    kaEntityPhysical::ProcessCollisionForces();
    const float length = m_CollisionForceLength;
    if (!(length > 0.0f) || !std::isfinite(length))
        return;
    const Vector3 n = m_CollisionForce * (1.0f / length);
    Vector3 up(0.0f, 1.0f, 0.0f);
    if (m_pModel)
    {
        const platform::Matrix& frame = GetWorldMatrixPtr();
        up = Vector3(frame(1, 0), frame(1, 1), frame(1, 2));
    }
    const float c = std::clamp(n.x * up.x + n.y * up.y + n.z * up.z, 0.0f, 1.0f);
    const float share = std::min(std::acos(c) / kFullImpactAngle, 1.0f);
    if (!(length * share >= m_ImpactThreshold))
        return;
    // A maximum of 0 or less from the file would make 0/0: such an impact counts at full strength.
    float x = m_HitScale;
    if (m_CollisionMax > 0.0f)
        x = std::min(length, m_CollisionMax) / m_CollisionMax * m_HitScale;
    if (!(m_HitDamage < m_HitCap))
        return;
    x = std::min(x, m_HitCap - m_HitDamage);
    m_HitOpen = true;
    if (_GameMode() != kPracticeMode)
    {
        m_HitDamage += x;
        SetDamage(m_Damage + x);
    }
}

void tvVehicle::UpdateEngineSound(float speed)
{
    for (kaParticleEmitter* emitter : m_ExhaustEmitters)
        emitter->SetEmitRate(m_EngineStarted && speed <= kExhaustSpeed ? emitter->GetBaseEmitRate() : 0.0f);
    if (m_EngineStarted)
        kaVehicle::UpdateEngineSound(speed);
}

void tvVehicle::Update(float dt)
{
    kaVehicle::Update(dt);
    UpdatePowerUps(dt);
}

void tvVehicle::UpdatePowerUps(float dt)
{
    if (m_HitOpen)
    {
        m_HitTime += dt;
        if (m_HitTime > kHitWindow)
        {
            m_HitOpen = false;
            m_HitDamage = 0.0f;
            m_HitTime = 0.0f;
        }
    }
    m_Acceleration = m_BaseAcceleration;
    RaceDisplay* hud = _Hud();
    // A maxSpeed of 0 or less would make the push NaN and poison the bodies: nothing is pushed then.
    const bool canPush = m_MaxSpeed > 0.0f;
    float force = 0.0f;
    if (m_BoostTime > 0.0f)
    {
        if (hud)
            hud->ShowPowerUpIcon(kBoostIcon);
        if (canPush)
            force = m_WheelSpeedTarget / m_MaxSpeed * m_BoostForce;
        RunDown(m_BoostTime, dt);
    }
    else if (hud)
    {
        hud->HidePowerUpIcon(kBoostIcon);
    }
    if (m_SecondBoostTime > 0.0f)
    {
        if (hud)
            hud->ShowPowerUpIcon(kSecondBoostIcon);
        if (canPush)
            force = m_WheelSpeedTarget / m_MaxSpeed * m_SecondBoostForce;
        RunDown(m_SecondBoostTime, dt);
    }
    else if (hud)
    {
        hud->HidePowerUpIcon(kSecondBoostIcon);
    }
    m_LastBoostForce = 0.0f;
    if (force != 0.0f && m_Body)
    {
        dBodyAddRelForce(m_Body, 0.0, 0.0, -force);
        m_LastBoostForce = force;
    }
    if (m_JumpTime > 0.0f)
    {
        if (hud)
            hud->ShowPowerUpIcon(kJumpIcon);
        if (m_Body)
            dBodyAddForce(m_Body, 0.0, m_JumpStrength * _BodyMass(), 0.0);
        RunDown(m_JumpTime, dt);
    }
    else if (hud)
    {
        hud->HidePowerUpIcon(kJumpIcon);
    }
    if (m_LaunchTime > 0.0f)
    {
        if (m_Body)
            dBodyAddForce(m_Body, 0.0, m_LaunchForce, 0.0);
        RunDown(m_LaunchTime, dt);
    }
    else
    {
        m_LaunchForce = 0.0f;
    }
}
