#include "editor/EditorCamera.h"

#include "engine/core/ModifierKeyState.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiManager.h"
#include "engine/model/kaBoundingBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaLineSegment.h"
#include "engine/scene/kaTerrainBase.h"
#include "engine/scene/kaWorld.h"

#include <algorithm>
#include <cmath>

using namespace platform;

namespace
{

// The kaCamera input scales the editor moves by.
constexpr int kPanScale = 0;
constexpr int kMoveScale = 2;

Vector3 Column(const Matrix& m, int column)
{
    return Vector3(m(0, column), m(1, column), m(2, column));
}

// The axis with its height dropped, as a unit vector; zero when it points straight up or down.
Vector3 Flat(Vector3 axis)
{
    axis.y = 0.0f;
    const float length = Vec3Length(axis);
    return length > 0.0f ? axis * (1.0f / length) : Vector3();
}

bool ModifierHeld()
{
    return g_ModifierKeyState.Ctrl != 0 || g_ModifierKeyState.Shift != 0 || g_ModifierKeyState.Alt != 0;
}

} // namespace

EditorCamera::EditorCamera()
{
    SetClipPlanes(kNear, kFar);
    UpdateProjection();
    SetRotationAngles(kStartPitch, 0.0f, 0.0f);
}

EditorCamera::~EditorCamera() = default;

float EditorCamera::GetEdgeSpeed() const
{
    return (m_OrbitDistance - kEdgeReferenceDistance) * kEdgeGrowth + kEdgeBaseSpeed;
}

void EditorCamera::UpdateOrbitView()
{
    const Vector3 ahead = Column(m_OrbitOrientation, 2) * m_OrbitDistance;
    Matrix view;
    MatrixTranslation(&view, -m_Target.x, -m_Target.y, -m_Target.z);
    Matrix step;
    view *= *MatrixTranslation(&step, ahead.x, ahead.y, ahead.z);
    view *= m_OrbitOrientation;
    SetViewMatrix(view);
    Matrix inverse;
    if (MatrixInverse(&inverse, nullptr, &view) != nullptr)
    {
        const Vector3 origin;
        Vector3 eye;
        Vec3TransformCoord(&eye, &origin, &inverse);
        SetPosition(eye.x, eye.y, eye.z);
    }
}

void EditorCamera::_RebuildFreeView()
{
    Rotate();
}

void EditorCamera::SetMode(int32_t mode)
{
    if (mode == kPerspectiveView)
    {
        if (m_Mode == kTopView)
            m_TopViewPosition = m_Position;
        m_Mode = mode;
        UpdateOrbitView();
        return;
    }
    if (mode == kTopView)
    {
        if (m_Mode != kTopView)
        {
            SetPosition(m_TopViewPosition.x, m_TopViewPosition.y, m_TopViewPosition.z);
            SetRotationAngles(kTopViewPitch, 0.0f, 0.0f);
        }
        m_Mode = mode;
        _RebuildFreeView();
        return;
    }
    m_Mode = mode;
}

void EditorCamera::SetWorld(kaWorld* world)
{
    m_World = world;
    Matrix tilt;
    MatrixRotationX(&tilt, kOrbitTilt);
    if (world != nullptr)
    {
        if (const kaTerrainBase* terrain = world->GetTerrain())
        {
            const float x = terrain->GetWidth() * 0.5f;
            const float z = terrain->GetLength() * 0.5f;
            const float ground = terrain->GetHeightAt(x, z);
            m_TopViewPosition = Vector3(x, ground + kTopViewHeight, z);
            m_Target = Vector3(x, ground, z);
            m_OrbitOrientation = tilt;
            m_OrbitDistance = x / std::tan(kHalfView);
        }
        // A venue without a box says nothing of the course's extent.
        kaEntity* arena = world->GetVenueEntity();
        if (const kaBoundingBox* box = arena != nullptr ? arena->GetBoundingBox() : nullptr)
        {
            const Vector3 centre = (box->m_Min + box->m_Max) * 0.5f;
            m_Target = centre;
            m_OrbitOrientation = tilt;
            m_OrbitDistance = Vec3Length(box->m_Max - box->m_Min) * 0.5f;
            m_TopViewPosition =
                Vector3(centre.x, (box->m_Max.x - box->m_Min.x) * 0.5f / std::tan(kHalfView) + box->m_Max.y,
                        centre.z);
        }
    }
    m_Mode = 0;
    UpdateOrbitView();
    m_Mode = kPerspectiveView;
}

