#pragma once

#include "engine/model/kaCollisionPrimitive.h"

class kaCappedCylinderPrimitive : public kaCollisionPrimitive
{
public:
    kaCappedCylinderPrimitive() : kaCollisionPrimitive(kCappedCylinder) {}

    float m_Radius = 0.0f;
    float m_Length = 0.0f;
};
