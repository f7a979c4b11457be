#pragma once

#include "engine/render/kaCamera.h"

#include <cstdint>

class tvWorld;

// The course's camera: chases the player's vehicle from behind or looks out from its hood, looks back on
// request, turns into a free camera that the mouse moves, and runs the reset key that puts the vehicle
// back on the spawn point at a cost in time.
class tvCamera : public kaCamera
{
public:
    // Player 0's actions read.
    static constexpr int kViewAction = 14;
    static constexpr int kResetAction = 15;
    static constexpr int kLookBackAction = 17;
    static constexpr int kFreeAction = 18;
    static constexpr float kNear = 0.35f;
    static constexpr float kFar = 2000.0f;
    static constexpr float kPitch = 0.698f;
    // The chase eye sits d behind and above the followed point, 20.56 degrees up.
    static constexpr float kChaseUp = 0.351123f;
    static constexpr float kChaseBack = 0.936329f;
    // The chase eye closes this share of its distance to the goal per second.
    static constexpr float kChaseRate = 5.0f;
    static constexpr float kHoodLookLength = 10.0f;
    // Seconds the arena's token time restarts from after a reset.
    static constexpr float kTokenTime = 10.0f;
    static constexpr const char* kHoodBone = "HoodLookBone";
    static constexpr const char* kFollowBone = "FollowBone";

    enum View : int32_t
    {
        kChaseView = 0,
        kHoodView = 1,
    };

    tvCamera();
    ~tvCamera() override;

    void Update(float dt) override;
    // The mouse moves the camera only in free mode.
    void HandleInput(float dx, float dy, float dz, bool rotate, bool pan) override;

    void SetWorld(tvWorld* world) { m_pWorld = world; }
    tvWorld* GetWorld() const { return m_pWorld; }
    int32_t GetView() const { return m_View; }
    // The motorcycle keeps the chase view while its rider is thrown and puts the rider's view back after.
    void SetView(int32_t view) { m_View = view; }
    bool IsFreeMode() const { return m_FreeMode != 0; }
    bool IsSnapPending() const { return m_Snap; }

private:
    // The reset key's work: penalty, vehicle back on the spawn point and still, the arena's token time.
    void _ResetVehicle();
    // True on the first frame the action is held; the latch clears on release.
    static bool _Pressed(int action, bool& latch);

    bool m_Snap = true;
    bool m_ViewLatch = false;
    bool m_ResetLatch = false;
    bool m_FreeLatch = false;
    int32_t m_View = kChaseView;
    tvWorld* m_pWorld = nullptr;
    int32_t m_FreeMode = 0;
};
