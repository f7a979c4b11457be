#pragma once

#include "platform/gfx/math/Vector3.h"

#include <cstdint>

// The bones that move one mesh vertex, with its bind-pose position and normal.
struct kaVertexInfluence
{
    static constexpr int kMaxInfluences = 8;

    platform::Vector3 bindPosition;
    platform::Vector3 bindNormal;
    uint8_t count = 0;
    float weights[kMaxInfluences] = {};
    uint8_t bones[kMaxInfluences] = {};
};
