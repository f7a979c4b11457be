#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <string>

// What the adapter enumeration found: per adapter its device slots, per slot the usable modes.

struct kaD3DModeInfo
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t format = 0;
    uint32_t behavior = 0;
    uint32_t depthStencilFormat = 0;
};

struct kaD3DDeviceInfo
{
    static constexpr uint32_t kMaxModes = 150;

    uint32_t deviceType = platform::DEVTYPE_HAL;
    platform::GfxCaps caps;
    std::string description;
    bool canDoWindowed = false;
    uint32_t numModes = 0;
    kaD3DModeInfo modes[kMaxModes];
    uint32_t currentMode = 0;
    bool windowed = false;
    uint32_t windowedMultiSample = platform::MULTISAMPLE_NONE;
    uint32_t fullScreenMultiSample = platform::MULTISAMPLE_NONE;
};

struct kaD3DAdapterInfo
{
    static constexpr uint32_t kMaxDevices = 5;

    // The device interface's number for the adapter.
    uint32_t ordinal = 0;
    platform::AdapterIdentifier identifier;
    platform::DisplayMode desktopMode;
    uint32_t numDevices = 0;
    kaD3DDeviceInfo devices[kMaxDevices];
    uint32_t currentDevice = 0;
};
