#pragma once

#include "engine/model/kaCollisionPrimitive.h"

class kaSpherePrimitive : public kaCollisionPrimitive
{
public:
    kaSpherePrimitive() : kaCollisionPrimitive(kSphere) {}

    float m_Radius = 0.0f;
};
