#pragma once

#include "platform/gfx/GfxDirect3D.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace platform
{

class TestDevice;

// A scripted entry object for tests: adapters, modes, caps and format support are plain data the test
// edits before the code under test asks for them. CreateDevice makes a TestDevice.
class TestDirect3D : public GfxDirect3D
{
public:
    struct Adapter
    {
        AdapterIdentifier Identifier;
        DisplayMode Desktop;
        // Every mode of every format; EnumAdapterModes filters by format.
        std::vector<DisplayMode> Modes;
        GfxCaps Caps;
    };

    // One adapter with a 1024x768 X8R8G8B8 desktop, 32- and 16-bit modes from 640x480 up, and common support.
    TestDirect3D();

    std::vector<Adapter> Adapters;
    // Formats a full-screen or windowed display (and its back buffer) may use.
    std::set<uint32_t> DisplayFormats;
    std::set<uint32_t> TextureFormats;
    std::set<uint32_t> DepthFormats;
    // Calls by name that fail with the given result, once each.
    std::map<std::string, GfxResult> Failures;

    // The most recently created device, or null (not referenced).
    TestDevice* LastDevice() const { return m_LastDevice; }

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

    // The caps of the default adapter.
    static GfxCaps DefaultCaps();

private:
    friend class TestDevice;
    bool TakeFailure(const std::string& call, GfxResult* result);
    std::vector<DisplayMode> ModesOf(uint32_t adapter, uint32_t format) const;

    TestDevice* m_LastDevice = nullptr;
};

} // namespace platform
