#pragma once

#include "engine/scene/kaWheel.h"

#include <cstdint>

class tvVehicle;

// The game's wheel: the engine's wheel plus what mud, oil and power grates do to it for the frames after
// they touch it.
class tvWheel : public kaWheel
{
    KA_ENTITY_CLASS_RECORD()

public:
    // Frames a surface keeps its effect after a touch (the surface gear sets this).
    static constexpr int32_t kSurfaceFrames = 2;
    static constexpr float kMudFriction = 0.55f;
    static constexpr float kOilFriction = 0.15f;
    // The mud drags the wheel by its velocity times this.
    static constexpr float kMudDrag = -1.0f;
    // A grate's jolt: (kJoltBase + kJoltRandom x r) x the vehicle's mass, up the wheel's own axis.
    static constexpr float kJoltBase = 20.0f;
    static constexpr float kJoltRandom = 20.0f;
    static constexpr float kJoltWait = 0.5f;
    static constexpr float kJoltDamage = 2.0f;

    tvWheel();
    ~tvWheel() override;

    // The wheel's set-up, then the vehicle at the other end of its first joint.
    void Initialize() override;
    // The wheel's step, then mud, oil and grate.
    void Update(float dt) override;

    void SetMudFrames(int32_t frames) { m_MudFrames = frames; }
    void SetOilFrames(int32_t frames) { m_OilFrames = frames; }
    void SetGrateFrames(int32_t frames) { m_GrateFrames = frames; }
    int32_t GetMudFrames() const { return m_MudFrames; }
    int32_t GetOilFrames() const { return m_OilFrames; }
    int32_t GetGrateFrames() const { return m_GrateFrames; }
    float GetGrateTimer() const { return m_GrateTimer; }
    kaEntityPhysical* GetJoinedVehicle() const { return m_pJoined; }
    // The friction of the tyre's material now (0 without one).
    float GetTyreFriction() const;

protected:
    // Friction of the tyre's material: scaled, or back to its base.
    void _ScaleFriction(float factor);
    void _RestoreSurface();
    void _Jolt();

    int32_t m_MudFrames = 0;
    int32_t m_OilFrames = 0;
    int32_t m_GrateFrames = 0;
    float m_GrateTimer = 0.0f;
    kaEntityPhysical* m_pJoined = nullptr;
};
