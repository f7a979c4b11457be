#pragma once

#include "engine/scene/kaEntity.h"

// The world's sky box as the world holds it: updated, drawn and destroyed through the entity
// operations. The terrain library implements it, so the scene depends on no environment header.
class kaSkyBoxBase : public kaEntity
{
public:
    // The cloud planes, drawn after the sky box and the sun.
    virtual void RenderCloudPlanes() {}
};
