// The frame's render pass, the root scene list, the view frustum and the recovery of a lost device.
#include "engine/render/kaGraphicsManager.h"

#include "engine/core/kaEngineEvents.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaDrawQueue.h"
#include "engine/render/kaEffect.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaPrefetch.h"
#include "engine/render/kaScreenQuadBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxDirect3D.h"
#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Viewport.h"
#include "platform/system/ClockSource.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cmath>

using namespace platform;

namespace
{

const int32_t kDeviceLostEvent = -1;
const int32_t kDeviceResetEvent = -2;

void Notify(int32_t id)
{
    NotifyCallbacks(kaEngineEvent(id, std::string(), 0));
}

Plane MakePlane(float a, float b, float c, float d)
{
    Plane plane(a, b, c, d);
    const float length = std::sqrt(a * a + b * b + c * c);
    if (length > 0.0f)
        plane = Plane(a / length, b / length, c / length, d / length);
    return plane;
}

// Takes an object out of its parent, or out of the root list; false when it is in neither. With
// `release` the reference the parent or the list held goes too.
bool TakeOutSceneObject(std::vector<ka3DObject*>& roots, ka3DObject* object, bool release)
{
    if (!object)
        return false;
    if (ka3DObject* parent = object->GetParent())
    {
        if (release)
            parent->RemoveChild(object);
        else
            parent->DetachChild(object);
        return true;
    }
    const auto found = std::find(roots.begin(), roots.end(), object);
    if (found == roots.end())
        return false;
    // The entry goes first: the release may destroy an object whose destructor reaches the list.
    roots.erase(found);
    if (release)
        object->Release();
    return true;
}

// What projecting between the scene and the screen reads from the device.
struct ScreenTransforms
{
    Viewport viewport;
    Matrix projection;
    Matrix view;
};

ScreenTransforms ReadScreenTransforms(const GfxDevice& device)
{
    ScreenTransforms screen;
    device.GetViewport(&screen.viewport);
    device.GetTransform(TS_PROJECTION, &screen.projection);
    device.GetTransform(TS_VIEW, &screen.view);
    return screen;
}

} // namespace

// Scene objects.

bool kaGraphicsManager::AddSceneObject(ka3DObject* object, bool atFront)
{
    if (!object)
        return false;
    if (atFront)
        m_SceneObjects.insert(m_SceneObjects.begin(), object);
    else
        m_SceneObjects.push_back(object);
    object->AddRef();
    return object->InitializeHierarchy();
}

bool kaGraphicsManager::DetachSceneObject(ka3DObject* object)
{
    return TakeOutSceneObject(m_SceneObjects, object, false);
}

bool kaGraphicsManager::RemoveSceneObject(ka3DObject* object)
{
    return TakeOutSceneObject(m_SceneObjects, object, true);
}

void kaGraphicsManager::UpdateSceneObjects(float dt)
{
    // A copy holding its own references, so that an object may leave the list, and be released, while
    // the roots are updated.
    const std::vector<ka3DObject*> roots = m_SceneObjects;
    for (ka3DObject* object : roots)
        object->AddRef();
    for (ka3DObject* object : roots)
        object->Update(dt);
    for (ka3DObject* object : roots)
        object->Release();
}

void kaGraphicsManager::_ReleaseSceneObjects()
{
    std::vector<ka3DObject*> roots;
    roots.swap(m_SceneObjects);
    std::for_each(roots.begin(), roots.end(), ReleaseGraphicsObject);
}

// The render pass.

