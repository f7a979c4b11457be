#pragma once

#include "engine/scene/kaEntity.h"

#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>

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

    // Editing. Ground that cannot be rebuilt refuses them: no heights, no layers.
    // Heights from a grey image over width by length, scaled to height.
    virtual bool GenerateHeightMapVerts(const std::string& /*path*/, float /*width*/, float /*height*/,
                                        float /*length*/, bool /*vertexLighting*/)
    {
        return false;
    }
    // The layered build from the heights and the texture layers.
    virtual void Build() {}
    // The build that made the ground, made again from what it holds now.
    virtual void Rebuild() { Build(); }
    // Called before the course is written to that file, so that ground kept in other files can be written
    // first.
    virtual void PrepareSave(const std::string& /*courseFile*/) {}
    // A texture layer laid where its mask is bright; it shows after the next build.
    virtual bool AddLayer(const std::string& /*maskPath*/, const std::string& /*texturePath*/,
                          float /*stretch*/, bool /*hardEdge*/)
    {
        return false;
    }
    // The number of layers left.
    virtual int32_t RemoveLayer(int32_t /*index*/) { return 0; }
};
