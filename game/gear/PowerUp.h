#pragma once

#include "engine/core/kaSoundHandle.h"
#include "engine/core/kaStopwatch.h"
#include "engine/scene/kaEntityPhysical.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>

// A spinning pick-up on a course. When the player's vehicle touches it, it plays its sounds, gives its
// effect (points, turbo, mega turbo, repair or jump), rises out of the way and hides; with a respawn time
// it comes back after that many seconds. The vehicle drives through it.
class PowerUp : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    enum Kind : int32_t
    {
        kPoints = 1,
        kTurbo = 2,
        kMegaTurbo = 3,
        kRepair = 4,
        kJump = 5
    };

    static constexpr float kDefaultTurboTime = 0.6f;
    static constexpr float kDefaultTurboForce = 180.0f;
    static constexpr float kDefaultTurboMaxTime = 60.0f;
    static constexpr float kDefaultGravityTime = 10.0f;
    static constexpr float kDefaultGravityMaxTime = 20.0f;
    static constexpr float kDefaultGravity = 5.0f;
    // Radians per second about Y.
    static constexpr float kSpinRate = -1.5f;
    // Units per second while rising, and the world height at which the rise ends.
    static constexpr float kRiseRate = 2.0f;
    static constexpr float kRiseTop = 5.0f;
    // A points pick-up this high above the ground is announced as a jump.
    static constexpr float kJumpHeight = 4.0f;
    static constexpr float kGroundPickDepth = 1000.0f;
    // Seconds of world-sound silence before "Point" or "Turbo" is announced again.
    static constexpr float kAnnounceSilence = 10.0f;
    static constexpr float kSoundMaxDistance = 160.0f;
    static constexpr float kSoundMinDistance = 10.0f;
    static constexpr const char* kRepairSound = "Resources/Sounds/Game/repair.wav";
    static constexpr const char* kJumpSound = "Resources/Sounds/Game/jump.wav";
    static constexpr const char* kPointSound = "Resources/Sounds/Game/PointCounter_Final_Won.wav";
    static constexpr const char* kJumpCue = "Jump";
    static constexpr const char* kPointCue = "Point";
    static constexpr const char* kTurboCue = "Turbo";
    static constexpr const char* kRespawnLabel = "Respawn After:";
    static constexpr const char* kTurboForceLabel = "Turbo Force:";
    static constexpr const char* kTurboTimeLabel = "Turbo Time:";

    PowerUp();
    // Unloads its two sounds.
    ~PowerUp() override;

    // The physical keys, then "powerupType", "value", "hideTime", "turboTime", "turboForce",
    // "turboMaxTime", "gravity", "gravityTime", "gravityMaxTime".
    void ReadXml(const TiXmlElement* element) override;
    // The physical keys, then of "powerupType", "hideTime", "turboForce", "turboTime" and the rest of what
    // ReadXml takes those the entity's own block gave, as it gave them, or as the editor's rows changed them.
    void WriteXml(TiXmlElement* element) const override;
    // Loads the repair and jump sounds.
    void Initialize() override;
    void Update(float dt) override;
    void BuildPropertyList() override;
    bool SetPropertyList(const kaPropertyList& list) override;
    // The physical body, then the pass-through pick-up sphere that alone gives it its mass.
    void SetModel(kaModel* model) override;
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;

    // The body's height over what lies below it; -1 when nothing does.
    float HeightAboveGround();
    // Hidden, with the respawn count started.
    void Hide();

    int32_t GetPowerupType() const { return m_PowerupType; }
    int32_t GetValue() const { return m_Value; }
    int32_t GetHideTime() const { return m_HideTime; }
    float GetTurboTime() const { return m_TurboTime; }
    float GetTurboForce() const { return m_TurboForce; }
    float GetTurboMaxTime() const { return m_TurboMaxTime; }
    float GetGravity() const { return m_Gravity; }
    float GetGravityTime() const { return m_GravityTime; }
    float GetGravityMaxTime() const { return m_GravityMaxTime; }
    bool IsRising() const { return m_Rising; }
    float GetSpinTime() const { return m_SpinTime; }
    const kaSoundHandle& GetRepairSound() const { return m_RepairSound; }
    const kaSoundHandle& GetJumpSound() const { return m_JumpSound; }

protected:
    void _PlayPickUpSounds();
    void _GiveEffect();
    void _UnloadSounds();
    // Points stay hidden while the course's venue limits their return and its token time is out.
    bool _MayReturn() const;
    // Where the entity is placed from: its body's origin, or without a body its model's.
    platform::Vector3 _Place() const;

    int32_t m_PowerupType = 0;
    kaSoundHandle m_RepairSound;
    kaSoundHandle m_JumpSound;
    int32_t m_Value = 0;
    int32_t m_HideTime = 0;
    kaStopwatch m_HideStopwatch;
    bool m_Rising = false;
    float m_TurboTime = kDefaultTurboTime;
    float m_TurboForce = kDefaultTurboForce;
    float m_TurboMaxTime = kDefaultTurboMaxTime;
    float m_GravityTime = kDefaultGravityTime;
    float m_GravityMaxTime = kDefaultGravityMaxTime;
    float m_Gravity = kDefaultGravity;
    float m_SpinTime = 0.0f;
    // Where the body was at the pick-up; the power-up returns there when it hides.
    platform::Vector3 m_PickUpPosition;
};
