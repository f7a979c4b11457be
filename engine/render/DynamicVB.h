#pragma once

#include "engine/render/kaVertexBuffer.h"

// A vertex buffer of vertex type V that streams runs front to back. It counts as full from the start,
// so the buffer pools never share it.
template <typename V> class DynamicVB : public kaVertexBuffer
{
public:
    DynamicVB(platform::GfxDevice* device, uint32_t capacity, uint32_t pool = platform::POOL_DEFAULT)
        : kaVertexBuffer(device, V::FVF, capacity, pool, true)
    {
    }
};
