#pragma once

#include "engine/model/kaCollisionPrimitive.h"

// A box, or a vertex box that cuts a decal region out of its mesh.
class kaBoxPrimitive : public kaCollisionPrimitive
{
public:
    explicit kaBoxPrimitive(uint32_t type = kBox) : kaCollisionPrimitive(type) {}

    float m_Width = 0.0f;
    float m_Length = 0.0f;
    float m_Height = 0.0f;
};
