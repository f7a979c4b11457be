#include "engine/render/kaGraphicsManager.h"

#include "engine/render/DynamicIB.h"
#include "engine/render/DynamicVB.h"
#include "engine/render/StaticIB.h"
#include "engine/render/StaticVB.h"
#include "engine/render/kaBufferPool.h"
#include "engine/render/kaConfigFile.h"
#include "engine/render/kaImage.h"
#include "engine/render/kaScreenQuadBuffer.h"
#include "engine/render/kaTextureAtlas.h"
#include "engine/render/kaVertexTypes.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxDirect3D.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/system/DebugOutput.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <tuple>

using namespace platform;

kaGraphicsManager* g_pGraphicsManager = nullptr;
kaGraphicsManager::ShutdownHook kaGraphicsManager::s_ModelShutdownHook = nullptr;

namespace
{

// The formats the enumeration looks for display modes in, in this order.
const uint32_t kAdapterFormats[] = {FMT_X8R8G8B8, FMT_A8R8G8B8, FMT_A2R10G10B10,
                                    FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_R5G6B5};

struct DepthFormat
{
    uint32_t format;
    uint32_t depthBits;
    uint32_t stencilBits;
};
const DepthFormat kDepthFormats[] = {{FMT_D16, 16, 0},   {FMT_D15S1, 15, 1},   {FMT_D24X8, 24, 0},
                                     {FMT_D24S8, 24, 8}, {FMT_D24X4S4, 24, 4}, {FMT_D32, 32, 0}};

// The vertex formats that have a pooled buffer class.
const uint32_t kPooledFormats[] = {0x012, 0x042, 0x044, 0x052, 0x102, 0x202, 0x302,
                                   0x402, 0x112, 0x212, 0x312, 0x412, 0x142, 0x242,
                                   0x342, 0x442, 0x144, 0x152, 0x252, 0x352, 0x452};

kaVertexBuffer* MakeStaticVB(GfxDevice* device, uint32_t fvf, uint32_t capacity, uint32_t pool)
{
    switch (fvf)
    {
    case 0x002:
        return new StaticVB<VERTEX_WORLDPOS>(device, capacity, pool);
    case 0x012:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL>(device, capacity, pool);
    case 0x042:
        return new StaticVB<VERTEX_WORLDPOS_DIFFUSE>(device, capacity, pool);
    case 0x044:
        return new StaticVB<VERTEX_SCREENPOS_DIFFUSE>(device, capacity, pool);
    case 0x052:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE>(device, capacity, pool);
    case 0x102:
        return new StaticVB<VERTEX_WORLDPOS_UVN<1>>(device, capacity, pool);
    case 0x202:
        return new StaticVB<VERTEX_WORLDPOS_UVN<2>>(device, capacity, pool);
    case 0x302:
        return new StaticVB<VERTEX_WORLDPOS_UVN<3>>(device, capacity, pool);
    case 0x402:
        return new StaticVB<VERTEX_WORLDPOS_UVN<4>>(device, capacity, pool);
    case 0x112:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_UVN<1>>(device, capacity, pool);
    case 0x212:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_UVN<2>>(device, capacity, pool);
    case 0x312:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_UVN<3>>(device, capacity, pool);
    case 0x412:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_UVN<4>>(device, capacity, pool);
    case 0x142:
        return new StaticVB<VERTEX_WORLDPOS_DIFFUSE_UVN<1>>(device, capacity, pool);
    case 0x242:
        return new StaticVB<VERTEX_WORLDPOS_DIFFUSE_UVN<2>>(device, capacity, pool);
    case 0x342:
        return new StaticVB<VERTEX_WORLDPOS_DIFFUSE_UVN<3>>(device, capacity, pool);
    case 0x442:
        return new StaticVB<VERTEX_WORLDPOS_DIFFUSE_UVN<4>>(device, capacity, pool);
    case 0x144:
        return new StaticVB<VERTEX_SCREENPOS_DIFFUSE_UV>(device, capacity, pool);
    case 0x152:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<1>>(device, capacity, pool);
    case 0x252:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<2>>(device, capacity, pool);
    case 0x352:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<3>>(device, capacity, pool);
    case 0x452:
        return new StaticVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE_UVN<4>>(device, capacity, pool);
    default:
        return nullptr;
    }
}

bool IsPooledFormat(uint32_t fvf)
{
    return std::find(std::begin(kPooledFormats), std::end(kPooledFormats), fvf) != std::end(kPooledFormats);
}

// Higher format first, then narrower, then lower.
bool CompareDisplayModes(const DisplayMode& a, const DisplayMode& b)
{
    if (a.Format != b.Format)
        return a.Format > b.Format;
    if (a.Width != b.Width)
        return a.Width < b.Width;
    return a.Height < b.Height;
}

uint8_t ColorByte(float value)
{
    if (value >= 1.0f)
        return 255;
    if (value <= 0.0f)
        return 0;
    return static_cast<uint8_t>(value * 255.0f + 0.5f);
}

} // namespace

kaGraphicsManager::kaGraphicsManager() : m_Atlas(std::make_unique<kaTextureAtlas>())
{
    ResetStateCache();
    g_pGraphicsManager = this;
    for (uint32_t i = 0; i < kCircleSteps; ++i)
    {
        m_Sine[i] = std::sin(static_cast<float>(i) * kCircleStep);
        m_Cosine[i] = std::cos(static_cast<float>(i) * kCircleStep);
    }
}

kaGraphicsManager::~kaGraphicsManager()
{
    ReleaseAll();
    // Settings that never made a device are not saved: the file keeps what the user can still mend.
    if (m_SettingsMadeADevice)
        WriteGraphicsConfig(m_ConfigFile.c_str());
    m_DisplayModes.clear();
    if (g_pGraphicsManager == this)
        g_pGraphicsManager = nullptr;
}

void kaGraphicsManager::SetModelShutdownHook(ShutdownHook hook)
{
    s_ModelShutdownHook = hook;
}

