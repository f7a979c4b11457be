#include "engine/render/kaCamera.h"

#include "engine/core/kaAngles.h"
#include "engine/core/kaApp.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaXmlHelpers.h"
#include "engine/render/DampedSpringStep.h"
#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <tinyxml.h>

using namespace platform;

kaCameraPositionHook g_CameraPositionHook;
kaCameraCollisionHook g_CameraCollisionHook;
int32_t g_CameraCollisionCount = 0;
uint32_t g_CameraAngleRingLength = 0;
uint32_t g_CameraAngleRingPosition = 0;
uint32_t g_CameraPositionRingLength = 0;
uint32_t g_CameraPositionRingPosition = 0;
Vector3 g_CameraEyeOffset;

namespace
{

const float kCrossMinimum = 0.01f;

// A vector turned by yaw about Y, pitch about X and roll about Z.
Vector3 Turn(const Vector3& v, float yaw, float pitch, float roll)
{
    Matrix rotation;
    MatrixRotationYawPitchRoll(&rotation, yaw, pitch, roll);
    Vector3 out;
    Vec3TransformNormal(&out, &v, &rotation);
    return out;
}

Vector3 Turn(const Vector3& v, const Quaternion& q)
{
    Matrix rotation;
    MatrixRotationQuaternion(&rotation, &q);
    Vector3 out;
    Vec3TransformNormal(&out, &v, &rotation);
    return out;
}

// The value of a child element; missing, empty or unreadable ones count 0.
float ChildFloat(const char* name, const TiXmlElement* element)
{
    const std::string text = GetChildElementText(name, element);
    if (text.empty())
        return 0.0f;
    try
    {
        return ka::lexical_cast<float>(text);
    }
    catch (const ka::bad_lexical_cast&)
    {
        DebugPrintf("[kaCamera::ReadProperties] : \"%s\" is not a number in %s\n", text.c_str(), name);
        return 0.0f;
    }
}

void SetViewChanged()
{
    if (g_pGraphicsManager)
        g_pGraphicsManager->SetViewChanged(true);
}

// Copies a value into its reported copy; true when the two differed.
template <class T> bool CatchUp(const T& value, T& reported)
{
    if (value != reported)
    {
        reported = value;
        return true;
    }
    return false;
}

} // namespace

kaCamera::kaCamera()
{
    m_Position = Vector3(kStartX, kStartY, kStartZ);
    m_EyeGoal = m_Position;
    m_PreviousEyeGoal = m_Position;
    UpdateProjection();
    ResetGoals();
}

kaCamera::~kaCamera() = default;

void kaCamera::Render(uint32_t /*flag*/) {}

void kaCamera::OnWorldLoaded() {}

void kaCamera::ResetGoals()
{
    m_OffsetX = 0.0f;
    m_OffsetY = 0.0f;
    m_Zoom = 0.0f;
    m_GoalAngles = m_Angles;
    m_PreviousGoalAngles = m_Angles;
    m_HeadingGoal = m_Heading;
    m_PreviousHeadingGoal = m_Heading;
    m_EyeGoal = m_Position;
    m_PreviousEyeGoal = m_Position;
    m_RefillPositions = true;
    m_Snap = true;
}

void kaCamera::SetPosition(float x, float y, float z)
{
    m_EyeGoal = Vector3(x, y, z);
    m_Position = m_EyeGoal;
    UpdateTransform();
}

void kaCamera::SetRotationAngles(float x, float y, float z)
{
    m_Angles = Vector3(x, y, z);
    // The averaged angles start from the ones set, not from an old mean.
    std::fill(std::begin(m_AngleRing), std::end(m_AngleRing), m_Angles);
    if (m_Mode != 7)
    {
        m_GoalAngles = m_Angles;
        m_PreviousGoalAngles = m_Angles;
    }
}

void kaCamera::SetClipPlanes(float nearPlane, float farPlane)
{
    m_Near = nearPlane;
    m_Far = farPlane;
}

void kaCamera::SetInputSpeed(int index, float speed)
{
    if (index >= 0 && index < 6)
        m_InputSpeeds[index] = speed;
}

