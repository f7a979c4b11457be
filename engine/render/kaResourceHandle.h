#pragma once

#include <cstdint>

// A run of vertices or indices owned by the graphics manager: the pool key in the high 16 bits (vertex
// and index pools have separate key spaces), the pool's slot number in the low 16 bits.
using kaResourceHandle = uint32_t;

inline uint16_t GetHandlePoolKey(kaResourceHandle handle)
{
    return static_cast<uint16_t>(handle >> 16);
}

inline uint16_t GetHandleSlot(kaResourceHandle handle)
{
    return static_cast<uint16_t>(handle & 0xFFFF);
}

inline kaResourceHandle MakeResourceHandle(uint16_t poolKey, uint32_t slot)
{
    return static_cast<kaResourceHandle>(poolKey) << 16 | (slot & 0xFFFF);
}