bool kaGraphicsManager::Initialize(WindowHandle window, const char* configFile,
                                   const kaGraphicsSettings* settings, bool forceFullScreen)
{
    if (configFile && *configFile)
    {
        m_ConfigFile = configFile;
        if (ReadGraphicsConfigFile(configFile))
            DebugPrintf("[ kaGraphicsManager::Initialize ] : Settings loaded from file %s\n", configFile);
        else
            DebugPrintf("[ kaGraphicsManager::Initialize ] : Unable to load settings from file %s\n",
                        configFile);
    }
    else if (settings)
    {
        m_DisplayWidth = settings->displayWidth;
        m_DisplayHeight = settings->displayHeight;
        m_ScreenWidth = settings->screenWidth;
        m_ScreenHeight = settings->screenHeight;
        m_BitsPerPixel = settings->bitsPerPixel;
        m_Hardware = settings->hardware;
        m_FullScreen = settings->fullScreen;
        m_DisplayDriver = settings->displayDriver;
        m_FilterName = settings->filtering;
        m_DetailLevel = settings->detailLevel;
        m_EnableDepthStencil = settings->enableDepthStencil;
        m_DepthStencilFormatName = settings->depthStencilFormat;
    }
    if (forceFullScreen)
        m_FullScreen = true;

    m_pD3D = CreateDirect3D(GFX_SDK_VERSION);
    if (!m_pD3D)
        return false;
    if (!m_SkipEnumeration)
    {
        _KeepListedSize(m_DisplayWidth, m_DisplayHeight, "FSDisplayWidth/FSDisplayHeight");
        _KeepListedSize(m_ScreenWidth, m_ScreenHeight, "FS3DDisplayWidth/FS3DDisplayHeight");
    }
    m_CurrentWidth = m_DisplayWidth;
    m_CurrentHeight = m_DisplayHeight;
    if (!m_SkipEnumeration)
        BuildDeviceList();

    m_WindowedStyle = kWindowedStyle;
    m_WindowStyle = m_FullScreen ? kFullScreenStyle : m_WindowedStyle;
    ChooseBackBufferFormat();
    CreateDevice(window);
    ReportDeviceCaps(window, settings);
    if (!m_SkipSystemFont)
        LoadFontFile(kSystemFace, kSystemFontSize, kSystemFont);

    if (configFile && *configFile)
        ReadFontConfig(configFile);
    // Without a device nothing can be drawn: the caller must not carry on as if it could.
    if (!m_pDevice)
    {
        DebugPrintf("[ kaGraphicsManager::Initialize ] : no Direct3D device could be made\n");
        return false;
    }
    return true;
}

bool kaGraphicsManager::_IsUsableSize(uint32_t width, uint32_t height) const
{
    if (width == 0 || height == 0)
        return false;
    const uint32_t adapterCount = std::min(m_pD3D->GetAdapterCount(), kMaxAdapters);
    for (uint32_t adapter = 0; adapter < adapterCount; ++adapter)
    {
        for (uint32_t format : kAdapterFormats)
        {
            const uint32_t modeCount = m_pD3D->GetAdapterModeCount(adapter, format);
            for (uint32_t i = 0; i < modeCount; ++i)
            {
                DisplayMode mode;
                if (GfxFailed(m_pD3D->EnumAdapterModes(adapter, format, i, &mode)))
                    continue;
                if (m_FullScreen ? mode.Width == width && mode.Height == height
                                 : mode.Width >= width && mode.Height >= height)
                    return true;
            }
        }
    }
    return false;
}

void kaGraphicsManager::_KeepListedSize(uint32_t& width, uint32_t& height, const char* keys) const
{
    if (_IsUsableSize(width, height))
        return;
    DebugPrintf("[ kaGraphicsManager::Initialize ] : no display mode fits %ux%u (%s); using %ux%u\n", width,
                height, keys, kDefaultWidth, kDefaultHeight);
    width = kDefaultWidth;
    height = kDefaultHeight;
}

platform::GfxResult kaGraphicsManager::ConfirmDevice(const GfxCaps& caps, uint32_t behavior,
                                                     uint32_t /*format*/)
{
    if (behavior & CREATE_PUREDEVICE)
        return GFX_E_FAIL;
    if (behavior & (CREATE_HARDWARE_VERTEXPROCESSING | CREATE_MIXED_VERTEXPROCESSING))
        return (caps.VertexProcessingCaps & VTXPCAPS_DIRECTIONALLIGHTS) ? GFX_OK : GFX_E_FAIL;
    return GFX_OK;
}

bool kaGraphicsManager::IsDeviceTypeSupported(uint32_t adapter, uint32_t displayFormat,
                                              uint32_t backBufferFormat, bool windowed) const
{
    return m_pD3D && GfxSucceeded(m_pD3D->CheckDeviceType(adapter, DEVTYPE_HAL, displayFormat,
                                                          backBufferFormat, windowed));
}

bool kaGraphicsManager::FindDepthStencilFormat(uint32_t adapter, uint32_t deviceType, uint32_t targetFormat,
                                               uint32_t& format) const
{
    if (!m_pD3D)
        return false;
    for (const DepthFormat& candidate : kDepthFormats)
    {
        if (m_MinDepthBits > candidate.depthBits || m_MinStencilBits > candidate.stencilBits)
            continue;
        if (GfxSucceeded(m_pD3D->CheckDeviceFormat(adapter, deviceType, targetFormat, USAGE_DEPTHSTENCIL,
                                                   RTYPE_SURFACE, candidate.format)) &&
            GfxSucceeded(m_pD3D->CheckDepthStencilMatch(adapter, deviceType, targetFormat, targetFormat,
                                                        candidate.format)))
        {
            format = candidate.format;
            return true;
        }
    }
    return false;
}

platform::GfxResult kaGraphicsManager::ChooseBackBufferFormat()
{
    static const uint32_t k32[] = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_A2R10G10B10};
    static const uint32_t k16[] = {FMT_A1R5G5B5, FMT_X1R5G5B5, FMT_R5G6B5};
    auto tryFormats = [this](const uint32_t* formats, size_t count)
    {
        for (size_t i = 0; i < count; ++i)
        {
            m_DisplayFormat = formats[i];
            m_BackBufferFormat = formats[i];
            if (IsDeviceTypeSupported(0, formats[i], formats[i], false))
                return true;
        }
        return false;
    };
    if (m_BitsPerPixel == 32)
    {
        if (tryFormats(k32, std::size(k32)))
            return GFX_OK;
        m_BitsPerPixel = 16;
    }
    return tryFormats(k16, std::size(k16)) ? GFX_OK : GFX_E_FAIL;
}

