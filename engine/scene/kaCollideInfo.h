#pragma once

#include "platform/gfx/math/Vector3.h"

#include <cstdint>

class kaEntity;

// What a hit found. The geometry tests fill point and normal; kind and object belong to the world's pick.
class kaCollideInfo
{
public:
    static constexpr int32_t kHitObject = 0;
    static constexpr int32_t kHitTerrain = 1;

    kaCollideInfo() = default;
    virtual ~kaCollideInfo() = default;

    int32_t m_Kind = kHitObject;
    kaEntity* m_pObject = nullptr;
    platform::Vector3 m_Point;
    platform::Vector3 m_Normal;
};
