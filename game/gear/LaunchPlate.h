#pragma once

#include "game/gear/StuntGear.h"

#include <string>

// A plate that throws the player's vehicle upwards when the vehicle's launch primitive touches it, then
// rests for a few seconds.
class LaunchPlate : public StuntGear
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultLaunchForce = 1000.0f;
    static constexpr float kCooldown = 3.0f;
    // The material name of the vehicle's launch primitive.
    static constexpr const char* kLaunchMaterial = "Launch";

    LaunchPlate();
    ~LaunchPlate() override;

    // "launchPrim" and "launchForce", then the gear's keys.
    void ReadXml(const TiXmlElement* element) override;
    // The gear's keys, then "launchPrim" and "launchForce" as the entity's own block gave them.
    void WriteXml(TiXmlElement* element) const override;
    void Update(float dt) override;
    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;

    const std::string& GetLaunchPrim() const { return m_LaunchPrim; }
    float GetLaunchForce() const { return m_LaunchForce; }
    float GetCooldown() const { return m_Cooldown; }

protected:
    std::string m_LaunchPrim;
    float m_LaunchForce = kDefaultLaunchForce;
    float m_Cooldown = 0.0f;
};