platform::GfxResult kaGraphicsManager::BuildDeviceList()
{
    if (!m_pD3D)
        return GFX_E_FAIL;
    m_NumAdapters = 0;
    // A second enumeration lists the modes afresh.
    m_DisplayModes.clear();
    const uint32_t adapterCount = std::min(m_pD3D->GetAdapterCount(), kMaxAdapters);
    for (uint32_t adapter = 0; adapter < adapterCount; ++adapter)
    {
        kaD3DAdapterInfo& info = m_Adapters[m_NumAdapters];
        info = kaD3DAdapterInfo();
        info.ordinal = adapter;
        m_pD3D->GetAdapterIdentifier(adapter, 0, &info.identifier);
        m_pD3D->GetAdapterDisplayMode(adapter, &info.desktopMode);

        std::vector<DisplayMode> modes;
        std::vector<uint32_t> formats;
        for (uint32_t format : kAdapterFormats)
        {
            const uint32_t modeCount = m_pD3D->GetAdapterModeCount(adapter, format);
            if (modeCount == 0 || formats.size() >= kMaxWorkFormats)
                continue;
            formats.push_back(format);
            for (uint32_t i = 0; i < modeCount; ++i)
            {
                DisplayMode mode;
                if (GfxFailed(m_pD3D->EnumAdapterModes(adapter, format, i, &mode)))
                    continue;
                if (mode.Width < kMinModeWidth || mode.Height < kMinModeHeight)
                    continue;
                const bool known = std::any_of(modes.begin(), modes.end(),
                                               [&](const DisplayMode& kept) {
                                                   return kept.Width == mode.Width &&
                                                          kept.Height == mode.Height &&
                                                          kept.Format == mode.Format;
                                               });
                if (known || modes.size() >= kMaxWorkModes)
                    continue;
                modes.push_back(mode);
                m_DisplayModes.emplace_back(
                    new kaDisplayMode{mode.Width, mode.Height, mode.RefreshRate, mode.Format});
            }
        }
        if (modes.empty())
            return GFX_E_FAIL;
        std::sort(modes.begin(), modes.end(), CompareDisplayModes);

        kaD3DDeviceInfo& device = info.devices[0];
        device.deviceType = DEVTYPE_HAL;
        device.description = "HAL";
        m_pD3D->GetDeviceCaps(adapter, DEVTYPE_HAL, &device.caps);

        std::vector<bool> confirmed(formats.size(), false);
        std::vector<uint32_t> behaviors(formats.size(), 0);
        std::vector<uint32_t> depthFormats(formats.size(), FMT_UNKNOWN);
        const bool hardwareTnl = (device.caps.DevCaps & DEVCAPS_HWTRANSFORMANDLIGHT) != 0;
        const bool pure = (device.caps.DevCaps & DEVCAPS_PUREDEVICE) != 0;
        for (size_t f = 0; f < formats.size(); ++f)
        {
            if (GfxFailed(m_pD3D->CheckDeviceType(adapter, DEVTYPE_HAL, formats[f], formats[f], false)))
                continue;
            std::vector<uint32_t> candidates;
            if (hardwareTnl && pure)
                candidates.push_back(CREATE_PUREDEVICE | CREATE_HARDWARE_VERTEXPROCESSING);
            if (hardwareTnl)
            {
                candidates.push_back(CREATE_HARDWARE_VERTEXPROCESSING);
                candidates.push_back(CREATE_MIXED_VERTEXPROCESSING);
            }
            candidates.push_back(CREATE_SOFTWARE_VERTEXPROCESSING);
            for (uint32_t behavior : candidates)
            {
                if (GfxFailed(ConfirmDevice(device.caps, behavior, formats[f])))
                    continue;
                behaviors[f] = behavior;
                confirmed[f] = !m_UseDepthBuffer ||
                               FindDepthStencilFormat(adapter, DEVTYPE_HAL, formats[f], depthFormats[f]);
                break;
            }
        }

        for (const DisplayMode& mode : modes)
        {
            const size_t f = std::find(formats.begin(), formats.end(), mode.Format) - formats.begin();
            if (f >= formats.size() || !confirmed[f] || device.numModes >= kaD3DDeviceInfo::kMaxModes)
                continue;
            device.modes[device.numModes++] = {mode.Width, mode.Height, mode.Format, behaviors[f],
                                               depthFormats[f]};
        }
        for (uint32_t m = 0; m < device.numModes; ++m)
        {
            const kaD3DModeInfo& mode = device.modes[m];
            if (mode.width == m_DisplayWidth && mode.height == m_DisplayHeight)
            {
                device.currentMode = m;
                if (mode.format == formats[0])
                    break;
            }
        }
        device.canDoWindowed = confirmed[0];
        if (device.numModes > 0)
        {
            info.numDevices = 1;
            ++m_NumAdapters;
        }
    }

    if (m_NumAdapters == 0)
        return kNoUsableAdapter;
    for (uint32_t adapter = 0; adapter < m_NumAdapters; ++adapter)
    {
        kaD3DAdapterInfo& info = m_Adapters[adapter];
        for (uint32_t d = 0; d < info.numDevices; ++d)
        {
            kaD3DDeviceInfo& device = info.devices[d];
            if (!m_FullScreen && !device.canDoWindowed)
                continue;
            device.windowed = !m_FullScreen;
            info.currentDevice = d;
            m_CurrentAdapter = adapter;
            return GFX_OK;
        }
    }
    return GFXERR_INVALIDDEVICE;
}

void kaGraphicsManager::_PlaceWindow(WindowHandle window) const
{
    if (!window || !m_pD3D)
        return;
    // The desktop is the adapter's desktop mode; the window is centred on it at the configured size,
    // then grown so that its client area, not its frame, has that size.
    DisplayMode desktop;
    m_pD3D->GetAdapterDisplayMode(m_Adapters[m_CurrentAdapter].ordinal, &desktop);
    const int width = static_cast<int>(m_DisplayWidth);
    const int height = static_cast<int>(m_DisplayHeight);
    const int x = (static_cast<int>(desktop.Width) - width) / 2;
    const int y = (static_cast<int>(desktop.Height) - height) / 2;
    MoveWindow(window, x, y, width, height, true);
    ShowWindow(window, SW_SHOW);

    Rect client;
    Rect frame;
    if (!GetClientRect(window, client) || !GetWindowRect(window, frame))
        return;
    const int frameWidth = (frame.right - frame.left) - (client.right - client.left);
    const int frameHeight = (frame.bottom - frame.top) - (client.bottom - client.top);
    MoveWindow(window, frame.left, frame.top, width + frameWidth, height + frameHeight, true);
}

platform::GfxResult kaGraphicsManager::CreateDevice(WindowHandle window)
{
    if (!m_pD3D || m_CurrentAdapter >= m_NumAdapters)
        return GFX_E_FAIL;
    const kaD3DAdapterInfo& adapter = m_Adapters[m_CurrentAdapter];
    if (adapter.currentDevice >= adapter.numDevices)
        return GFX_E_FAIL;
    const kaD3DDeviceInfo& device = adapter.devices[adapter.currentDevice];
    if (device.currentMode >= device.numModes)
        return GFX_E_FAIL;
    const kaD3DModeInfo& mode = device.modes[device.currentMode];

    if (device.windowed)
        _PlaceWindow(window);

    m_PresentParameters = PresentParameters();
    m_PresentParameters.BackBufferWidth = m_DisplayWidth;
    m_PresentParameters.BackBufferHeight = m_DisplayHeight;
    m_PresentParameters.BackBufferFormat = device.windowed ? adapter.desktopMode.Format : m_DisplayFormat;
    m_PresentParameters.BackBufferCount = 1;
    m_PresentParameters.MultiSampleType =
        device.windowed ? device.windowedMultiSample : device.fullScreenMultiSample;
    m_PresentParameters.SwapEffect = SWAPEFFECT_DISCARD;
    m_PresentParameters.DeviceWindow = window;
    m_PresentParameters.Windowed = device.windowed;
    m_PresentParameters.EnableAutoDepthStencil = m_UseDepthBuffer;
    m_PresentParameters.AutoDepthStencilFormat = mode.depthStencilFormat;

    GfxDevice* created = nullptr;
    const GfxResult result = m_pD3D->CreateDevice(adapter.ordinal, device.deviceType, window, mode.behavior,
                                                  &m_PresentParameters, &created);
    if (GfxFailed(result) || !created)
    {
        if (created)
            created->Release();
        m_pDevice = nullptr;
        return GfxFailed(result) ? result : GFX_E_FAIL;
    }
    m_pDevice = created;
    m_SettingsMadeADevice = true;
    // A new device holds none of what the cache's users last sent to another.
    m_MaterialKnown = false;
    ++s_StateChanges;
    Matrix identity;
    MatrixIdentity(&identity);
    m_pDevice->SetTransform(TS_VIEW, &identity);
    m_pDevice->SetSoftwareVertexProcessing(false);
    m_pDevice->GetDeviceCaps(&m_Caps);
    m_BehaviorFlags = mode.behavior;
    m_DisplayFormat = mode.format;
    m_DeviceType = device.deviceType;
    m_BackBufferFormat = m_PresentParameters.BackBufferFormat;
    return GFX_OK;
}