float kaCamera::GetInputSpeed(int index) const
{
    return index >= 0 && index < 6 ? m_InputSpeeds[index] : 0.0f;
}

void kaCamera::SetViewMatrix(const Matrix& view)
{
    m_View = view;
    if (std::memcmp(&m_View, &m_ViewReported, sizeof(Matrix)) != 0)
    {
        m_ViewReported = m_View;
        SetViewChanged();
    }
}

void kaCamera::FollowFor(ka3DObject* target, float seconds)
{
    m_pTarget = target;
    m_FollowTime = seconds;
    m_Following = target != nullptr;
}

void kaCamera::SetFollowOffset(float x, float y)
{
    m_OffsetX = x;
    m_OffsetY = y;
}

void kaCamera::UpdateProjection()
{
    if (m_Perspective)
    {
        MatrixPerspectiveFovLH(&m_Projection, m_FieldOfView, m_Aspect, m_Near, m_Far);
        m_ProjectionZOffset = m_Projection(3, 2);
    }
    else
    {
        MatrixOrthoLH(&m_Projection, m_Aspect * m_Zoom, m_Zoom, m_Near, m_Far);
    }
    m_ProjectionChanged = true;
}

void kaCamera::SetProjectionDepthBias(float delta, float depth)
{
    GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (!device)
        return;
    if (delta == 0.0f && depth == 0.0f)
    {
        device->SetTransform(TS_PROJECTION, &m_Projection);
        return;
    }
    const float divisor = (m_Far + m_Near) * (delta + depth) * depth;
    // A bias whose depths cancel out has no meaning; the projection stays as it is.
    if (divisor == 0.0f)
        return;
    Matrix projection;
    device->GetTransform(TS_PROJECTION, &projection);
    const float epsilon = (-2.0f * m_Far * m_Near * delta) / divisor;
    projection(3, 2) *= 1.0f + epsilon;
    device->SetTransform(TS_PROJECTION, &projection);
}

void kaCamera::GetPickRay(Vector3& out, const Vector3& screenPoint)
{
    if (g_pGraphicsManager)
    {
        uint32_t width = 0;
        uint32_t height = 0;
        g_pGraphicsManager->GetViewportSize(width, height);
        // Without a viewport the last known size serves.
        if (width > 0 && height > 0)
        {
            m_ViewportWidth = static_cast<float>(width);
            m_ViewportHeight = static_cast<float>(height);
        }
    }
    const float aspect = m_ViewportWidth / m_ViewportHeight;
    const float t = std::tan(m_FieldOfView / 2.0f);
    const float z = m_Near + (m_Far - m_Near) * screenPoint.z;
    const float x = (2.0f * screenPoint.x / m_ViewportWidth - 1.0f) * t * aspect * z;
    const float y = (1.0f - screenPoint.y / (m_ViewportHeight / 2.0f)) * t * z;
    Matrix inverse;
    if (!MatrixInverse(&inverse, nullptr, &m_View))
        MatrixIdentity(&inverse);
    const Vector3 viewPoint(x, y, z);
    Vec3TransformCoord(&out, &viewPoint, &inverse);
}

void kaCamera::Rotate()
{
    Matrix view;
    MatrixTranslation(&view, -m_Position.x, -m_Position.y, -m_Position.z);
    Matrix rotation;
    if (m_Angles.z != 0.0f)
        view *= *MatrixRotationZ(&rotation, -m_Angles.z);
    if (m_Angles.y != 0.0f)
        view *= *MatrixRotationY(&rotation, -m_Angles.y);
    if (m_Angles.x != 0.0f)
        view *= *MatrixRotationX(&rotation, -m_Angles.x);
    m_View = view;
    if (m_View != m_ViewReported)
    {
        m_ViewReported = m_View;
        SetViewChanged();
    }
}