void EditorCamera::HandleInput(float dx, float dy, float dz, bool /*rotate*/, bool /*pan*/)
{
    const float pan = GetInputSpeed(kPanScale);
    const float move = GetInputSpeed(kMoveScale);
    const Matrix& view = GetComputedView();
    const Vector3 right = Column(view, 0);
    const Vector3 up = Column(view, 1);
    const Vector3 forward = Column(view, 2);
    if (m_Mode == kPerspectiveView)
    {
        if (g_ModifierKeyState.Shift != 0)
            m_Target -= right * (dx * pan) - up * (dy * move);
        if (g_ModifierKeyState.Alt != 0)
            m_OrbitDistance = std::max(0.0f, m_OrbitDistance + move * dy);
        if (g_ModifierKeyState.Ctrl != 0)
        {
            Matrix turn;
            MatrixRotationY(&turn, dx * kTurnPerPixel);
            m_OrbitOrientation = turn * m_OrbitOrientation;
            MatrixRotationX(&turn, dy * kTurnPerPixel);
            m_OrbitOrientation = m_OrbitOrientation * turn;
        }
        m_OrbitDistance = std::max(0.0f, m_OrbitDistance - move * dz);
        UpdateOrbitView();
    }
    else if (m_Mode == kTopView)
    {
        Vector3 position = m_Position;
        if (g_ModifierKeyState.Shift != 0)
        {
            position -= right * (dx * pan);
            position += up * (dy * move);
        }
        if (g_ModifierKeyState.Alt != 0)
            position += forward * (dy * move);
        position += forward * (dz * move);
        SetPosition(position.x, position.y, position.z);
        _RebuildFreeView();
    }
}

bool EditorCamera::_UpdateCursor()
{
    guiManager* gui = g_pGuiManager;
    const guiCursor* cursor = gui != nullptr ? gui->GetCursor() : nullptr;
    if (ModifierHeld())
    {
        if (cursor != nullptr && cursor->IsVisible())
        {
            m_SavedCursor = gui->GetCursorPosition();
            gui->ShowCursor(false);
        }
        return true;
    }
    // Without a cursor there is no place to give back: the pointer's position is left alone.
    if (cursor != nullptr && !cursor->IsVisible())
    {
        gui->SetCursorPosition(m_SavedCursor.x, m_SavedCursor.y);
        gui->ShowCursor(true);
    }
    return false;
}

void EditorCamera::_EdgeScroll(float dt)
{
    if (g_pGuiManager == nullptr || g_pGraphicsManager == nullptr)
        return;
    const kaPoint cursor = g_pGuiManager->GetCursorPosition();
    uint32_t width = 0;
    uint32_t height = 0;
    g_pGraphicsManager->GetViewportSize(width, height);
    if (width == 0 || height == 0)
        return;
    const Matrix& view = GetComputedView();
    const Vector3 forward = Flat(Column(view, 2));
    const Vector3 right = Flat(Column(view, 0));
    const float step = GetEdgeSpeed() * dt;
    bool moved = false;
    if (cursor.x <= 1)
    {
        m_Target -= right * step;
        moved = true;
    }
    if (cursor.y <= 1)
    {
        m_Target += forward * step;
        moved = true;
    }
    if (cursor.x >= int32_t(width) - 1)
    {
        m_Target += right * step;
        moved = true;
    }
    if (cursor.y >= int32_t(height) - 1)
    {
        m_Target -= forward * step;
        moved = true;
    }
    if (moved)
        ClampTargetToTerrain();
}

void EditorCamera::Update(float dt)
{
    if (_UpdateCursor())
        return;
    _EdgeScroll(dt);
}

void EditorCamera::ClampTargetToTerrain()
{
    const kaTerrainBase* terrain = m_World != nullptr ? m_World->GetTerrain() : nullptr;
    if (terrain == nullptr)
        return;
    m_Target.x = std::clamp(m_Target.x, 0.0f, std::max(0.0f, terrain->GetWidth()));
    m_Target.z = std::clamp(m_Target.z, 0.0f, std::max(0.0f, terrain->GetLength()));
    m_Target.y = terrain->GetHeightAt(m_Target.x, m_Target.z);
    SetPosition(m_Target.x, m_Target.y + m_OrbitDistance, m_Target.z);
    if (m_Mode == kTopView)
        _RebuildFreeView();
    else if (m_Mode == kPerspectiveView)
        UpdateOrbitView();
}

void EditorCamera::ZoomToEntity(kaEntity* entity)
{
    const kaBoundingBox* box = entity != nullptr ? entity->GetBoundingBox() : nullptr;
    if (box == nullptr)
        return;
    const Vector3 forward = Column(GetComputedView(), 2);
    const Vector3 centre = box->m_Centre;
    const float radius = box->m_Radius;
    Vector3 eye = centre;
    float distance = 2.0f * radius;

    const Vector3 start = centre - forward * (radius + kZoomPickMargin);
    kaCollideInfo hit;
    if (m_World != nullptr && m_World->Pick(start, centre, &hit, kaWorld::kPickBoxes) &&
        hit.m_pObject == entity)
    {
        const Vector3 end = start + forward * kZoomLineLength;
        const kaLineSegment line(start.x, start.y, start.z, end.x, end.y, end.z);
        float widest = -1.0f;
        Vector3 nearest;
        for (const Vector3& corner : box->m_Corners)
        {
            Vector3 closest;
            line.ClosestPoint(closest, corner);
            const float away = Vec3Length(corner - closest);
            if (away > widest)
            {
                widest = away;
                nearest = closest;
            }
        }
        distance = widest / std::tan(kHalfView);
        eye = nearest - forward * distance;
    }

    if (m_Mode == kPerspectiveView)
    {
        m_OrbitDistance = distance;
        m_Target = centre;
        UpdateOrbitView();
    }
    else if (m_Mode == kTopView)
    {
        SetPosition(eye.x, eye.y, eye.z);
        _RebuildFreeView();
    }
}