void kaGraphicsManager::Render(bool drawDebug, bool insideOuterScene)
{
    if (!m_pDevice)
        return;
    if (m_DeviceLost)
    {
        const GfxResult level = m_pDevice->TestCooperativeLevel();
        if (level == GFXERR_DEVICELOST)
        {
            // The last presented frame stays on screen.
            Sleep(0);
            return;
        }
        if (level == GFXERR_DEVICENOTRESET)
        {
            InvalidateDeviceObjects();
            if (GfxSucceeded(m_pDevice->Reset(&m_PresentParameters)))
                m_DeviceLost = false;
            RestoreDeviceObjects();
        }
    }

    // A view changed since the last frame makes every billboard face it anew in this one.
    m_RebuildBillboards = m_ViewChanged;
    m_ViewChanged = false;

    m_pDevice->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, m_ClearColor, 1.0f, 0);
    if (!insideOuterScene)
        m_pDevice->BeginScene();
    UpdateFrustum();
    SetRenderState(RS_ZWRITEENABLE, 1);
    ApplyLights();
    m_TriangleCounts[0] = 0;
    m_TriangleCounts[1] = 0;

    // Equal orders keep the order of the list. A list already in order (most frames) is not sorted again:
    // the stable sort would allocate and merge for nothing.
    std::vector<ka3DObject*> ordered = m_SceneObjects;
    const auto byOrder = [](const ka3DObject* a, const ka3DObject* b)
    { return a->GetRenderOrder() < b->GetRenderOrder(); };
    if (!std::is_sorted(ordered.begin(), ordered.end(), byOrder))
        std::stable_sort(ordered.begin(), ordered.end(), byOrder);
    for (ka3DObject* object : ordered)
        object->AddRef();
    kaDrawQueue* queue = kaDrawQueue::GetSingleton();
    if (queue)
        queue->Begin();
    _RenderRoots(ordered, insideOuterScene ? 1 : 0);
    DrawSortedDraws();
    if (queue)
        queue->Flush();
    for (ka3DObject* object : ordered)
        object->Release();
    DrawQueuedMeshes();

    if (drawDebug && m_DebugDrawing)
        DrawDebugPrimitives();
    if (!insideOuterScene)
        m_pDevice->EndScene();
    if (m_pDevice->Present() == GFXERR_DEVICELOST)
        m_DeviceLost = true;
}

void kaGraphicsManager::_RenderRoots(const std::vector<ka3DObject*>& roots, uint32_t flag)
{
    // One draw keeps the device busy long enough for a level of loads to arrive, and not so long that the
    // device's own work pushes them out again: while root i draws, root i + n is asked for its level
    // kPrefetchLevels - n. By its own turn all it reads is in the cache, where each root used to wait on a
    // chain of loads (object, mesh, subsets, render state) that the device's work of the frame had evicted.
    constexpr ptrdiff_t kLevels = ka3DObject::kPrefetchLevels;
    const ptrdiff_t count = static_cast<ptrdiff_t>(roots.size());
    for (ptrdiff_t i = -kLevels; i < count; ++i)
    {
        for (ptrdiff_t level = 0; level < kLevels; ++level)
        {
            const ptrdiff_t ahead = i + kLevels - level;
            if (ahead < 0 || ahead >= count)
                continue;
            if (level == 0)
                kaPrefetch(roots[ahead]);
            else
                roots[ahead]->PrefetchForRender(static_cast<int>(level));
        }
        if (i >= 0)
            roots[i]->Render(flag);
    }
}

void kaGraphicsManager::ApplyLights()
{
    if (!m_pDevice)
        return;
    const uint32_t limit = m_Caps.MaxActiveLights == kUnlimitedLights || m_Caps.MaxActiveLights == 0
                               ? kDefaultMaxLights
                               : m_Caps.MaxActiveLights;
    uint32_t index = 0;
    for (; index < limit && index < m_Lights.size(); ++index)
    {
        m_pDevice->SetLight(index, &m_Lights[index]->GetLight());
        m_pDevice->LightEnable(index, true);
    }
    for (; index < limit; ++index)
        m_pDevice->LightEnable(index, false);
}

void kaGraphicsManager::AddLight(kaLight* light)
{
    if (light)
        m_Lights.push_back(light);
}

void kaGraphicsManager::RemoveLight(kaLight* light)
{
    const auto found = std::find(m_Lights.begin(), m_Lights.end(), light);
    if (found != m_Lights.end())
        m_Lights.erase(found);
}

void kaGraphicsManager::SetCamera(const kaCamera* camera)
{
    if (!m_pDevice || !camera)
        return;
    m_pDevice->SetTransform(TS_PROJECTION, &camera->GetProjectionMatrix());
    m_pDevice->SetTransform(TS_VIEW, &camera->GetViewMatrix());
    UpdateFrustum();
}