void kaCamera::HandleInput(float dx, float dy, float dz, bool rotate, bool pan)
{
    const float* s = m_InputSpeeds;
    const Vector3 right(m_View(0, 0), m_View(1, 0), m_View(2, 0));
    const Vector3 up(m_View(0, 1), m_View(1, 1), m_View(2, 1));
    const Vector3 forward(m_View(0, 2), m_View(1, 2), m_View(2, 2));
    switch (m_Mode)
    {
    case 1:
        m_GoalAngles.x += dy * s[4] * 0.01f;
        m_GoalAngles.y += dx * s[3] * 0.01f;
        m_EyeGoal.z += dz * s[5] * 0.1f;
        break;
    case 2:
        m_Zoom -= dz * s[2];
        if (m_Zoom < kZoomLowerLimit)
            m_Zoom = kZoomLowerLimit;
        else if (m_Zoom > kZoomUpperLimit)
            m_Zoom = kZoomUpperLimit;
        if (rotate)
        {
            m_GoalAngles.x += dy * s[4] * 0.01f;
            m_GoalAngles.y += dx * s[3] * 0.01f;
            m_GoalAngles.x = std::clamp(m_GoalAngles.x, -kHalfPi, kHalfPi);
        }
        else if (pan)
        {
            m_PanTarget -= right * (dx * s[0]) + up * (dy * s[1]);
        }
        break;
    case 4:
    case 8:
        if (rotate)
        {
            m_GoalAngles.x += dy * s[4] * 0.01f;
            m_GoalAngles.y += dx * s[3] * 0.01f;
        }
        else if (pan)
        {
            m_EyeGoal += right * (dx * s[0]) + up * (dy * s[1]);
        }
        m_EyeGoal += forward * (dz * s[2]);
        break;
    case 7:
        if (rotate)
        {
            m_Angles.x -= dx * s[3] * 0.01f;
            m_Angles.y += dy * s[4] * 0.01f;
            m_Angles.y = std::clamp(m_Angles.y, -kHalfPi, kHalfPi);
        }
        break;
    default:
        break;
    }
}

void kaCamera::ReadProperties(const TiXmlElement* element)
{
    if (!element)
        return;
    SetPosition(ChildFloat("posX", element), ChildFloat("posY", element), ChildFloat("posZ", element));
    SetRotationAngles(ChildFloat("rotX", element), ChildFloat("rotY", element), ChildFloat("rotZ", element));
}

void kaCamera::WriteProperties(TiXmlElement* element) const
{
    if (!element)
        return;
    AppendFloatElement(element, "posX", m_Position.x);
    AppendFloatElement(element, "posY", m_Position.y);
    AppendFloatElement(element, "posZ", m_Position.z);
    AppendFloatElement(element, "rotX", m_Angles.x);
    AppendFloatElement(element, "rotY", m_Angles.y);
    AppendFloatElement(element, "rotZ", m_Angles.z);
}

// Frame update.

void kaCamera::Update(float dt)
{
    if (m_FollowTime > 0.0f)
        m_FollowTime -= dt;
    if (m_Following && m_FollowTime <= 0.0f)
    {
        m_Following = false;
        m_pTarget = nullptr;
    }

    const bool running = g_ApplicationRunning != 0;
    switch (m_Mode)
    {
    case 1:
        if (m_pTarget)
        {
            const Vector3 offset(m_OffsetX, m_OffsetY, m_Zoom);
            m_EyeGoal = m_pTarget->GetPosition() - Turn(offset, m_pTarget->GetRotation());
        }
        _FollowGoals(dt);
        _UpdateMode1();
        break;
    case 2:
        if (running)
            _UpdateChase(dt);
        break;
    case 4:
    case 8:
        _FollowGoals(dt);
        _UpdateFree();
        break;
    case 7:
        if (running)
            _UpdateTurned();
        break;
    default:
        break;
    }
    if (running)
        m_Snap = false;

    ka3DObject::Update(dt);
    _HandOn();
}

