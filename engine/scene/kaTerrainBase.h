#pragma once

#include "engine/scene/kaEntity.h"

// What the world asks of its ground. The terrain library implements it, so the scene depends on no
// terrain header.
class kaTerrainBase : public kaEntity
{
public:
    // The ground's height at a point of the X/Z plane.
    virtual float GetHeightAt(float x, float z) const = 0;
    // The ground's extents along X and Z, from the origin.
    virtual float GetWidth() const = 0;
    virtual float GetLength() const = 0;
};