// Device loss.

platform::GfxResult kaGraphicsManager::CheckDevice()
{
    if (!m_pDevice)
        return GFX_E_FAIL;
    const GfxResult level = m_pDevice->TestCooperativeLevel();
    if (level == GFXERR_DEVICELOST)
    {
        if (!m_LostNotified)
        {
            Notify(kDeviceLostEvent);
            m_LostNotified = true;
        }
        return level;
    }
    if (level == GFXERR_DEVICENOTRESET)
    {
        // Listeners release what they hold on -1 before they rebuild on -2, even when the loss was
        // never seen while it lasted.
        if (!m_LostNotified)
        {
            Notify(kDeviceLostEvent);
            m_LostNotified = true;
        }
        const GfxResult reset = ResetDevice();
        // A failed reset is no recovery: the next check tries again.
        if (GfxSucceeded(reset))
        {
            Notify(kDeviceResetEvent);
            m_LostNotified = false;
        }
        return reset;
    }
    if (GfxSucceeded(level) && m_LostNotified)
    {
        Notify(kDeviceResetEvent);
        m_LostNotified = false;
    }
    return level;
}

void kaGraphicsManager::InvalidateDeviceObjects()
{
    for (auto& entry : m_Fonts)
        entry.second->ReleaseDeviceObjects();
    if (m_pDeviceVertexBuffer)
    {
        m_pDeviceVertexBuffer->Release();
        m_pDeviceVertexBuffer = nullptr;
    }
    _DeleteSharedBuffers();
    ResetStateCache();
    for (ka3DObject* object : m_SceneObjects)
        object->InvalidateDeviceObjects();
    ReleaseDefaultPoolBuffers();
    if (kaScreenQuadBuffer* screenQuads = kaScreenQuadBuffer::GetSingleton())
        screenQuads->ReleaseForReset();
    // Effects go after the roots and come back before them, so that a root still finds its effects
    // while it releases and again while it restores.
    for (auto& entry : m_Effects)
        entry.second->ReleaseEffect();
}

void kaGraphicsManager::RestoreDeviceObjects()
{
    for (auto& entry : m_Fonts)
        entry.second->CreateDeviceObjects();
    for (auto& entry : m_Effects)
        entry.second->RecreateEffect();
    for (ka3DObject* object : m_SceneObjects)
        object->RestoreDeviceObjects();
    ReportDeviceCaps(m_PresentParameters.DeviceWindow, nullptr);
}

