#pragma once

#include <cstdint>

namespace platform
{
struct DisplayMode;
}

// One screen mode the options screen offers.
struct DisplayMode
{
    int32_t height = 0;
    int32_t width = 0;
    int32_t bitsPerPixel = 0;

    // The device's mode: its size and the bits of its format.
    static DisplayMode FromD3D(const platform::DisplayMode& mode);

    bool operator==(const DisplayMode& other) const
    {
        return height == other.height && width == other.width && bitsPerPixel == other.bitsPerPixel;
    }
    bool operator!=(const DisplayMode& other) const { return !(*this == other); }
};
