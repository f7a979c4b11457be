#include "game/world/tvCamera.h"

#include "engine/core/InputManager.h"
#include "game/app/Tarvolin.h"
#include "game/vehicles/MotorCycle.h"
#include "game/vehicles/tvVehicle.h"
#include "game/world/SpawnPlacement.h"
#include "game/world/tvArena.h"
#include "game/world/tvWorld.h"

#include "platform/gfx/math/Matrix.h"

#include <cmath>

using platform::Matrix;
using platform::Quaternion;
using platform::Vector3;

namespace
{

bool Held(int action)
{
    const InputManager* input = InputManager::GetInstance();
    return input && input->GetActionValue(action, nullptr, 0) > 0;
}

bool RiderThrown(const tvVehicle* vehicle)
{
    const auto* bike = dynamic_cast<const MotorCycle*>(vehicle);
    return bike && bike->IsRagdolled();
}

} // namespace

tvCamera::tvCamera()
{
    // The follow logic builds the view itself; the base only hands the projection on.
    SetMode(3);
    SetClipPlanes(kNear, kFar);
    UpdateProjection();
    SetRotationAngles(kPitch, 0.0f, 0.0f);
}

tvCamera::~tvCamera() = default;

bool tvCamera::_Pressed(int action, bool& latch)
{
    if (!Held(action))
    {
        latch = false;
        return false;
    }
    if (latch)
        return false;
    latch = true;
    return true;
}

void tvCamera::Update(float dt)
{
    kaCamera::Update(dt);
    Tarvolin* game = Tarvolin::Instance();
    tvVehicle* vehicle = game ? game->GetPlayerVehicle() : nullptr;
    if (!vehicle)
    {
        m_FreeMode = 1;
        return;
    }
    const bool snap = m_Snap;
    // A thrown rider's view is the chase of the rag doll: no hood view, no look back.
    const bool thrown = RiderThrown(vehicle);

    if (!game->IsEditor())
    {
        if (thrown)
            m_ViewLatch = false;
        else if (_Pressed(kViewAction, m_ViewLatch))
            m_View = 1 - m_View;
        if (_Pressed(kFreeAction, m_FreeLatch))
            m_FreeMode = 1 - m_FreeMode;
        // A press while no run is on is spent: holding the key into the run does not reset.
        const bool reset = _Pressed(kResetAction, m_ResetLatch);
        if (reset && m_pWorld && m_pWorld->GetRunPhase() == tvWorld::kPhaseRunning &&
            !m_pWorld->IsCountingDown())
            _ResetVehicle();
    }
    if (m_FreeMode == 1)
        return;

    const Quaternion q = vehicle->GetViewOrientation();
    Matrix r;
    MatrixRotationQuaternion(&r, &q);
    Matrix view;

    const int32_t hoodBone = m_View == kHoodView ? vehicle->GetBoneIndex(kHoodBone) : -1;
    if (hoodBone >= 0)
    {
        const Vector3 eye = vehicle->GetBoneWorldPosition(hoodBone);
        const Vector3 forward = Vector3(r(2, 0), r(2, 1), r(2, 2)) * kHoodLookLength;
        const Vector3 up(r(1, 0), r(1, 1), r(1, 2));
        const Vector3 target = eye - forward;
        MatrixLookAtLH(&view, &eye, &target, &up);
        SetPosition(eye.x, eye.y, eye.z);
    }
    else
    {
        Vector3 p = vehicle->GetViewPosition();
        // The bike's follow bone stays with the bike; a thrown rider is followed at the rag doll.
        const int32_t followBone = thrown ? -1 : vehicle->GetBoneIndex(kFollowBone);
        if (followBone >= 0)
            p = vehicle->GetBoneWorldPosition(followBone);
        Vector3 heading(-r(2, 0), 0.0f, -r(2, 2));
        Vec3Normalize(&heading, &heading);
        const float yaw = std::atan2(heading.x, heading.z);
        const float d = vehicle->GetCameraDistance();
        const Vector3 back(0.0f, kChaseUp * d, -kChaseBack * d);
        Matrix turn;
        MatrixRotationY(&turn, yaw);
        Vector3 offset;
        Vec3TransformCoord(&offset, &back, &turn);

        Vector3 eye;
        if (!thrown && Held(kLookBackAction))
        {
            eye = p + Vector3(-offset.x, offset.y, -offset.z);
        }
        else
        {
            const Vector3 goal = p + offset;
            const Vector3 delta = goal - m_Position;
            const float length = Vec3Length(delta);
            const float step = length * dt * kChaseRate;
            if (snap || length <= step)
            {
                eye = goal;
                m_Snap = false;
            }
            else
            {
                eye = m_Position + delta * (step / length);
            }
        }
        SetPosition(eye.x, eye.y, eye.z);
        const Vector3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &p, &up);
    }
    SetViewMatrix(view);
}

void tvCamera::_ResetVehicle()
{
    Tarvolin* game = Tarvolin::Instance();
    tvVehicle* vehicle = game ? game->GetPlayerVehicle() : nullptr;
    if (!vehicle || !m_pWorld)
        return;
    m_pWorld->ApplyTimePenalty();
    vehicle->SpawnRagdoll();
    SpawnPlacement::PlaceAtSpawnPoint(*m_pWorld, *vehicle);
    vehicle->StopMotion();
    if (auto* arena = dynamic_cast<tvArena*>(m_pWorld->GetVenueEntity()))
        arena->SetTokenTime(kTokenTime);
}

void tvCamera::HandleInput(float dx, float dy, float dz, bool rotate, bool pan)
{
    if (m_FreeMode != 1)
        return;
    const Matrix& v = GetComputedView();
    const Vector3 right(v(0, 0), v(1, 0), v(2, 0));
    const Vector3 up(v(0, 1), v(1, 1), v(2, 1));
    const Vector3 forward(v(0, 2), v(1, 2), v(2, 2));
    if (rotate)
    {
        const Vector3 angles = GetRotationAngles();
        SetRotationAngles(angles.x + GetInputSpeed(4) * dy * 0.01f, angles.y + GetInputSpeed(3) * dx * 0.01f,
                          angles.z);
    }
    else if (pan)
    {
        m_Position -= right * (dx * GetInputSpeed(0));
        m_Position += up * (dy * GetInputSpeed(1));
    }
    m_Position += forward * (dz * GetInputSpeed(2) * 0.5f);
    SetPosition(m_Position.x, m_Position.y, m_Position.z);
    Rotate();
}
