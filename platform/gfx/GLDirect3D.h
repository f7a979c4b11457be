#pragma once

#include "platform/gfx/GfxDirect3D.h"

#include <vector>

namespace platform
{

// The entry object of the OpenGL back end: one adapter whose modes come from SDL (a fixed list when
// headless) and whose caps come from a probe context. Devices draw into an SDL window, or headless into
// an EGL surfaceless framebuffer when no display exists, when TARVOLIN_GFX_HEADLESS is set, or when the
// device window has no SDL window behind it.
class GLDirect3D : public GfxDirect3D
{
public:
    explicit GLDirect3D(bool headless);

    // True when no display exists or TARVOLIN_GFX_HEADLESS is set to anything but "0".
    static bool HeadlessByDefault();
    // False when not even a probe context could be made: no device can be created then.
    bool IsAvailable() const { return m_Available; }

    uint32_t GetAdapterCount() const override;
    GfxResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                   AdapterIdentifier* identifier) const override;
    uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const override;
    GfxResult EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode,
                               DisplayMode* out) const override;
    GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) const override;
    GfxResult CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                              uint32_t backBufferFormat, bool windowed) const override;
    GfxResult CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat, uint32_t usage,
                                uint32_t resourceType, uint32_t checkFormat) const override;
    GfxResult CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                     uint32_t renderTargetFormat, uint32_t depthStencilFormat) const override;
    GfxResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps* caps) const override;
    GfxResult CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow,
                           uint32_t behaviorFlags, PresentParameters* parameters,
                           GfxDevice** device) override;

private:
    bool Valid(uint32_t adapter, uint32_t deviceType) const;

    bool m_Headless;
    bool m_Available = false;
    GfxCaps m_Caps;
    AdapterIdentifier m_Identifier;
    DisplayMode m_Desktop;
    std::vector<DisplayMode> m_Modes;
};

} // namespace platform
