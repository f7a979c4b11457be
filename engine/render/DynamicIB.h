#pragma once

#include "engine/render/kaIndexBuffer.h"

// An index buffer in the default pool that streams runs front to back.
template <typename T> class DynamicIB : public kaIndexBuffer
{
    static_assert(sizeof(T) == kIndexSize, "indices are 16-bit");

public:
    DynamicIB(platform::GfxDevice* device, uint32_t capacity)
        : kaIndexBuffer(device, capacity, platform::POOL_DEFAULT, true)
    {
    }
};
