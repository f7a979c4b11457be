#pragma once

#include <cstdint>

namespace platform
{

// Pixel rectangle and depth range that clip space maps onto.
struct Viewport
{
    uint32_t X = 0;
    uint32_t Y = 0;
    uint32_t Width = 0;
    uint32_t Height = 0;
    float MinZ = 0.0f;
    float MaxZ = 1.0f;
};

} // namespace platform
