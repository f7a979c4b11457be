#pragma once

#include "game/gear/StuntGear.h"

// Ground that slows the player's wheels that touch it and drags them, throwing its own particles.
class MudPit : public StuntGear
{
    KA_ENTITY_CLASS_RECORD()

public:
    MudPit();
    ~MudPit() override;

    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
};