void kaGraphicsManager::ReportDeviceCaps(WindowHandle /*window*/, const kaGraphicsSettings* /*settings*/)
{
    if (!m_pDevice)
        return;
    SetRenderState(RS_LIGHTING, 0);
    SetRenderState(RS_LOCALVIEWER, 0);
    SetRenderState(RS_AMBIENT, ToColor(m_Ambient[0], m_Ambient[1], m_Ambient[2], m_Ambient[3]));

    // The default camera's projection: a quarter-turn field of view at 4:3 from 0.25 to 2000.
    Matrix projection;
    MatrixPerspectiveFovLH(&projection, 0.7853982f, 1.3333334f, 0.25f, 2000.0f);
    m_pDevice->SetTransform(TS_PROJECTION, &projection);

    SetRenderState(RS_ZENABLE, m_DepthMode == 1 ? ZB_TRUE : m_DepthMode == 2 ? ZB_USEW : ZB_FALSE);

    m_pDevice->GetDeviceCaps(&m_Caps);
    const uint64_t fromPrimitives = static_cast<uint64_t>(m_Caps.MaxPrimitiveCount) * 3;
    m_MaxVertexCount = static_cast<uint32_t>(
        std::min<uint64_t>({fromPrimitives, 65536, static_cast<uint64_t>(m_Caps.MaxVertexIndex)}));
    DebugPrintf("MAXVERTS is = %u\n", m_MaxVertexCount);
    m_MaxVertexBufferBytes = m_MaxVertexCount * kBytesPerMaxVertex;
    DebugPrintf("MaxVertexBufferBytes is = %u\n", m_MaxVertexBufferBytes);
    m_MaxIndexBufferBytes = kMaxIndexBufferBytes;
    DebugPrintf("MaxIndexBufferBytes is = %u\n", m_MaxIndexBufferBytes);
    if (m_Caps.MaxActiveLights == kUnlimitedLights)
        m_Caps.MaxActiveLights = kDefaultMaxLights;

    CreateDynamicBuffers();
    CreateLineBuffer();

    if (m_pDeviceVertexBuffer)
    {
        m_pDeviceVertexBuffer->Release();
        m_pDeviceVertexBuffer = nullptr;
    }
    if (GfxFailed(m_pDevice->CreateVertexBuffer(kDeviceVertexBufferBytes, USAGE_DYNAMIC | USAGE_WRITEONLY, 0,
                                                POOL_DEFAULT, &m_pDeviceVertexBuffer)))
        m_pDeviceVertexBuffer = nullptr;
}

void kaGraphicsManager::CreateDynamicBuffers()
{
    _UnlockSharedBatch();
    for (int i = 0; i < 2; ++i)
    {
        m_DynamicVB[i].reset(new DynamicVB<VERTEX_WORLDPOS_NORMAL_DIFFUSE_UV>(
            m_pDevice, kSharedBufferBytes / sizeof(VERTEX_WORLDPOS_NORMAL_DIFFUSE_UV)));
        m_DynamicIB[i].reset(
            new DynamicIB<unsigned short>(m_pDevice, kSharedBufferBytes / sizeof(unsigned short)));
    }
    if (kaScreenQuadBuffer* screenQuads = kaScreenQuadBuffer::GetSingleton())
        screenQuads->CreateBuffer(m_pDevice);
}

void kaGraphicsManager::CreateLineBuffer()
{
    m_LineBuffer.reset(new DynamicVB<VERTEX_WORLDPOS_DIFFUSE>(
        m_pDevice, kSharedBufferBytes / sizeof(VERTEX_WORLDPOS_DIFFUSE)));
}

void kaGraphicsManager::_DeleteSharedBuffers()
{
    _UnlockSharedBatch();
    for (int i = 0; i < 2; ++i)
    {
        m_DynamicVB[i].reset();
        m_DynamicIB[i].reset();
    }
    m_LineBuffer.reset();
}

kaVertexBuffer* kaGraphicsManager::GetDynamicVertexBuffer(uint32_t which) const
{
    return which < 2 ? m_DynamicVB[which].get() : nullptr;
}

kaIndexBuffer* kaGraphicsManager::GetDynamicIndexBuffer(uint32_t which) const
{
    return which < 2 ? m_DynamicIB[which].get() : nullptr;
}

void kaGraphicsManager::ReleaseAll()
{
    if (m_pDeviceVertexBuffer)
    {
        m_pDeviceVertexBuffer->Release();
        m_pDeviceVertexBuffer = nullptr;
    }
    if (s_ModelShutdownHook)
        s_ModelShutdownHook();
    _ReleaseSceneObjects();
    _DeleteSharedBuffers();
    if (kaScreenQuadBuffer* screenQuads = kaScreenQuadBuffer::GetSingleton())
        screenQuads->ReleaseAll();
    m_DebugPrimitives.clear();
    m_QueuedMeshDraws.clear();
    m_SortedDraws.clear();
    // Fonts hand their glyph pages back before the texture table is emptied.
    ReleaseAllFonts();
    _ReleaseSharedResources();
    // Pool buffers are device objects too: they go before the device.
    m_VertexPools.clear();
    m_IndexPools.clear();
    for (CachedPool* cache : {m_CachedVertexPools, m_CachedIndexPools})
        std::fill(cache, cache + kCachedPools, CachedPool());
    m_VertexRooms.clear();
    m_IndexRooms.clear();
    if (m_pDevice)
    {
        m_pDevice->Release();
        m_pDevice = nullptr;
    }
    if (m_pD3D)
    {
        m_pD3D->Release();
        m_pD3D = nullptr;
    }
}

void kaGraphicsManager::GetDisplayModeSize(uint32_t& width, uint32_t& height) const
{
    DisplayMode mode;
    if (m_pD3D && m_NumAdapters > 0)
        m_pD3D->GetAdapterDisplayMode(m_Adapters[m_CurrentAdapter].ordinal, &mode);
    width = mode.Width;
    height = mode.Height;
}

// Configuration.

