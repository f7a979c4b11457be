#pragma once

#include "engine/scene/kaEntity.h"

// The world's water plane as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaWaterPlaneBase : public kaEntity
{
public:
    // Builds the water over width by length from the origin; the world calls it after reading the block.
    virtual void Build(float /*width*/, float /*length*/) {}
};
