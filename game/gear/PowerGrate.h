#pragma once

#include "game/gear/StuntGear.h"

// A live grate that jolts the player's wheels that touch it at random and damages the vehicle, humming while
// touched.
class PowerGrate : public StuntGear
{
    KA_ENTITY_CLASS_RECORD()

public:
    PowerGrate();
    ~PowerGrate() override;

    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
};