platform::GfxResult kaGraphicsManager::ResetDevice()
{
    if (!m_pDevice)
        return GFX_E_FAIL;
    InvalidateDeviceObjects();
    const GfxResult result = m_pDevice->Reset(&m_PresentParameters);
    if (GfxFailed(result))
    {
        DebugPrintf("[kaGraphicsManager::ResetDevice] : Reset failed with 0x%08X\n",
                    static_cast<uint32_t>(result));
        return result;
    }
    GfxSurface* backBuffer = nullptr;
    if (GfxSucceeded(m_pDevice->GetBackBuffer(0, 0, BACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer)
        backBuffer->Release();
    RestoreDeviceObjects();
    m_DeviceLost = false;
    return GFX_OK;
}

platform::GfxResult kaGraphicsManager::SwitchToWindowed(WindowHandle window)
{
    if (!m_pD3D || m_CurrentAdapter >= m_NumAdapters)
        return GFX_E_FAIL;
    auto canRunWindowed = [this](uint32_t adapter, uint32_t device)
    {
        const kaD3DAdapterInfo& info = m_Adapters[adapter];
        return device < info.numDevices && info.devices[device].canDoWindowed;
    };
    if (!canRunWindowed(m_CurrentAdapter, m_Adapters[m_CurrentAdapter].currentDevice))
    {
        bool found = false;
        for (uint32_t adapter = 0; adapter < m_NumAdapters && !found; ++adapter)
        {
            for (uint32_t device = 0; device < m_Adapters[adapter].numDevices && !found; ++device)
            {
                if (canRunWindowed(adapter, device))
                {
                    m_CurrentAdapter = adapter;
                    m_Adapters[adapter].currentDevice = device;
                    found = true;
                }
            }
        }
        if (!found)
            return GFX_E_FAIL;
    }
    kaD3DAdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
    adapter.devices[adapter.currentDevice].windowed = true;
    m_FullScreen = false;

    InvalidateDeviceObjects();
    if (m_pDevice)
    {
        const uint32_t left = m_pDevice->Release();
        m_pDevice = nullptr;
        if (left > 0)
            return kDeviceStillReferenced;
    }
    if (GfxFailed(CreateDevice(window)))
        return GFX_E_FAIL;
    RestoreDeviceObjects();
    return GFX_OK;
}

// The view frustum.

void kaGraphicsManager::_BuildFrustum(const Matrix& view, Plane (&planes)[6]) const
{
    Matrix projection;
    m_pDevice->GetTransform(TS_PROJECTION, &projection);
    const Matrix m = view * projection;
    // The fourth column plus or minus another: the clip-space tests -w <= x, y <= w and 0 <= z <= w.
    auto combine = [&m](int other, float sign)
    {
        return MakePlane(m(0, 3) + sign * m(0, other), m(1, 3) + sign * m(1, other),
                         m(2, 3) + sign * m(2, other), m(3, 3) + sign * m(3, other));
    };
    planes[0] = combine(0, -1.0f);                             // right
    planes[1] = combine(0, 1.0f);                              // left
    planes[2] = combine(1, 1.0f);                              // bottom
    planes[3] = combine(1, -1.0f);                             // top
    planes[4] = MakePlane(m(0, 2), m(1, 2), m(2, 2), m(3, 2)); // near
    planes[5] = combine(2, -1.0f);                             // far
}

void kaGraphicsManager::UpdateFrustum()
{
    if (!m_pDevice)
        return;
    Matrix view;
    m_pDevice->GetTransform(TS_VIEW, &view);
    _BuildFrustum(view, m_ViewFrustum);
    view(3, 0) = 0.0f;
    view(3, 1) = 0.0f;
    view(3, 2) = 0.0f;
    _BuildFrustum(view, m_OriginFrustum);
}

void kaGraphicsManager::UseViewFrustum()
{
    std::copy(std::begin(m_ViewFrustum), std::end(m_ViewFrustum), m_Frustum);
}

void kaGraphicsManager::UseAltFrustum()
{
    std::copy(std::begin(m_OriginFrustum), std::end(m_OriginFrustum), m_Frustum);
}

bool kaGraphicsManager::IsPointInFrustum(float x, float y, float z) const
{
    for (const Plane& plane : m_Frustum)
        if (plane.a * x + plane.b * y + plane.c * z + plane.d <= 0.0f)
            return false;
    return true;
}

int kaGraphicsManager::TestSphereInFrustum(float x, float y, float z, float radius) const
{
    bool crossing = false;
    for (const Plane& plane : m_Frustum)
    {
        const float distance = plane.a * x + plane.b * y + plane.c * z + plane.d;
        if (distance <= -radius)
            return kSphereOutside;
        if (distance < radius)
            crossing = true;
    }
    return crossing ? kSphereCrossing : kSphereInside;
}

// Projection.

platform::Vector3 kaGraphicsManager::ProjectToScreen(const Vector3& point) const
{
    Vector3 out;
    if (!m_pDevice)
        return out;
    const ScreenTransforms screen = ReadScreenTransforms(*m_pDevice);
    Vec3Project(&out, &point, &screen.viewport, &screen.projection, &screen.view, nullptr);
    return out;
}

platform::Vector3 kaGraphicsManager::UnprojectFromScreen(const Vector3& point) const
{
    Vector3 out;
    if (!m_pDevice)
        return out;
    const ScreenTransforms screen = ReadScreenTransforms(*m_pDevice);
    if (!Vec3Unproject(&out, &point, &screen.viewport, &screen.projection, &screen.view, nullptr))
        out = Vector3();
    return out;
}

void kaGraphicsManager::GetViewportSize(uint32_t& width, uint32_t& height) const
{
    Viewport viewport;
    if (m_pDevice)
        m_pDevice->GetViewport(&viewport);
    width = viewport.Width;
    height = viewport.Height;
}
