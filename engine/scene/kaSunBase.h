#pragma once

#include "engine/scene/kaEntity.h"

// The world's sun as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaSunBase : public kaEntity
{
public:
    // The flare drawn over everything else, last in the world's pass.
    virtual void RenderLensFlare() {}
};
