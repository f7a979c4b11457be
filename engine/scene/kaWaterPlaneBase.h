#pragma once

#include "engine/scene/kaEntity.h"

// The world's water plane as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaWaterPlaneBase : public kaEntity
{
public:
    // The water's mesh over width x length from the origin.
    virtual void Build(float /*width*/, float /*length*/) {}
    // Moves the water; markGrid also marks the world's path grid.
    virtual void SetLevel(float /*level*/, bool /*markGrid*/) {}
};
