#include "platform/gfx/TestDirect3D.h"

#include "platform/gfx/TestDevice.h"

namespace platform
{

GfxCaps TestDirect3D::DefaultCaps()
{
    GfxCaps caps;
    caps.DeviceType = DEVTYPE_HAL;
    caps.DevCaps = DEVCAPS_HWTRANSFORMANDLIGHT;
    caps.PrimitiveMiscCaps = PMISCCAPS_CULLNONE | PMISCCAPS_CULLCW | PMISCCAPS_CULLCCW | PMISCCAPS_BLENDOP;
    caps.TextureCaps = PTEXTURECAPS_POW2 | PTEXTURECAPS_ALPHA | PTEXTURECAPS_MIPMAP | PTEXTURECAPS_CUBEMAP |
                       PTEXTURECAPS_VOLUMEMAP | PTEXTURECAPS_MIPCUBEMAP | PTEXTURECAPS_MIPVOLUMEMAP;
    caps.VertexProcessingCaps = VTXPCAPS_TEXGEN | VTXPCAPS_MATERIALSOURCE7 | VTXPCAPS_DIRECTIONALLIGHTS |
                                VTXPCAPS_POSITIONALLIGHTS | VTXPCAPS_LOCALVIEWER;
    caps.MaxTextureWidth = 2048;
    caps.MaxTextureHeight = 2048;
    caps.MaxVolumeExtent = 256;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 4;
    caps.MaxActiveLights = 8;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = kMaxStreams;
    caps.MaxAnisotropy = 1;
    caps.VertexShaderVersion = VS_VERSION(2, 0);
    caps.PixelShaderVersion = PS_VERSION(2, 0);
    return caps;
}

TestDirect3D::TestDirect3D()
{
    Adapter adapter;
    adapter.Identifier.Driver = "test";
    adapter.Identifier.Description = "Test adapter";
    adapter.Identifier.DeviceName = "\\\\.\\DISPLAY1";
    adapter.Desktop = DisplayMode{1024, 768, 60, FMT_X8R8G8B8};
    for (uint32_t format : {FMT_X8R8G8B8, FMT_R5G6B5})
        for (auto size : {std::pair<uint32_t, uint32_t>{640, 480}, {800, 600}, {1024, 768}})
            adapter.Modes.push_back(DisplayMode{size.first, size.second, 60, format});
    adapter.Caps = DefaultCaps();
    Adapters.push_back(adapter);
    DisplayFormats = {FMT_X8R8G8B8, FMT_A8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5};
    TextureFormats = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_R5G6B5, FMT_X1R5G5B5, FMT_A1R5G5B5,
                      FMT_A4R4G4B4, FMT_A8,       FMT_L8,     FMT_DXT1,     FMT_DXT2,
                      FMT_DXT3,     FMT_DXT4,     FMT_DXT5};
    DepthFormats = {FMT_D16, FMT_D24S8, FMT_D24X8, FMT_D32};
}

bool TestDirect3D::TakeFailure(const std::string& call, GfxResult* result)
{
    auto it = Failures.find(call);
    if (it == Failures.end())
        return false;
    *result = it->second;
    Failures.erase(it);
    return true;
}

uint32_t TestDirect3D::GetAdapterCount() const
{
    return static_cast<uint32_t>(Adapters.size());
}

GfxResult TestDirect3D::GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                             AdapterIdentifier* identifier) const
{
    (void)flags;
    if (adapter >= Adapters.size() || !identifier)
        return GFXERR_INVALIDCALL;
    *identifier = Adapters[adapter].Identifier;
    return GFX_OK;
}

std::vector<DisplayMode> TestDirect3D::ModesOf(uint32_t adapter, uint32_t format) const
{
    std::vector<DisplayMode> modes;
    if (adapter < Adapters.size())
        for (const DisplayMode& mode : Adapters[adapter].Modes)
            if (mode.Format == format)
                modes.push_back(mode);
    return modes;
}

uint32_t TestDirect3D::GetAdapterModeCount(uint32_t adapter, uint32_t format) const
{
    return static_cast<uint32_t>(ModesOf(adapter, format).size());
}

GfxResult TestDirect3D::EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode,
                                         DisplayMode* out) const
{
    const std::vector<DisplayMode> modes = ModesOf(adapter, format);
    if (!out || mode >= modes.size())
        return GFXERR_INVALIDCALL;
    *out = modes[mode];
    return GFX_OK;
}

