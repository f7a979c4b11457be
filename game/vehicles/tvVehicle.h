#pragma once

#include "engine/scene/kaVehicle.h"

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <vector>

class RaceDisplay;
class kaParticleEmitter;
class tvWorld;

// The player's car: the engine's vehicle plus damage from hard impacts (a damage bar and smoke that grows
// with it), exhaust that runs with the engine, the near-death mark, and the timed pushes of boosts, jumps
// and launch plates.
class tvVehicle : public kaVehicle
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultBoostMax = 8.0f;
    static constexpr float kDefaultJumpMax = 20.0f;
    static constexpr float kDefaultBoostForce = 100.0f;
    static constexpr float kDefaultSecondBoostForce = 200.0f;
    static constexpr float kDefaultHitCap = 10.0f;
    static constexpr float kDefaultHitScale = 10.0f;
    static constexpr float kDefaultImpactThreshold = 3500.0f;
    // A hit window closes this long after it opened.
    static constexpr float kHitWindow = 1.0f;
    // Below this damage no smoke; between the near-death bounds the announcer warns.
    static constexpr float kSmokeDamage = 20.0f;
    static constexpr float kNearDeathDamage = 80.0f;
    static constexpr float kWreckDamage = 100.0f;
    // Seconds of world-sound silence before the warning may play again.
    static constexpr float kWarningSilence = 3.0f;
    static constexpr float kLaunchTime = 0.5f;
    // Exhaust shows only at or below this engine speed.
    static constexpr float kExhaustSpeed = 38.0f;
    static constexpr float kCameraDistance = 17.0f;
    // Impacts this far off the vehicle's up axis count fully.
    static constexpr float kFullImpactAngle = 0.7853982f;
    static constexpr float kControlDamage = 10.0f;
    // HUD icons of the timed effects.
    static constexpr int32_t kBoostIcon = 2;
    static constexpr int32_t kSecondBoostIcon = 3;
    static constexpr int32_t kJumpIcon = 5;
    static constexpr const char* kWarningSound = "BeCareful";
    static constexpr const char* kLaunchSound = "LaunchPlate";

    tvVehicle();
    ~tvVehicle() override;

    // The vehicle's keys, then the exhaust and damage emitters on the model's bones.
    void ReadXml(const TiXmlElement* element) override;
    void Initialize() override;
    // The vehicle's step, then the hit window and the timed effects.
    void Update(float dt) override;
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
    // Damage from impacts by their angle to the vehicle's up axis.
    void ProcessCollisionForces() override;
    // The exhaust runs while the engine does and the speed is low.
    void UpdateEngineSound(float speed) override;

    virtual void AddTurbo(float time, float force, float maxTime);
    virtual void AddGravity(float time, float force, float maxTime);
    virtual void ApplyControlDamage();
    virtual platform::Quaternion GetViewOrientation() const;
    virtual platform::Vector3 GetViewPosition() const;
    virtual float GetCameraDistance() const { return kCameraDistance; }

    void SetDamage(float damage);
    int32_t GetDamage(float& damage) const
    {
        damage = m_Damage;
        return 0;
    }
    float GetDamage() const { return m_Damage; }
    // Stunt gear's damage: nothing in practice.
    void AddImpactDamage(float amount);
    void AddJump(float time, float strength, float maxTime);
    void AddLaunch(float strength);
    bool IsWheel(const kaEntity* entity) const;

    const std::vector<kaParticleEmitter*>& GetDamageEmitters() const { return m_DamageEmitters; }
    const std::vector<kaParticleEmitter*>& GetExhaustEmitters() const { return m_ExhaustEmitters; }
    float GetBoostTime() const { return m_BoostTime; }
    float GetSecondBoostTime() const { return m_SecondBoostTime; }
    float GetJumpTime() const { return m_JumpTime; }
    float GetBoostMax() const { return m_BoostMax; }
    float GetSecondBoostMax() const { return m_SecondBoostMax; }
    float GetJumpMax() const { return m_JumpMax; }
    float GetBoostForce() const { return m_BoostForce; }
    float GetSecondBoostForce() const { return m_SecondBoostForce; }
    float GetJumpStrength() const { return m_JumpStrength; }
    bool IsNearDeath() const { return m_NearDeath; }
    bool IsHitOpen() const { return m_HitOpen; }
    float GetHitDamage() const { return m_HitDamage; }
    float GetHitTime() const { return m_HitTime; }
    float GetLaunchTime() const { return m_LaunchTime; }
    float GetLaunchForce() const { return m_LaunchForce; }
    float GetBaseAcceleration() const { return m_BaseAcceleration; }
    float GetImpactThreshold() const { return m_ImpactThreshold; }
    // The boost push of the last update (0 when none ran or nothing could be pushed).
    float GetLastBoostForce() const { return m_LastBoostForce; }
    // The hit damage grows by this (a power grate's jolt).
    void AddHitDamage(float amount) { m_HitDamage += amount; }

protected:
    void UpdatePowerUps(float dt);
    void _ReadEmitters(const TiXmlElement* element, const char* name, std::vector<kaParticleEmitter*>& list);
    // The course world's game mode, and its HUD; a plain world counts as a run with no HUD.
    int32_t _GameMode() const;
    RaceDisplay* _Hud() const;
    float _BodyMass() const;

    std::vector<kaParticleEmitter*> m_DamageEmitters;
    std::vector<kaParticleEmitter*> m_ExhaustEmitters;
    float m_BoostTime = 0.0f;
    float m_SecondBoostTime = 0.0f;
    float m_JumpTime = 0.0f;
    float m_BoostMax = kDefaultBoostMax;
    float m_SecondBoostMax = kDefaultBoostMax;
    float m_JumpMax = kDefaultJumpMax;
    float m_BoostForce = kDefaultBoostForce;
    float m_SecondBoostForce = kDefaultSecondBoostForce;
    bool m_NearDeath = false;
    bool m_EngineFlag = false;
    bool m_Busy = false;
    bool m_HitOpen = false;
    float m_HitDamage = 0.0f;
    float m_HitTime = 0.0f;
    float m_HitCap = kDefaultHitCap;
    float m_HitScale = kDefaultHitScale;
    float m_Damage = 0.0f;
    float m_LaunchTime = 0.0f;
    float m_LaunchForce = 0.0f;
    float m_JumpStrength = 0.0f;
    float m_BaseAcceleration = 0.0f;
    float m_ImpactThreshold = kDefaultImpactThreshold;
    float m_LastBoostForce = 0.0f;
};