void kaGraphicsManager::ReadGraphicsConfig(const std::string& line)
{
    size_t pos = 0;
    std::string key;
    if (!kaConfigFile::NextToken(line, pos, kaConfigFile::kNumberDelimiters, key))
        return;
    auto is = [&key](const char* name) { return kaConfigFile::EqualsNoCase(key, name); };
    std::string value;
    auto number = [&](uint32_t& target)
    {
        if (kaConfigFile::NextToken(line, pos, kaConfigFile::kNumberDelimiters, value))
            target = kaConfigFile::ParseNumber(value);
    };
    auto flag = [&](bool& target)
    {
        if (kaConfigFile::NextToken(line, pos, kaConfigFile::kNumberDelimiters, value))
            target = kaConfigFile::ParseNumber(value) != 0;
    };
    auto text = [&](std::string& target)
    {
        if (kaConfigFile::NextToken(line, pos, kaConfigFile::kTextDelimiters, value))
            target = value;
    };

    if (is("3DHardware"))
        flag(m_Hardware);
    else if (is("FullScreen"))
        flag(m_FullScreen);
    else if (is("FSDisplayWidth"))
        number(m_DisplayWidth);
    else if (is("FSDisplayHeight"))
        number(m_DisplayHeight);
    else if (is("FS3DDisplayWidth"))
        number(m_ScreenWidth);
    else if (is("FS3DDisplayHeight"))
        number(m_ScreenHeight);
    else if (is("BitsPerPixel"))
        number(m_BitsPerPixel);
    else if (is("GfxDetail"))
    {
        if (kaConfigFile::NextToken(line, pos, kaConfigFile::kTextDelimiters, value))
            m_DetailLevel = kaConfigFile::ParseNumber(value);
    }
    else if (is("MagMinFiltering"))
        text(m_FilterName);
    else if (is("EnableDepthStencil"))
        flag(m_EnableDepthStencil);
    else if (is("DepthStencilFormat"))
        text(m_DepthStencilFormatName);
    else if (is("DisplayDriver"))
        text(m_DisplayDriver);
    else if (is("LoadFont"))
    {
        std::string name;
        std::string file;
        if (kaConfigFile::NextToken(line, pos, kaConfigFile::kNumberDelimiters, name) &&
            kaConfigFile::NextToken(line, pos, kaConfigFile::kTextDelimiters, file))
            LoadFont(file, name);
    }
}

bool kaGraphicsManager::ReadGraphicsConfigFile(const char* fileName)
{
    if (!fileName || !*fileName)
        return false;
    return kaConfigFile::ReadSection(fileName, kBeginGraphics, kEndGraphics,
                                     [this](const std::string& line) { ReadGraphicsConfig(line); });
}

void kaGraphicsManager::ReadFontConfig(const char* fileName)
{
    if (!fileName || !*fileName)
        return;
    kaConfigFile::ReadSection(fileName, kBeginFonts, kEndFonts,
                              [this](const std::string& line) { ReadGraphicsConfig(line); });
}

std::string kaGraphicsManager::FormatGraphicsConfig() const
{
    auto line = [](const char* key, const std::string& value)
    { return std::string(key) + "=" + value + "\n"; };
    auto number = [](uint32_t value) { return std::to_string(value); };
    auto flag = [](bool value) { return std::string(value ? "1" : "0"); };
    return line("3DHardware", flag(m_Hardware)) + line("FullScreen", flag(m_FullScreen)) +
           line("FSDisplayWidth", number(m_CurrentWidth)) + line("FSDisplayHeight", number(m_CurrentHeight)) +
           line("FS3DDisplayWidth", number(m_CurrentWidth)) +
           line("FS3DDisplayHeight", number(m_CurrentHeight)) + line("BitsPerPixel", number(m_BitsPerPixel)) +
           line("GfxDetail", number(m_DetailLevel)) + line("MagMinFiltering", m_FilterName) +
           line("EnableDepthStencil", flag(m_EnableDepthStencil)) +
           line("DepthStencilFormat", m_DepthStencilFormatName) + line("DisplayDriver", "Default");
}

bool kaGraphicsManager::WriteGraphicsConfig(const char* fileName)
{
    if (!fileName || !*fileName)
        return false;
    return kaConfigFile::WriteSection(fileName, kBeginGraphics, kEndGraphics, FormatGraphicsConfig());
}

// State cache.

void kaGraphicsManager::ResetStateCache()
{
    m_StateCache.Reset(m_DepthMode);
    m_MaterialKnown = false;
    ++s_StateChanges;
}

platform::GfxColor kaGraphicsManager::ToColor(float red, float green, float blue, float alpha)
{
    return static_cast<GfxColor>(ColorByte(alpha)) << 24 | static_cast<GfxColor>(ColorByte(red)) << 16 |
           static_cast<GfxColor>(ColorByte(green)) << 8 | ColorByte(blue);
}

bool kaGraphicsManager::SetRenderState(uint32_t state, uint32_t value)
{
    // Without a device the cache must keep describing the device, not the request.
    if (!m_pDevice)
        return false;
    if (uint32_t* cached = m_StateCache.FindRenderState(state))
    {
        if (*cached == value)
            return true;
        *cached = value;
    }
    ++s_StateChanges;
    return GfxSucceeded(m_pDevice->SetRenderState(state, value));
}

bool kaGraphicsManager::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value)
{
    if (!m_pDevice)
        return false;
    if (uint32_t* cached = m_StateCache.FindTextureStageState(stage, state))
    {
        if (*cached == value)
            return true;
        *cached = value;
    }
    ++s_StateChanges;
    return GfxSucceeded(m_pDevice->SetTextureStageState(stage, state, value));
}

bool kaGraphicsManager::SetSamplerState(uint32_t sampler, uint32_t state, uint32_t value)
{
    if (!m_pDevice)
        return false;
    if (uint32_t* cached = m_StateCache.FindSamplerState(sampler, state))
    {
        if (*cached == value)
            return true;
        *cached = value;
    }
    ++s_StateChanges;
    return GfxSucceeded(m_pDevice->SetSamplerState(sampler, state, value));
}

void kaGraphicsManager::SetTexture(uint32_t stage, GfxBaseTexture* texture)
{
    if (!m_pDevice)
        return;
    if (GfxBaseTexture** cached = m_StateCache.FindTexture(stage))
    {
        if (*cached == texture)
            return;
        *cached = texture;
    }
    ++s_StateChanges;
    m_pDevice->SetTexture(stage, texture);
}

void kaGraphicsManager::ForgetTexture(const GfxBaseTexture* texture)
{
    if (texture)
    {
        m_StateCache.ForgetTexture(texture);
        ++s_StateChanges;
    }
}

void kaGraphicsManager::SetMaterial(const Material& material)
{
    if (!m_pDevice)
        return;
    if (m_MaterialKnown && std::memcmp(&m_Material, &material, sizeof material) == 0)
        return;
    m_Material = material;
    m_MaterialKnown = true;
    ++s_StateChanges;
    m_pDevice->SetMaterial(&material);
}

void kaGraphicsManager::SetFVF(uint32_t fvf)
{
    if (!m_pDevice)
        return;
    m_pDevice->SetVertexShader(nullptr);
    m_pDevice->SetFVF(fvf);
}

void kaGraphicsManager::SetZBufferEnable(bool enable)
{
    if (enable && (m_DepthMode == 1 || m_DepthMode == 2))
    {
        SetRenderState(RS_ZENABLE, m_DepthMode == 1 ? ZB_TRUE : ZB_USEW);
        return;
    }
    // Sent only when the device is believed to test depth; the cache then records the change.
    const uint32_t* cached = m_StateCache.FindRenderState(RS_ZENABLE);
    if (cached && *cached != 0)
        SetRenderState(RS_ZENABLE, ZB_FALSE);
}

void kaGraphicsManager::SetAmbientColor(float red, float green, float blue, float alpha)
{
    m_Ambient[0] = red;
    m_Ambient[1] = green;
    m_Ambient[2] = blue;
    m_Ambient[3] = alpha;
    SetRenderState(RS_AMBIENT, ToColor(red, green, blue, alpha));
}

// Shared batch.