void kaCamera::_FollowGoals(float dt)
{
    if (!m_AngleSmoothing || m_Snap)
        m_Angles = m_GoalAngles;
    else
        DampedSpringStep(m_Angles, m_GoalAngles, m_PreviousGoalAngles, dt, kAngleStiffness, kAngleDamping,
                         kAngleRestLength);
    m_PreviousGoalAngles = m_GoalAngles;

    Vector3 position = m_Position;
    if (!m_PositionSmoothing || m_Snap)
        position = m_EyeGoal;
    else
        DampedSpringStep(position, m_EyeGoal, m_PreviousEyeGoal, dt, kPositionStiffness, kPositionDamping,
                         kPositionRestLength);
    m_PreviousEyeGoal = m_EyeGoal;
    if (position != m_Position)
    {
        m_Position = position;
        UpdateTransform();
    }
}

void kaCamera::_UpdateMode1()
{
    m_LookPoint = m_Position + Turn(Vector3(0.0f, 0.0f, 1.0f), m_Angles.y, m_Angles.x, m_Angles.z);
    const Vector3 up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&m_View, &m_Position, &m_LookPoint, &up);
}

void kaCamera::_UpdateChase(float dt)
{
    // 1. What is followed, and the target's heading.
    if (m_pTarget)
    {
        m_FollowedPoint = m_pTarget->GetPosition() + Vector3(m_OffsetX, m_OffsetY, 0.0f);
        const Vector3 ahead = Turn(Vector3(0.0f, 0.0f, 1.0f), m_pTarget->GetRotation());
        m_HeadingGoal.x = kaAngles::NearTurn(std::atan2(ahead.x, ahead.z), m_HeadingGoal.x);
    }
    else
    {
        m_FollowedPoint = m_PanTarget;
    }
    // A heading the spring threw past every number starts again from its goal.
    if (!std::isfinite(m_Heading.x))
        m_Heading = m_HeadingGoal;
    m_HeadingGoal.x = kaAngles::NearTurn(m_HeadingGoal.x, m_Heading.x);

    // 2. Heading and angles.
    if (m_AngleSmoothing && !m_Snap && !m_Frozen)
    {
        DampedSpringStep(m_Heading, m_HeadingGoal, m_PreviousHeadingGoal, dt, kAngleStiffness, kAngleDamping,
                         kAngleRestLength);
        DampedSpringStep(m_Angles, m_GoalAngles, m_PreviousGoalAngles, dt, kAngleStiffness, kAngleDamping,
                         kAngleRestLength);
    }
    else
    {
        m_Heading = m_HeadingGoal;
        m_Angles = m_GoalAngles;
    }
    m_PreviousHeadingGoal = m_HeadingGoal;
    m_PreviousGoalAngles = m_GoalAngles;
    if (m_AngleAveraging)
    {
        bool refill = false;
        m_Angles =
            _Average(m_AngleRing, g_CameraAngleRingLength, g_CameraAngleRingPosition, refill, m_Angles);
    }

    // 3. Eye offset.
    const float yaw = m_Angles.y + m_Heading.x;
    const float pitch = -m_Angles.x;
    g_CameraEyeOffset = Turn(Vector3(0.0f, 0.0f, -m_Zoom), yaw, pitch, 0.0f);

    // 4. Axes. Without a zoom there is no offset to look along; the angles alone give the direction.
    Vector3 forward;
    if (Vec3Length(g_CameraEyeOffset) > 0.0f)
    {
        const Vector3 towards = -g_CameraEyeOffset;
        Vec3Normalize(&forward, &towards);
    }
    else
    {
        forward = Turn(Vector3(0.0f, 0.0f, 1.0f), yaw, pitch, 0.0f);
    }
    Vector3 right = Vec3Cross(Vector3(0.0f, 1.0f, 0.0f), forward);
    if (Vec3Length(right) < kCrossMinimum)
        right = Vector3(std::cos(yaw), 0.0f, -std::sin(yaw));
    else
        Vec3Normalize(&right, &right);
    Vector3 up = Vec3Cross(forward, right);

    // 5. The smoothed followed point.
    if (m_Frozen)
        m_SmoothedPoint = m_FollowedPoint;
    else if (m_PositionSmoothing && !m_Snap)
        DampedSpringStep(m_SmoothedPoint, m_FollowedPoint, m_PreviousFollowedPoint, dt, kPositionStiffness,
                         kPositionDamping, kPositionRestLength);
    else
        m_SmoothedPoint = m_FollowedPoint;
    if (m_PositionAveraging)
        m_SmoothedPoint = _Average(m_PositionRing, g_CameraPositionRingLength, g_CameraPositionRingPosition,
                                   m_RefillPositions, m_SmoothedPoint);
    m_PreviousFollowedPoint = m_FollowedPoint;

    // 6. Placement, which the game may correct.
    const Vector3 placed = m_SmoothedPoint + g_CameraEyeOffset;
    SetPosition(placed.x, placed.y, placed.z);
    if (m_Collision && g_CameraCollisionCount > 0 && g_CameraCollisionHook)
    {
        Vector3 position = m_Position;
        g_CameraCollisionHook(position, forward, up);
        if (position != m_Position)
            SetPosition(position.x, position.y, position.z);
    }

    // 7. The view.
    MatrixIdentity(&m_View);
    const Vector3 axes[3] = {right, up, forward};
    for (int column = 0; column < 3; ++column)
    {
        m_View(0, column) = axes[column].x;
        m_View(1, column) = axes[column].y;
        m_View(2, column) = axes[column].z;
        m_View(3, column) = -Vec3Dot(m_Position, axes[column]);
    }
    if (!m_Perspective)
        UpdateProjection();
    m_Frozen = false;
}

