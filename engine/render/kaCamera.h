#pragma once

#include "engine/core/kaLinearRamp.h"
#include "engine/render/ka3DObject.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <functional>

class TiXmlElement;

// The game may move the camera in modes 4 and 8: it receives the position and changes it in place.
using kaCameraPositionHook = std::function<void(platform::Vector3& position)>;
// The game's collision test for the chase camera: position, forward and up, each changeable in place.
using kaCameraCollisionHook =
    std::function<void(platform::Vector3& position, platform::Vector3& forward, platform::Vector3& up)>;

// Process-wide values the game sets for its cameras.
extern kaCameraPositionHook g_CameraPositionHook;
extern kaCameraCollisionHook g_CameraCollisionHook;
// The hook runs only while this is positive.
extern int32_t g_CameraCollisionCount;
// Lengths of the chase camera's averaging rings (angles, positions) and where each writes next. A length
// of 0 turns that averaging off; lengths above the ring size count as the ring size.
extern uint32_t g_CameraAngleRingLength;
extern uint32_t g_CameraAngleRingPosition;
extern uint32_t g_CameraPositionRingLength;
extern uint32_t g_CameraPositionRingPosition;
// The chase camera's last eye offset from the followed point.
extern platform::Vector3 g_CameraEyeOffset;

// The scene object whose view and projection the renderer uses. Driven in one of eight modes: 1 looks
// from spring-smoothed angles and position (at a fixed offset behind a target when it has one), 2 chases
// a target or a pan point at the zoom distance, 4 and 8 fly freely or look at a target, 7 is turned
// directly, 3, 5 and 6 leave the view alone. Each Update hands a changed view or projection on and tells
// the graphics manager.
class kaCamera : public ka3DObject
{
public:
    static constexpr float kFieldOfView = 0.7853982f;
    static constexpr float kAspect = 1.3333334f;
    static constexpr float kNearPlane = 0.25f;
    static constexpr float kFarPlane = 2000.0f;
    static constexpr float kViewportWidth = 800.0f;
    static constexpr float kViewportHeight = 600.0f;
    static constexpr float kZoomLowerLimit = 1.0f;
    static constexpr float kZoomUpperLimit = 1000.0f;
    static constexpr float kHalfPi = 1.5707964f;
    static constexpr float kAngleStiffness = 8.0f;
    static constexpr float kAngleDamping = 20.0f;
    static constexpr float kAngleRestLength = 0.0001f;
    static constexpr float kPositionStiffness = 4.0f;
    static constexpr float kPositionDamping = 0.5f;
    static constexpr float kPositionRestLength = 0.1f;
    static constexpr float kStartX = 0.0f;
    static constexpr float kStartY = 60.0f;
    static constexpr float kStartZ = -100.0f;
    static constexpr uint32_t kRingSize = 100;
    static constexpr uint32_t kFirstMode = 1;
    static constexpr uint32_t kLastMode = 8;

    kaCamera();
    ~kaCamera() override;

    void Render(uint32_t flag) override;
    void Update(float dt) override;
    // Eye goal and position together.
    void SetPosition(float x, float y, float z) override;
    virtual void HandleInput(float dx, float dy, float dz, bool rotate, bool pan);
    // The child elements "posX" to "rotZ"; missing ones count 0.
    virtual void ReadProperties(const TiXmlElement* element);
    virtual void WriteProperties(TiXmlElement* element) const;
    virtual void OnWorldLoaded();

    // Follow offset and zoom cleared; every goal becomes the current value; the next update snaps.
    void ResetGoals();
    void SetRotationAngles(float x, float y, float z);
    void UpdateProjection();
    // Both 0: the camera's own projection goes on the device. Otherwise the device's projection gets its
    // depth offset scaled, which pulls what follows towards the eye.
    void SetProjectionDepthBias(float delta, float depth);
    // The world point under a screen point (x, y in pixels, z from 0 at the near plane to 1 at the far one).
    void GetPickRay(platform::Vector3& out, const platform::Vector3& screenPoint);
    // The view from the position and the angles alone.
    void Rotate();

    // The matrices last handed on.
    const platform::Matrix& GetViewMatrix() const { return m_ViewReported; }
    const platform::Matrix& GetProjectionMatrix() const { return m_ProjectionReported; }
    // The matrices as last computed.
    const platform::Matrix& GetComputedView() const { return m_View; }
    const platform::Matrix& GetComputedProjection() const { return m_Projection; }
    float GetProjectionZOffset() const { return m_ProjectionZOffset; }
    bool IsProjectionChanged() const { return m_ProjectionChanged; }

    uint32_t GetMode() const { return m_Mode; }
    void SetMode(uint32_t mode) { m_Mode = mode; }

    void SetPerspective(bool perspective) { m_Perspective = perspective; }
    bool IsPerspective() const { return m_Perspective; }
    void SetFieldOfView(float fov) { m_FieldOfView = fov; }
    float GetFieldOfView() const { return m_FieldOfView; }
    void SetAspect(float aspect) { m_Aspect = aspect; }
    void SetClipPlanes(float nearPlane, float farPlane);
    float GetNearPlane() const { return m_Near; }
    float GetFarPlane() const { return m_Far; }
    float GetViewportWidth() const { return m_ViewportWidth; }
    float GetViewportHeight() const { return m_ViewportHeight; }
    void SetZoom(float zoom) { m_Zoom = zoom; }
    float GetZoom() const { return m_Zoom; }

