#pragma once

#include "engine/render/kaVertexBuffer.h"

// A write-only vertex buffer of vertex type V, locked at the run it was sought to.
template <typename V> class StaticVB : public kaVertexBuffer
{
public:
    StaticVB(platform::GfxDevice* device, uint32_t capacity, uint32_t pool)
        : kaVertexBuffer(device, V::FVF, capacity, pool, false)
    {
    }
};