void kaCamera::_UpdateFree()
{
    if (m_pTarget)
    {
        m_LookPoint = m_pTarget->GetPosition();
        if (m_DistanceZoom)
        {
            m_FieldOfView = kaLinearRamp::Evaluate(m_ZoomRamp, Vec3Length(m_LookPoint - m_Position));
            UpdateProjection();
        }
    }
    else
    {
        m_LookPoint = m_Position + Turn(Vector3(0.0f, 0.0f, 1.0f), m_Angles.y, m_Angles.x, m_Angles.z);
    }
    if (g_CameraPositionHook)
    {
        Vector3 corrected = m_Position;
        g_CameraPositionHook(corrected);
        const Vector3 shift = corrected - m_Position;
        if (shift != Vector3())
        {
            m_Position += shift;
            m_LookPoint += shift;
            m_EyeGoal += shift;
            UpdateTransform();
        }
    }
    const Vector3 up(0.0f, 1.0f, 0.0f);
    MatrixLookAtLH(&m_View, &m_Position, &m_LookPoint, &up);
}

void kaCamera::_UpdateTurned()
{
    const Vector3 turnedUp = Turn(Vector3(0.0f, 1.0f, 0.0f), m_Orientation);
    const float heading =
        turnedUp.x == 0.0f && turnedUp.z == 0.0f ? 0.0f : std::atan2(turnedUp.x, turnedUp.z);
    Matrix view;
    MatrixTranslation(&view, -m_Position.x, -m_Position.y, -m_Position.z);
    Matrix rotation;
    view *= *MatrixRotationY(&rotation, m_Angles.x - heading);
    view *= *MatrixRotationX(&rotation, m_Angles.y);
    m_View = view;
    if (!m_Perspective)
        UpdateProjection();
}

void kaCamera::_HandOn()
{
    // Every reported value catches up, whichever changed.
    bool changed = CatchUp(m_View, m_ViewReported);
    changed = CatchUp(m_Projection, m_ProjectionReported) || changed;
    changed = CatchUp(m_Angles, m_ReportedAngles) || changed;
    changed = CatchUp(m_Position, m_ReportedPosition) || changed;
    if (changed)
        SetViewChanged();
}

Vector3 kaCamera::_Average(Vector3 (&ring)[kRingSize], uint32_t length, uint32_t& position, bool& refill,
                           const Vector3& value) const
{
    const uint32_t count = std::min(length, kRingSize);
    if (count == 0)
        return value;
    if (refill)
    {
        std::fill(ring, ring + count, value);
        refill = false;
    }
    if (position >= count)
        position = 0;
    ring[position] = value;
    if (++position >= count)
        position = 0;
    Vector3 sum;
    for (uint32_t i = 0; i < count; ++i)
        sum += ring[i];
    return sum / static_cast<float>(count);
}