    const platform::Vector3& GetRotationAngles() const { return m_Angles; }
    const platform::Vector3& GetGoalAngles() const { return m_GoalAngles; }
    void SetGoalAngles(const platform::Vector3& angles) { m_GoalAngles = angles; }
    const platform::Vector3& GetEyeGoal() const { return m_EyeGoal; }
    void SetEyeGoal(const platform::Vector3& goal) { m_EyeGoal = goal; }
    const platform::Vector3& GetPanTarget() const { return m_PanTarget; }
    void SetPanTarget(const platform::Vector3& point) { m_PanTarget = point; }
    const platform::Vector3& GetLookPoint() const { return m_LookPoint; }
    float GetHeading() const { return m_Heading.x; }
    float GetHeadingGoal() const { return m_HeadingGoal.x; }

    // The target is not owned; its owner clears it before it goes.
    void SetTarget(ka3DObject* target) { m_pTarget = target; }
    ka3DObject* GetTarget() const { return m_pTarget; }
    // Follows the target for the given time, then lets it go.
    void FollowFor(ka3DObject* target, float seconds);
    void SetFollowOffset(float x, float y);

    void SetAngleSmoothing(bool on) { m_AngleSmoothing = on; }
    void SetPositionSmoothing(bool on) { m_PositionSmoothing = on; }
    void RequestSnap() { m_Snap = true; }
    bool IsSnapRequested() const { return m_Snap; }
    void SetFrozen(bool frozen) { m_Frozen = frozen; }
    bool IsFrozen() const { return m_Frozen; }
    void SetCollision(bool on) { m_Collision = on; }
    void SetAngleAveraging(bool on) { m_AngleAveraging = on; }
    void SetPositionAveraging(bool on) { m_PositionAveraging = on; }
    // Modes 4 and 8 with a target: the field of view from the ramp at the distance to the target.
    void SetDistanceZoom(bool on) { m_DistanceZoom = on; }
    void SetZoomRamp(const kaLinearRamp& ramp) { m_ZoomRamp = ramp; }
    // Mode 7 takes its heading from this.
    void SetOrientation(const platform::Quaternion& q) { m_Orientation = q; }
    // s0, s1 pan, s2 zoom, s3, s4 rotation, s5 the eye goal's z in mode 1.
    void SetInputSpeed(int index, float speed);
    float GetInputSpeed(int index) const { return index >= 0 && index < 6 ? m_InputSpeeds[index] : 0.0f; }

protected:
    // For cameras that build their own view: stores it and hands it on when it changed.
    void _SetView(const platform::Matrix& view);

private:
    void _FollowGoals(float dt);
    void _UpdateMode1();
    void _UpdateChase(float dt);
    void _UpdateFree();
    void _UpdateTurned();
    void _HandOn();
    // Writes the value into a ring of the given length and returns the ring's mean; a length of 0 leaves
    // the value as it is. A refill first fills the ring with the value.
    platform::Vector3 _Average(platform::Vector3 (&ring)[kRingSize], uint32_t length, uint32_t& position,
                               bool& refill, const platform::Vector3& value) const;

    platform::Matrix m_View;
    platform::Matrix m_ViewReported;
    platform::Matrix m_Projection;
    platform::Matrix m_ProjectionReported;
    uint32_t m_Mode = kFirstMode;

    bool m_Perspective = true;
    float m_FieldOfView = kFieldOfView;
    float m_Aspect = kAspect;
    float m_Near = kNearPlane;
    float m_Far = kFarPlane;
    float m_ViewportWidth = kViewportWidth;
    float m_ViewportHeight = kViewportHeight;
    float m_Zoom = 0.0f;
    float m_ProjectionZOffset = 0.0f;
    bool m_ProjectionChanged = false;

    platform::Vector3 m_Angles;
    platform::Vector3 m_GoalAngles;
    platform::Vector3 m_PreviousGoalAngles;
    platform::Vector3 m_ReportedAngles;

    platform::Vector3 m_EyeGoal;
    platform::Vector3 m_PreviousEyeGoal;
    platform::Vector3 m_ReportedPosition;
    platform::Vector3 m_PanTarget;
    platform::Vector3 m_LookPoint;
    platform::Vector3 m_FollowedPoint;
    platform::Vector3 m_PreviousFollowedPoint;
    platform::Vector3 m_SmoothedPoint;
    // Headings in x only, so that they go through the same spring as the other vectors.
    platform::Vector3 m_Heading;
    platform::Vector3 m_HeadingGoal;
    platform::Vector3 m_PreviousHeadingGoal;

    ka3DObject* m_pTarget = nullptr;
    float m_FollowTime = 0.0f;
    bool m_Following = false;
    float m_OffsetX = 0.0f;
    float m_OffsetY = 0.0f;

    bool m_AngleSmoothing = true;
    bool m_PositionSmoothing = true;
    bool m_Snap = false;
    float m_InputSpeeds[6] = {0.1f, 0.1f, 0.1f, 1.0f, 1.0f, 1.0f};

    platform::Vector3 m_AngleRing[kRingSize];
    platform::Vector3 m_PositionRing[kRingSize];
    bool m_AngleAveraging = false;
    bool m_PositionAveraging = false;
    bool m_RefillPositions = true;
    bool m_Frozen = false;
    bool m_Collision = true;
    bool m_DistanceZoom = false;
    kaLinearRamp m_ZoomRamp{kNearPlane, kFarPlane, kFieldOfView, kFieldOfView};
    platform::Quaternion m_Orientation;
};