bool kaGraphicsManager::BeginSharedBatch(uint32_t vertexCount, uint32_t triangleCount, const Matrix* world,
                                         uint32_t vertexLockFlags, uint32_t indexLockFlags)
{
    kaVertexBuffer* vertices = m_DynamicVB[1].get();
    kaIndexBuffer* indices = m_DynamicIB[1].get();
    const uint64_t indexCount = static_cast<uint64_t>(triangleCount) * 3;
    if (!m_pDevice || !vertices || !indices || vertices->GetCapacity() < vertexCount ||
        indices->GetCapacity() < indexCount)
        return false;
    _UnlockSharedBatch();
    uint32_t start = 0;
    uint32_t count = vertexCount;
    m_pBatchVertices = static_cast<uint8_t*>(vertices->Lock(count, start, vertexLockFlags));
    count = static_cast<uint32_t>(indexCount);
    m_pBatchIndices = static_cast<uint16_t*>(indices->Lock(count, start, indexLockFlags));
    if (!m_pBatchVertices || !m_pBatchIndices)
    {
        _UnlockSharedBatch();
        return false;
    }
    m_BatchVertexCount = vertexCount;
    m_BatchIndexCount = static_cast<uint32_t>(indexCount);
    if (world)
        m_pDevice->SetTransform(TS_WORLD, world);
    return true;
}

void kaGraphicsManager::WriteSharedBatch(uint32_t start, uint32_t vertexCount, const float* positions,
                                         const float* normals, const float* colors, const float* texCoords,
                                         const uint16_t* indices, uint32_t triangleCount)
{
    if (m_pBatchVertices && positions && normals && colors && texCoords && start <= m_BatchVertexCount)
    {
        const uint32_t count = std::min(vertexCount, m_BatchVertexCount - start);
        for (uint32_t i = 0; i < count; ++i)
        {
            VERTEX_WORLDPOS_NORMAL_DIFFUSE_UV vertex;
            vertex.x = positions[i * 3];
            vertex.y = positions[i * 3 + 1];
            vertex.z = positions[i * 3 + 2];
            vertex.nx = normals[i * 3];
            vertex.ny = normals[i * 3 + 1];
            vertex.nz = normals[i * 3 + 2];
            vertex.diffuse = ToColor(colors[i * 4], colors[i * 4 + 1], colors[i * 4 + 2], colors[i * 4 + 3]);
            vertex.tex.uv[0][0] = texCoords[i * 2];
            vertex.tex.uv[0][1] = texCoords[i * 2 + 1];
            std::memcpy(m_pBatchVertices + static_cast<size_t>(start + i) * sizeof(vertex), &vertex,
                        sizeof(vertex));
        }
    }
    if (m_pBatchIndices && indices)
    {
        const uint64_t count =
            std::min<uint64_t>(static_cast<uint64_t>(triangleCount) * 3, m_BatchIndexCount);
        std::memcpy(m_pBatchIndices, indices, static_cast<size_t>(count) * sizeof(uint16_t));
    }
}

void kaGraphicsManager::DrawSharedBatch(uint32_t baseVertex, uint32_t vertexCount, uint32_t startIndex,
                                        uint32_t triangleCount)
{
    kaVertexBuffer* vertices = m_DynamicVB[1].get();
    kaIndexBuffer* indices = m_DynamicIB[1].get();
    if (!m_pDevice || !vertices || !indices)
        return;
    // The device draws from unlocked buffers only.
    _UnlockSharedBatch();
    m_pDevice->SetVertexShader(nullptr);
    m_pDevice->SetFVF(vertices->GetFVF());
    m_pDevice->SetStreamSource(0, vertices->GetD3DBuffer(), 0, vertices->GetStride());
    m_pDevice->SetIndices(indices->GetD3DBuffer());
    m_pDevice->DrawIndexedPrimitive(PT_TRIANGLELIST, static_cast<int32_t>(baseVertex), 0, vertexCount,
                                    startIndex, triangleCount);
}

void kaGraphicsManager::EndSharedBatch()
{
    _UnlockSharedBatch();
    if (kaVertexBuffer* vertices = m_DynamicVB[1].get())
    {
        vertices->Discard();
        vertices->Seek(0);
    }
    if (kaIndexBuffer* indices = m_DynamicIB[1].get())
        indices->Seek(0);
}

void kaGraphicsManager::_UnlockSharedBatch()
{
    if (m_pBatchVertices && m_DynamicVB[1])
        m_DynamicVB[1]->Unlock();
    if (m_pBatchIndices && m_DynamicIB[1])
        m_DynamicIB[1]->Unlock();
    m_pBatchVertices = nullptr;
    m_pBatchIndices = nullptr;
    m_BatchVertexCount = 0;
    m_BatchIndexCount = 0;
}

// Format queries.

bool kaGraphicsManager::IsTextureFormatSupported(uint32_t format) const
{
    if (!m_pD3D)
        return false;
    const uint32_t adapter = m_NumAdapters > 0 ? m_Adapters[m_CurrentAdapter].ordinal : 0;
    return GfxSucceeded(
        m_pD3D->CheckDeviceFormat(adapter, m_DeviceType, m_DisplayFormat, 0, RTYPE_TEXTURE, format));
}

bool kaGraphicsManager::AreCompressedTexturesSupported() const
{
    for (uint32_t format : {FMT_DXT1, FMT_DXT2, FMT_DXT3, FMT_DXT4, FMT_DXT5})
        if (IsTextureFormatSupported(format))
            return true;
    return false;
}

uint32_t kaGraphicsManager::ChooseTextureFormat(uint32_t bitsPerTexel, uint32_t alphaBits) const
{
    if (!m_pD3D)
        return 0;
    const uint32_t display = m_DisplayFormat;
    const bool display32 = display == FMT_A8R8G8B8 || display == FMT_X8R8G8B8;
    const bool display16 = display == FMT_R5G6B5 || display == FMT_X1R5G5B5 || display == FMT_A1R5G5B5 ||
                           display == FMT_A4R4G4B4;
    if (!display32 && !display16)
        return 0;

    auto firstSupported = [this](std::initializer_list<uint32_t> formats) -> uint32_t
    {
        for (uint32_t format : formats)
            if (IsTextureFormatSupported(format))
                return format;
        return 0;
    };
    auto alphaOnly = [&]() -> uint32_t { return IsTextureFormatSupported(FMT_A8) ? FMT_A8 : FMT_A8R8G8B8; };

    if (bitsPerTexel == 8)
        return alphaOnly();

    if (display32 && (bitsPerTexel == 24 || bitsPerTexel == 32))
    {
        if (alphaBits == 0)
            return IsTextureFormatSupported(FMT_X8R8G8B8) ? FMT_X8R8G8B8 : FMT_A8R8G8B8;
        return IsTextureFormatSupported(FMT_A8R8G8B8) ? FMT_A8R8G8B8 : FMT_X8R8G8B8;
    }
    if (display32 && bitsPerTexel == 16)
    {
        uint32_t format = 0;
        if (alphaBits >= 2)
            format = firstSupported({FMT_A4R4G4B4});
        else if (alphaBits == 1)
            format = firstSupported({FMT_A1R5G5B5, FMT_A4R4G4B4, FMT_R5G6B5, FMT_X1R5G5B5});
        else
            format = firstSupported({FMT_R5G6B5, FMT_X1R5G5B5});
        return format ? format : alphaOnly();
    }

    // A 16-bit display, or a texel size a 32-bit display has no rule for.
    uint32_t format = 0;
    if (alphaBits == 1)
        format = firstSupported({FMT_A1R5G5B5, FMT_A4R4G4B4, FMT_R5G6B5, FMT_X1R5G5B5});
    else if (alphaBits >= 2)
        format = firstSupported({FMT_A4R4G4B4, FMT_A1R5G5B5, FMT_R5G6B5, FMT_X1R5G5B5});
    else
        format = firstSupported({FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_A4R4G4B4});
    return format ? format : FMT_A8R8G8B8;
}

