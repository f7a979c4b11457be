#pragma once

#include "game/gear/StuntGear.h"

// A slick on which the player's wheels that touch it keep almost no grip.
class OilSlick : public StuntGear
{
    KA_ENTITY_CLASS_RECORD()

public:
    OilSlick();
    ~OilSlick() override;

    void OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial* otherMaterial) override;
};
