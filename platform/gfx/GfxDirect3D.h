#pragma once

#include "platform/gfx/GfxObject.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

class GfxDevice;

// The entry object: adapters, their display modes, capabilities and format support, and device creation.
class GfxDirect3D : public GfxObject
{
public:
    virtual uint32_t GetAdapterCount() const = 0;
    virtual GfxResult GetAdapterIdentifier(uint32_t adapter, uint32_t flags,
                                           AdapterIdentifier* identifier) const = 0;
    virtual uint32_t GetAdapterModeCount(uint32_t adapter, uint32_t format) const = 0;
    virtual GfxResult EnumAdapterModes(uint32_t adapter, uint32_t format, uint32_t mode,
                                       DisplayMode* out) const = 0;
    virtual GfxResult GetAdapterDisplayMode(uint32_t adapter, DisplayMode* mode) const = 0;
    virtual GfxResult CheckDeviceType(uint32_t adapter, uint32_t deviceType, uint32_t displayFormat,
                                      uint32_t backBufferFormat, bool windowed) const = 0;
    virtual GfxResult CheckDeviceFormat(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                        uint32_t usage, uint32_t resourceType,
                                        uint32_t checkFormat) const = 0;
    virtual GfxResult CheckDepthStencilMatch(uint32_t adapter, uint32_t deviceType, uint32_t adapterFormat,
                                             uint32_t renderTargetFormat,
                                             uint32_t depthStencilFormat) const = 0;
    virtual GfxResult GetDeviceCaps(uint32_t adapter, uint32_t deviceType, GfxCaps* caps) const = 0;
    virtual GfxResult CreateDevice(uint32_t adapter, uint32_t deviceType, WindowHandle focusWindow,
                                   uint32_t behaviorFlags, PresentParameters* parameters,
                                   GfxDevice** device) = 0;
};

} // namespace platform
