#pragma once

#include "engine/core/kaPoint.h"
#include "engine/render/kaCamera.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>

class kaEntity;
class kaWorld;

// The course editor's view of its world. The perspective view orbits a target on the ground at a
// distance; the top view is a free eye that starts looking straight down. Mouse movement pans, zooms
// and turns while Shift, Alt or Ctrl is held (the GUI cursor hides meanwhile), touching a screen edge
// scrolls the target, and a selected entity can be framed.
class EditorCamera : public kaCamera
{
public:
    static constexpr int32_t kPerspectiveView = 1;
    static constexpr int32_t kTopView = 2;

    static constexpr float kNear = 0.5f;
    static constexpr float kFar = 2000.0f;
    static constexpr float kStartPitch = 0.698f;
    static constexpr float kTopViewPitch = 1.57f;
    static constexpr float kTopViewHeight = 20.0f;
    static constexpr float kOrbitTilt = -0.7853982f;
    // Half the field of view: a box seen at r / tan of it fills the view.
    static constexpr float kHalfView = 0.39269909f;
    static constexpr float kTurnPerPixel = -0.01f;
    // Edge scrolling: the speed at the reference distance and its growth per unit of distance.
    static constexpr float kEdgeReferenceDistance = 38.0f;
    static constexpr float kEdgeBaseSpeed = 35.0f;
    static constexpr float kEdgeGrowth = 0.001312336f * 215.0f;
    static constexpr float kZoomPickMargin = 0.1f;
    static constexpr float kZoomLineLength = 3000.0f;

    EditorCamera();
    ~EditorCamera() override;

    // Cursor handling while a modifier is held, else edge scrolling.
    void Update(float dt) override;
    // Mouse movement (dx, dy) and the wheel (dz); the flags are not read.
    void HandleInput(float dx, float dy, float dz, bool rotate, bool pan) override;
    // Keeps the target inside the terrain and on its ground, and the eye above it.
    virtual void ClampTargetToTerrain();

    // 1 the perspective view, 2 the top view; other values are stored and change nothing else.
    void SetMode(int32_t mode);
    // Frames a newly loaded or created world; it always opens in the perspective view.
    void SetWorld(kaWorld* world);
    // Frames the entity's box; nothing for a null entity or one without a box.
    void ZoomToEntity(kaEntity* entity);
    void UpdateOrbitView();

    int32_t GetEditorMode() const { return m_Mode; }
    kaWorld* GetWorld() const { return m_World; }
    const platform::Vector3& GetTarget() const { return m_Target; }
    void SetTarget(const platform::Vector3& target) { m_Target = target; }
    float GetOrbitDistance() const { return m_OrbitDistance; }
    void SetOrbitDistance(float distance) { m_OrbitDistance = distance; }
    const platform::Matrix& GetOrbitOrientation() const { return m_OrbitOrientation; }
    const platform::Vector3& GetTopViewPosition() const { return m_TopViewPosition; }
    const kaPoint& GetSavedCursor() const { return m_SavedCursor; }
    // The edge-scrolling speed at the current distance, in units a second.
    float GetEdgeSpeed() const;

protected:
    // Hides the cursor while a modifier is held and brings it back where it was; true while one is held.
    bool _UpdateCursor();
    void _EdgeScroll(float dt);
    // The view from the position and the angles, as kaCamera::Rotate builds it.
    void _RebuildFreeView();

private:
    kaWorld* m_World = nullptr;
    int32_t m_Mode = kPerspectiveView;
    kaPoint m_SavedCursor;
    platform::Vector3 m_TopViewPosition;
    platform::Matrix m_OrbitOrientation;
    float m_OrbitDistance = 0.0f;
    platform::Vector3 m_Target;
};