// Handles.

kaBufferPool* kaGraphicsManager::_PoolAt(const PoolTable& table, uint16_t key) const
{
    CachedPool* const pools = &table == &m_VertexPools ? m_CachedVertexPools : m_CachedIndexPools;
    CachedPool& cached = pools[key % kCachedPools];
    if (cached.pool && cached.key == key)
        return cached.pool;
    const auto found = table.find(key);
    if (found == table.end())
        return nullptr;
    // The tables are the manager's own, never const objects: const look-ups hand out pools to use.
    cached.key = key;
    cached.pool = const_cast<kaBufferPool*>(&found->second);
    return cached.pool;
}

void kaGraphicsManager::_ForgetCachedPool(const PoolTable& table, uint16_t key)
{
    CachedPool* const pools = &table == &m_VertexPools ? m_CachedVertexPools : m_CachedIndexPools;
    CachedPool& cached = pools[key % kCachedPools];
    if (cached.key == key)
        cached.pool = nullptr;
}

kaBufferPool* kaGraphicsManager::_FindPool(const PoolTable& table, kaResourceHandle handle,
                                           const char* operation) const
{
    kaBufferPool* pool = _PoolAt(table, GetHandlePoolKey(handle));
    if (!pool)
        DebugPrintf("[kaGraphicsManager::%s] : Unknown handle 0x%08X\n", operation, handle);
    return pool;
}

namespace
{

// The longest run a pool still takes: used + count must stay below the capacity.
uint32_t RoomOf(const kaBuffer& buffer)
{
    const uint64_t used = buffer.GetUsed();
    return used + 1 < buffer.GetCapacity() ? uint32_t(buffer.GetCapacity() - used - 1) : 0;
}

} // namespace

kaResourceHandle kaGraphicsManager::_CreateRun(PoolTable& table, PoolRooms& rooms, kaPoolKeyCounter& keys,
                                               uint32_t count, uint32_t fvf, uint32_t pool,
                                               const char* operation)
{
    const bool vertices = fvf != 0;
    if (!m_pDevice || count == 0)
    {
        DebugPrintf("[kaGraphicsManager::%s] : No run of %u elements without a device\n", operation, count);
        return 0;
    }
    // The first pool in key order of this format and memory pool with room; the index forgets pools
    // released or dropped at a reset as it meets them.
    kaPoolRoomIndex& index = rooms[uint64_t(pool) << 32 | fvf];
    for (int32_t key = index.FindFirst(count); key >= 0; key = index.FindFirst(count))
    {
        kaBufferPool* found = _PoolAt(table, uint16_t(key));
        kaBuffer* buffer = found ? found->GetBuffer() : nullptr;
        if (!buffer || buffer->GetPool() != pool ||
            (vertices && static_cast<kaVertexBuffer*>(buffer)->GetFVF() != fvf))
        {
            index.Set(uint16_t(key), 0);
            continue;
        }
        if (RoomOf(*buffer) < count)
        {
            index.Set(uint16_t(key), RoomOf(*buffer));
            continue;
        }
        const uint32_t slot = found->Allocate(count);
        if (!slot)
        {
            // Out of slot numbers: the pool serves no more runs.
            index.Set(uint16_t(key), 0);
            continue;
        }
        buffer->AddUsed(count);
        index.Set(uint16_t(key), RoomOf(*buffer));
        return MakeResourceHandle(uint16_t(key), slot);
    }

    uint16_t key = 0;
    if (!keys.Take(table, key))
    {
        DebugPrintf("[kaGraphicsManager::%s] : Out of pool keys\n", operation);
        return 0;
    }
    kaBuffer* buffer = nullptr;
    uint32_t capacity = 0;
    if (vertices)
    {
        const uint32_t stride = kaVertexBuffer::ComputeLayout(fvf).stride;
        capacity = std::max(count, kPoolBytes / stride);
        kaVertexBuffer* vb = MakeStaticVB(m_pDevice, fvf, capacity, pool);
        if (vb && !vb->GetD3DBuffer())
        {
            delete vb;
            vb = nullptr;
        }
        buffer = vb;
    }
    else
    {
        capacity = std::max(count, kIndexPoolCapacity);
        kaIndexBuffer* ib = new StaticIB<unsigned short>(m_pDevice, capacity, pool);
        if (!ib->GetD3DBuffer())
        {
            delete ib;
            ib = nullptr;
        }
        buffer = ib;
    }
    if (!buffer)
    {
        DebugPrintf("[kaGraphicsManager::%s] : The device refused a buffer of %u elements\n", operation,
                    capacity);
        return 0;
    }
    // A reused key may still have a room in another kind's index; that index drops it when it meets it.
    const auto placed = table.emplace(std::piecewise_construct, std::forward_as_tuple(key),
                                      std::forward_as_tuple(buffer, capacity));
    kaBufferPool& created = placed.first->second;
    const uint32_t slot = created.Allocate(count);
    buffer->AddUsed(count);
    index.Set(key, RoomOf(*buffer));
    return MakeResourceHandle(key, slot);
}

kaResourceHandle kaGraphicsManager::CreateVertexBuffer(kaResourceHandle& handle, uint32_t count, uint32_t fvf,
                                                       uint32_t pool)
{
    if (!IsPooledFormat(fvf))
    {
        DebugPrintf("[kaGraphicsManager::CreateVertexBuffer] : Vertex format 0x%X has no buffer class\n",
                    fvf);
        handle = 0;
        return handle;
    }
    handle =
        _CreateRun(m_VertexPools, m_VertexRooms, m_VertexPoolKeys, count, fvf, pool, "CreateVertexBuffer");
    return handle;
}

kaResourceHandle kaGraphicsManager::CreateIndexBuffer(kaResourceHandle& handle, uint32_t count, uint32_t pool)
{
    handle = _CreateRun(m_IndexPools, m_IndexRooms, m_IndexPoolKeys, count, 0, pool, "CreateIndexBuffer");
    return handle;
}

void kaGraphicsManager::_ForgetRoom(const PoolTable& table, uint16_t key)
{
    const kaBufferPool* found = _PoolAt(table, key);
    const kaBuffer* buffer = found ? found->GetBuffer() : nullptr;
    if (!buffer)
        return;
    const bool vertices = &table == &m_VertexPools;
    const uint32_t fvf = vertices ? static_cast<const kaVertexBuffer*>(buffer)->GetFVF() : 0;
    PoolRooms& rooms = vertices ? m_VertexRooms : m_IndexRooms;
    const auto index = rooms.find(uint64_t(buffer->GetPool()) << 32 | fvf);
    if (index != rooms.end())
        index->second.Set(key, 0);
}

