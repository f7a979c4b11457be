#pragma once

#include "engine/scene/kaEntityPhysical.h"

// A course's venue in the physics world: its collision primitives become static geometry in the world's
// space, with no body, so that everything collides with it and nothing moves it. The game's arena
// derives from it.
class kaArena : public kaEntityPhysical
{
    KA_ENTITY_CLASS_RECORD()

public:
    kaArena();
    ~kaArena() override;

    // The physical entity's initialisation, then the geoms in the world's space and no body. The pinned
    // entity's initialisation may already have destroyed the body: it is destroyed once.
    void Initialize() override;
};
