#include "platform/gfx/GLDirect3D.h"

#include "platform/gfx/GLContext.h"
#include "platform/gfx/GLDevice.h"
#include "platform/gfx/GLHeaders.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/system/DebugOutput.h"
#include "platform/window/SdlWindowBackend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform
{
namespace
{

constexpr uint32_t kDisplayFormats[] = {FMT_X8R8G8B8, FMT_A8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5};
constexpr uint32_t kDepthFormats[] = {FMT_D16, FMT_D24S8, FMT_D24X8, FMT_D32, FMT_D15S1, FMT_D24X4S4};

bool IsIn(uint32_t format, std::initializer_list<uint32_t> list)
{
    return std::find(list.begin(), list.end(), format) != list.end();
}

template <size_t N> bool IsIn(uint32_t format, const uint32_t (&list)[N])
{
    return std::find(std::begin(list), std::end(list), format) != std::end(list);
}

} // namespace

bool GLDirect3D::HeadlessByDefault()
{
    const char* forced = std::getenv("TARVOLIN_GFX_HEADLESS");
    if (forced && *forced && std::strcmp(forced, "0") != 0)
        return true;
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return !(x11 && *x11) && !(wayland && *wayland);
}

GLDirect3D::GLDirect3D(bool headless) : m_Headless(headless)
{
    m_Identifier.Driver = "OpenGL";
    m_Identifier.Description = "OpenGL 2.1";
    m_Identifier.DeviceName = "\\\\.\\DISPLAY1";

    std::string error;
    if (auto probe = GLContext::CreateSurfaceless(error))
    {
        probe->Activate();
        m_Caps = GLDevice::ReadCaps();
        if (const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER)))
            m_Identifier.Description = renderer;
        m_Available = true;
    }
    else
    {
        DebugPrintf("[GLDirect3D::GLDirect3D] : no OpenGL probe context: %s", error.c_str());
        // A window context may still work; assume the smallest useful caps until a device reads its own.
        m_Caps = TestDirect3D::DefaultCaps();
        m_Caps.PrimitiveMiscCaps &= ~PMISCCAPS_TSSARGTEMP;
        m_Available = !m_Headless;
    }

    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    m_Desktop = DisplayMode{1024, 768, 60, FMT_X8R8G8B8};
    if (!m_Headless && SDL_InitSubSystem(SDL_INIT_VIDEO) == 0)
    {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(0, &desktop) == 0)
            m_Desktop = DisplayMode{static_cast<uint32_t>(desktop.w), static_cast<uint32_t>(desktop.h),
                                    static_cast<uint32_t>(desktop.refresh_rate), FMT_X8R8G8B8};
        const int count = SDL_GetNumDisplayModes(0);
        for (int i = 0; i < count; ++i)
        {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(0, i, &mode) == 0 && mode.w > 0 && mode.h > 0)
            {
                const uint32_t refresh = static_cast<uint32_t>(mode.refresh_rate);
                m_Modes.push_back(DisplayMode{static_cast<uint32_t>(mode.w), static_cast<uint32_t>(mode.h),
                                              refresh, FMT_X8R8G8B8});
            }
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
    if (m_Modes.empty())
        for (auto size : {std::pair<uint32_t, uint32_t>{640, 480},
                          {800, 600},
                          {1024, 768},
                          {1280, 720},
                          {1280, 1024},
                          {1920, 1080}})
            m_Modes.push_back(DisplayMode{size.first, size.second, 60, FMT_X8R8G8B8});
    // GL draws every colour depth the same way, so each size is offered in 16 bits too.
    const size_t trueColor = m_Modes.size();
    for (size_t i = 0; i < trueColor; ++i)
    {
        DisplayMode mode = m_Modes[i];
        mode.Format = FMT_R5G6B5;
        m_Modes.push_back(mode);
    }
}

bool GLDirect3D::Valid(uint32_t adapter, uint32_t deviceType) const
{
    return adapter == 0 && deviceType == DEVTYPE_HAL && m_Available;
}

uint32_t GLDirect3D::GetAdapterCount() const
{
    return m_Available ? 1 : 0;
}

GfxResult GLDirect3D::GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                           AdapterIdentifier* identifier) const
{
    (void)flags;
    if (!Valid(adapter, DEVTYPE_HAL) || !identifier)
        return GFXERR_INVALIDCALL;
    *identifier = m_Identifier;
    return GFX_OK;
}

uint32_t GLDirect3D::GetAdapterModeCount(uint32_t adapter, uint32_t format) const
{
    if (!Valid(adapter, DEVTYPE_HAL))
        return 0;
    return static_cast<uint32_t>(std::count_if(m_Modes.begin(), m_Modes.end(),
                                               [&](const DisplayMode& m) { return m.Format == format; }));
}

GfxResult GLDirect3D::EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode,
                                       DisplayMode* out) const
{
    if (!Valid(adapter, DEVTYPE_HAL) || !out)
        return GFXERR_INVALIDCALL;
    uint32_t seen = 0;
    for (const DisplayMode& m : m_Modes)
        if (m.Format == format && seen++ == mode)
        {
            *out = m;
            return GFX_OK;
        }
    return GFXERR_INVALIDCALL;
}