GfxResult TestDirect3D::GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) const
{
    if (adapter >= Adapters.size() || !mode)
        return GFXERR_INVALIDCALL;
    *mode = Adapters[adapter].Desktop;
    return GFX_OK;
}

GfxResult TestDirect3D::CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                                        uint32_t backBufferFormat, bool windowed) const
{
    (void)windowed;
    if (adapter >= Adapters.size() || deviceType != DEVTYPE_HAL)
        return GFXERR_INVALIDCALL;
    if (!DisplayFormats.count(displayFormat) || !DisplayFormats.count(backBufferFormat))
        return GFXERR_NOTAVAILABLE;
    return GFX_OK;
}

GfxResult TestDirect3D::CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                          uint32_t usage, uint32_t resourceType, uint32_t checkFormat) const
{
    (void)adapterFormat;
    if (adapter >= Adapters.size() || deviceType != DEVTYPE_HAL)
        return GFXERR_INVALIDCALL;
    bool supported = false;
    if (usage & USAGE_DEPTHSTENCIL)
        supported = DepthFormats.count(checkFormat) > 0;
    else if (usage & USAGE_RENDERTARGET)
        supported = DisplayFormats.count(checkFormat) > 0;
    else if (resourceType == RTYPE_TEXTURE || resourceType == RTYPE_CUBETEXTURE ||
             resourceType == RTYPE_VOLUMETEXTURE || resourceType == RTYPE_SURFACE)
        supported = TextureFormats.count(checkFormat) > 0;
    return supported ? GFX_OK : GFXERR_NOTAVAILABLE;
}

GfxResult TestDirect3D::CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                               uint32_t renderTargetFormat, uint32_t depthStencilFormat) const
{
    (void)adapterFormat, (void)renderTargetFormat;
    if (adapter >= Adapters.size() || deviceType != DEVTYPE_HAL)
        return GFXERR_INVALIDCALL;
    return DepthFormats.count(depthStencilFormat) ? GFX_OK : GFXERR_NOTAVAILABLE;
}

GfxResult TestDirect3D::GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps* caps) const
{
    if (adapter >= Adapters.size() || deviceType != DEVTYPE_HAL || !caps)
        return GFXERR_INVALIDCALL;
    *caps = Adapters[adapter].Caps;
    caps->AdapterOrdinal = adapter;
    return GFX_OK;
}

GfxResult TestDirect3D::CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow,
                                     uint32_t behaviorFlags, PresentParameters* parameters,
                                     GfxDevice** device)
{
    (void)focusWindow;
    GfxResult failure;
    if (TakeFailure("CreateDevice", &failure))
        return failure;
    if (adapter >= Adapters.size() || deviceType != DEVTYPE_HAL || !parameters || !device)
        return GFXERR_INVALIDCALL;
    const uint32_t processing =
        behaviorFlags &
        (CREATE_SOFTWARE_VERTEXPROCESSING | CREATE_HARDWARE_VERTEXPROCESSING | CREATE_MIXED_VERTEXPROCESSING);
    if (processing != CREATE_SOFTWARE_VERTEXPROCESSING && processing != CREATE_HARDWARE_VERTEXPROCESSING &&
        processing != CREATE_MIXED_VERTEXPROCESSING)
        return GFXERR_INVALIDCALL;
    PresentParameters accepted = *parameters;
    const Adapter& info = Adapters[adapter];
    if (accepted.Windowed && accepted.BackBufferFormat == FMT_UNKNOWN)
        accepted.BackBufferFormat = info.Desktop.Format;
    if (accepted.BackBufferWidth == 0 || accepted.BackBufferHeight == 0 || accepted.BackBufferWidth > 16384 ||
        accepted.BackBufferHeight > 16384)
        return GFXERR_INVALIDCALL;
    if (!DisplayFormats.count(accepted.BackBufferFormat))
        return GFXERR_NOTAVAILABLE;
    if (accepted.EnableAutoDepthStencil && !DepthFormats.count(accepted.AutoDepthStencilFormat))
        return GFXERR_NOTAVAILABLE;
    if (accepted.BackBufferCount == 0)
        accepted.BackBufferCount = 1;
    *parameters = accepted;
    GfxCaps caps = info.Caps;
    caps.AdapterOrdinal = adapter;
    DisplayMode mode = info.Desktop;
    if (!accepted.Windowed)
        mode =
            DisplayMode{accepted.BackBufferWidth, accepted.BackBufferHeight, 60, accepted.BackBufferFormat};
    m_LastDevice = new TestDevice(this, caps, accepted, mode);
    *device = m_LastDevice;
    return GFX_OK;
}

} // namespace platform