uint32_t kaGraphicsManager::_ReleaseRun(PoolTable& table, kaResourceHandle handle, const char* operation)
{
    kaBufferPool* pool = _FindPool(table, handle, operation);
    if (!pool)
        return 0;
    const uint32_t inUse = pool->Release(GetHandleSlot(handle));
    if (inUse == 0)
    {
        // A pool that goes leaves the room index with it, so that the next run asked for does not meet it.
        _ForgetRoom(table, GetHandlePoolKey(handle));
        _ForgetCachedPool(table, GetHandlePoolKey(handle));
        table.erase(GetHandlePoolKey(handle));
    }
    return inUse;
}

bool kaGraphicsManager::AddRefVertexBuffer(kaResourceHandle handle)
{
    kaBufferPool* pool = _FindPool(m_VertexPools, handle, "AddRefVertexBuffer");
    return pool && pool->AddRef(GetHandleSlot(handle));
}

uint32_t kaGraphicsManager::ReleaseVertexBuffer(kaResourceHandle handle)
{
    return _ReleaseRun(m_VertexPools, handle, "ReleaseVertexBuffer");
}

void* kaGraphicsManager::LockVertexBuffer(kaResourceHandle handle, uint32_t flags)
{
    kaBufferPool* pool = _FindPool(m_VertexPools, handle, "LockVertexBuffer");
    return pool ? pool->Lock(GetHandleSlot(handle), flags) : nullptr;
}

void kaGraphicsManager::UnlockVertexBuffer(kaResourceHandle handle)
{
    if (kaBufferPool* pool = _FindPool(m_VertexPools, handle, "UnlockVertexBuffer"))
        pool->Unlock(GetHandleSlot(handle));
}

kaVertexBuffer* kaGraphicsManager::BeginVertexWrite(kaResourceHandle handle)
{
    kaBufferPool* pool = _FindPool(m_VertexPools, handle, "BeginVertexWrite");
    return pool ? static_cast<kaVertexBuffer*>(pool->BeginWrite(GetHandleSlot(handle))) : nullptr;
}

void kaGraphicsManager::EndVertexWrite(kaResourceHandle handle)
{
    if (kaBufferPool* pool = _FindPool(m_VertexPools, handle, "EndVertexWrite"))
        pool->EndWrite(GetHandleSlot(handle));
}

kaVertexBuffer* kaGraphicsManager::GetVertexBuffer(kaResourceHandle handle) const
{
    kaBufferPool* pool = _FindPool(m_VertexPools, handle, "GetVertexBuffer");
    return pool ? static_cast<kaVertexBuffer*>(pool->GetBuffer()) : nullptr;
}

uint32_t kaGraphicsManager::GetVertexStride(kaResourceHandle handle) const
{
    const kaVertexBuffer* buffer = GetVertexBuffer(handle);
    return buffer ? buffer->GetStride() : 0;
}

uint32_t kaGraphicsManager::GetVertexFVF(kaResourceHandle handle) const
{
    const kaVertexBuffer* buffer = GetVertexBuffer(handle);
    return buffer ? buffer->GetFVF() : 0;
}

uint32_t kaGraphicsManager::GetVertexBufferStart(kaResourceHandle handle) const
{
    const kaBufferPool* pool = _FindPool(m_VertexPools, handle, "GetVertexBufferStart");
    const kaBufferPool::Slot* slot = pool ? pool->GetSlot(GetHandleSlot(handle)) : nullptr;
    return slot ? slot->start : 0;
}

bool kaGraphicsManager::AddRefIndexBuffer(kaResourceHandle handle)
{
    kaBufferPool* pool = _FindPool(m_IndexPools, handle, "AddRefIndexBuffer");
    return pool && pool->AddRef(GetHandleSlot(handle));
}

uint32_t kaGraphicsManager::ReleaseIndexBuffer(kaResourceHandle handle)
{
    return _ReleaseRun(m_IndexPools, handle, "ReleaseIndexBuffer");
}

void* kaGraphicsManager::LockIndexBuffer(kaResourceHandle handle, uint32_t flags)
{
    kaBufferPool* pool = _FindPool(m_IndexPools, handle, "LockIndexBuffer");
    return pool ? pool->Lock(GetHandleSlot(handle), flags) : nullptr;
}

void kaGraphicsManager::UnlockIndexBuffer(kaResourceHandle handle)
{
    if (kaBufferPool* pool = _FindPool(m_IndexPools, handle, "UnlockIndexBuffer"))
        pool->Unlock(GetHandleSlot(handle));
}

kaIndexBuffer* kaGraphicsManager::BeginIndexWrite(kaResourceHandle handle)
{
    kaBufferPool* pool = _FindPool(m_IndexPools, handle, "BeginIndexWrite");
    return pool ? static_cast<kaIndexBuffer*>(pool->BeginWrite(GetHandleSlot(handle))) : nullptr;
}

void kaGraphicsManager::EndIndexWrite(kaResourceHandle handle)
{
    if (kaBufferPool* pool = _FindPool(m_IndexPools, handle, "EndIndexWrite"))
        pool->EndWrite(GetHandleSlot(handle));
}

void kaGraphicsManager::PrefetchRuns(kaResourceHandle vertices, kaResourceHandle indices) const
{
    if (const kaBufferPool* pool = _PoolAt(m_VertexPools, GetHandlePoolKey(vertices)))
        pool->PrefetchSlot(GetHandleSlot(vertices));
    if (const kaBufferPool* pool = _PoolAt(m_IndexPools, GetHandlePoolKey(indices)))
        pool->PrefetchSlot(GetHandleSlot(indices));
}

kaIndexBuffer* kaGraphicsManager::GetIndexBuffer(kaResourceHandle handle) const
{
    kaBufferPool* pool = _FindPool(m_IndexPools, handle, "GetIndexBuffer");
    return pool ? static_cast<kaIndexBuffer*>(pool->GetBuffer()) : nullptr;
}

uint32_t kaGraphicsManager::GetIndexSize(kaResourceHandle handle) const
{
    return GetIndexBuffer(handle) ? kaIndexBuffer::kIndexSize : 0;
}

uint32_t kaGraphicsManager::GetIndexBufferStart(kaResourceHandle handle) const
{
    const kaBufferPool* pool = _FindPool(m_IndexPools, handle, "GetIndexBufferStart");
    const kaBufferPool::Slot* slot = pool ? pool->GetSlot(GetHandleSlot(handle)) : nullptr;
    return slot ? slot->start : 0;
}

void kaGraphicsManager::ReleaseDefaultPoolBuffers()
{
    for (PoolTable* table : {&m_VertexPools, &m_IndexPools})
    {
        for (auto it = table->begin(); it != table->end();)
        {
            if (it->second.GetBuffer()->GetPool() == POOL_DEFAULT)
            {
                _ForgetRoom(*table, it->first);
                _ForgetCachedPool(*table, it->first);
                it = table->erase(it);
            }
            else
                ++it;
        }
    }
}

void kaGraphicsManager::SetGraphicsPath(const std::string& path)
{
    m_GraphicsPath = path;
    if (!m_GraphicsPath.empty() && m_GraphicsPath.back() != '\\')
        m_GraphicsPath += '\\';
}
