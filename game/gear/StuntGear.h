#pragma once

#include "engine/core/kaSoundHandle.h"
#include "engine/scene/kaEntityPhysical.h"

#include <cstdint>
#include <string>
#include <vector>

class tvVehicle;
class tvWheel;

// A physical prop of a course that acts on the player's vehicle while they touch: it damages the vehicle
// at the touching material's damage rate and plays its looped damage sound for as long as the contact
// lasts. The base of the explosive gear, the launch plates and the surface gear.
class StuntGear : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Steps a contact keeps the damage and the damage sound going.
    static constexpr int32_t kContactSteps = 2;
    static constexpr float kSoundMaxDistance = 100.0f;
    static constexpr float kSoundMinDistance = 4.0f;

    StuntGear();
    ~StuntGear() override;

    // The physical keys, then "damageSequence" ("intro", "loop", "outro": all three or no sound).
    void ReadXml(const TiXmlElement* element) override;
    // The physical entity's keys, then "damageSequence" as the entity's own block gave it.
    void WriteXml(TiXmlElement* element) const override;
    void Initialize() override;
    // Adds the step's damage once, runs the removal timer and stops the sound two steps after the last
    // contact.
    void Update(float dt) override;
    void SetModel(kaModel* model) override;
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;

    // The vehicle the player drives; null outside a course.
    static tvVehicle* PlayerVehicle();

    const kaSoundHandle& GetDamageSequence() const { return m_DamageSequence; }
    bool IsDamageSequencePlaying() const;
    int32_t GetDamageSteps() const { return m_DamageSteps; }
    int32_t GetSoundSteps() const { return m_SoundSteps; }
    float GetDamageRate() const { return m_DamageRate; }
    // While positive the gear counts it down and then leaves its world.
    void SetRemovalTimer(float seconds) { m_RemovalTimer = seconds; }
    float GetRemovalTimer() const { return m_RemovalTimer; }

protected:
    // The entity as one of the player vehicle's wheels; null for anything else, or with no vehicle.
    static tvWheel* PlayerWheel(kaEntityPhysical* entity);
    // Starts the damage sound unless a part of it plays, and keeps it going for the contact's steps.
    void _KeepDamageSequence();

    int32_t m_DamageSteps = 0;
    float m_DamageRate = 0.0f;
    int32_t m_SoundSteps = 0;
    kaSoundHandle m_DamageSequence;
    float m_RemovalTimer = 0.0f;
};