GfxResult GLDirect3D::GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) const
{
    if (!Valid(adapter, DEVTYPE_HAL) || !mode)
        return GFXERR_INVALIDCALL;
    *mode = m_Desktop;
    return GFX_OK;
}

GfxResult GLDirect3D::CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                                      uint32_t backBufferFormat, bool windowed) const
{
    (void)windowed;
    if (!Valid(adapter, deviceType))
        return GFXERR_INVALIDCALL;
    return IsIn(displayFormat, kDisplayFormats) && IsIn(backBufferFormat, kDisplayFormats)
               ? GFX_OK
               : GFXERR_NOTAVAILABLE;
}

GfxResult GLDirect3D::CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                        uint32_t usage, uint32_t resourceType, uint32_t checkFormat) const
{
    (void)adapterFormat;
    if (!Valid(adapter, deviceType))
        return GFXERR_INVALIDCALL;
    if (usage & USAGE_DEPTHSTENCIL)
        return IsIn(checkFormat, kDepthFormats) ? GFX_OK : GFXERR_NOTAVAILABLE;
    if (usage & USAGE_RENDERTARGET)
        return IsIn(checkFormat, kDisplayFormats) ? GFX_OK : GFXERR_NOTAVAILABLE;
    if (!IsIn(resourceType, {RTYPE_TEXTURE, RTYPE_CUBETEXTURE, RTYPE_VOLUMETEXTURE, RTYPE_SURFACE}))
        return GFXERR_NOTAVAILABLE;
    return IsIn(checkFormat,
                {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5, FMT_A4R4G4B4,
                 FMT_X4R4G4B4, FMT_A8, FMT_L8, FMT_A8L8, FMT_DXT1, FMT_DXT2, FMT_DXT3, FMT_DXT4, FMT_DXT5})
               ? GFX_OK
               : GFXERR_NOTAVAILABLE;
}

GfxResult GLDirect3D::CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                             uint32_t renderTargetFormat, uint32_t depthStencilFormat) const
{
    (void)adapterFormat, (void)renderTargetFormat;
    if (!Valid(adapter, deviceType))
        return GFXERR_INVALIDCALL;
    return IsIn(depthStencilFormat, kDepthFormats) ? GFX_OK : GFXERR_NOTAVAILABLE;
}

GfxResult GLDirect3D::GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps* caps) const
{
    if (!Valid(adapter, deviceType) || !caps)
        return GFXERR_INVALIDCALL;
    *caps = m_Caps;
    return GFX_OK;
}

GfxResult GLDirect3D::CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow,
                                   uint32_t behaviorFlags, PresentParameters* parameters, GfxDevice** device)
{
    (void)behaviorFlags;
    if (!Valid(adapter, deviceType) || !parameters || !device)
        return GFXERR_INVALIDCALL;
    PresentParameters accepted = *parameters;
    if (accepted.BackBufferFormat == FMT_UNKNOWN)
        accepted.BackBufferFormat = m_Desktop.Format;
    if (!IsIn(accepted.BackBufferFormat, kDisplayFormats) || accepted.BackBufferWidth == 0 ||
        accepted.BackBufferHeight == 0 || accepted.BackBufferWidth > m_Caps.MaxTextureWidth ||
        accepted.BackBufferHeight > m_Caps.MaxTextureHeight)
        return GFXERR_INVALIDCALL;
    if (accepted.BackBufferCount == 0)
        accepted.BackBufferCount = 1;

    std::string error;
    std::unique_ptr<GLContext> context;
    WindowHandle window = accepted.DeviceWindow ? accepted.DeviceWindow : focusWindow;
    if (!m_Headless && window)
        if (void* sdlWindow = GetSdlWindowBackend().GetSdlWindow(window))
            context = GLContext::CreateForWindow(sdlWindow, error);
    if (!context)
        context = GLContext::CreateSurfaceless(error);
    if (!context)
    {
        DebugPrintf("[GLDirect3D::CreateDevice] : %s", error.c_str());
        return GFXERR_NOTAVAILABLE;
    }
    context->Activate();
    context->SetFullScreen(!accepted.Windowed);
    const GfxCaps caps = GLDevice::ReadCaps();
    DisplayMode mode = m_Desktop;
    if (!accepted.Windowed)
        mode =
            DisplayMode{accepted.BackBufferWidth, accepted.BackBufferHeight, 60, accepted.BackBufferFormat};
    *parameters = accepted;
    *device = new GLDevice(this, std::move(context), caps, accepted, mode);
    return GFX_OK;
}

GfxDirect3D* CreateDefaultDirect3D()
{
    auto* direct3D = new GLDirect3D(GLDirect3D::HeadlessByDefault());
    if (direct3D->IsAvailable())
        return direct3D;
    direct3D->Release();
    return nullptr;
}

} // namespace platform
