#pragma once

#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

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
    // The first point where the segment from start to end meets the ground, with the ground's normal
    // there. Ground without a surface is never hit.
    virtual bool IntersectRay(float /*startX*/, float /*startY*/, float /*startZ*/, float /*endX*/,
                              float /*endY*/, float /*endZ*/, platform::Vector3& /*point*/,
                              platform::Vector3& /*normal*/)
    {
        return false;
    }
};
