#pragma once

#include "engine/render/kaIndexBuffer.h"

// A write-only index buffer, locked at the run it was sought to.
template <typename T> class StaticIB : public kaIndexBuffer
{
    static_assert(sizeof(T) == kIndexSize, "indices are 16-bit");

public:
    StaticIB(platform::GfxDevice* device, uint32_t capacity, uint32_t pool)
        : kaIndexBuffer(device, capacity, pool, false)
    {
    }
};
