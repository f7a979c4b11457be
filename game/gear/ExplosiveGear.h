#pragma once

#include "game/gear/StuntGear.h"

#include "platform/gfx/math/Vector3.h"

#include <memory>
#include <string>
#include <vector>

class kaBillboard;
class kaMesh;

// Gear that bursts once a hit is hard enough: its mesh flies apart in triangles, an explosion billboard
// plays, the player's vehicle and loose bodies nearby are pushed and the vehicle is damaged; the debris
// goes after a few seconds and the gear with it.
class ExplosiveGear : public StuntGear
{
    KA_ENTITY_CLASS_RECORD()

public:
    static constexpr float kDefaultThreshold = 2300.0f;
    static constexpr float kDefaultScale = 1.0f;
    static constexpr float kDefaultRadius = 1.0f;
    static constexpr float kDebrisTime = 5.0f;
    static constexpr float kMinDebrisSpeed = 1.0f;
    static constexpr float kDebrisSpeedRange = 1.0f;
    // Debris falls by dt x dt x this each step (its velocities are per step).
    static constexpr float kDebrisGravity = 10.9f;
    // Share of the blast force that also lifts the vehicle at the blast centre.
    static constexpr float kLiftShare = 0.65f;
    static constexpr const char* kExplosionRenderState = "Explosion";

    ExplosiveGear();
    ~ExplosiveGear() override;

    // The gear's keys, then "explosionScale", "explosionRadius", "explosionDamage", "explosionForce",
    // "explosionThreshold" and "collisionSound".
    void ReadXml(const TiXmlElement* element) override;
    // The gear's keys, then of the six keys ReadXml takes those the entity's own block gave, as it gave them.
    void WriteXml(TiXmlElement* element) const override;
    // With a model: the debris copy and its triangles' velocities, and the billboard when the blast does
    // anything.
    void Initialize() override;
    void Render() override;
    void Update(float dt) override;
    // Explodes once, on the first step whose summed contact force is above the threshold.
    void ProcessCollisionForces() override;
    void Explode();

    bool HasExploded() const { return m_Exploded; }
    float GetDebrisTime() const { return m_DebrisTime; }
    kaBillboard* GetBillboard() const { return m_pBillboard; }
    kaMesh* GetDebrisMesh() const { return m_pDebrisMesh.get(); }
    const std::vector<std::vector<platform::Vector3>>& GetDebrisVelocities() const
    {
        return m_DebrisVelocities;
    }
    const platform::Vector3& GetBlastCentre() const { return m_BlastCentre; }
    float GetExplosionScale() const { return m_ExplosionScale; }
    float GetExplosionThreshold() const { return m_ExplosionThreshold; }
    float GetExplosionDamage() const { return m_ExplosionDamage; }
    float GetExplosionForce() const { return m_ExplosionForce; }
    float GetExplosionRadius() const { return m_ExplosionRadius; }
    const std::string& GetCollisionSound() const { return m_CollisionSound; }

protected:
    bool _BlastDoesAnything() const { return m_ExplosionDamage > 0.0f || m_ExplosionForce > 0.0f; }
    void _BuildDebris();
    void _PushNearby();
    void _MoveDebris(float dt);

    kaBillboard* m_pBillboard = nullptr;
    std::string m_CollisionSound;
    float m_ExplosionThreshold = kDefaultThreshold;
    float m_ExplosionScale = kDefaultScale;
    float m_ExplosionRadius = kDefaultRadius;
    float m_ExplosionDamage = 0.0f;
    float m_ExplosionForce = 0.0f;
    float m_DebrisTime = kDebrisTime;
    bool m_Exploded = false;
    std::unique_ptr<kaMesh> m_pDebrisMesh;
    // Per subset, one velocity per triangle.
    std::vector<std::vector<platform::Vector3>> m_DebrisVelocities;
    platform::Vector3 m_BlastCentre;
};
