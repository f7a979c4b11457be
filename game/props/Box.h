#pragma once

#include "game/props/tvProp.h"

// A loose box: a box of the model's bounds.
class Box : public tvProp
{
    KA_ENTITY_CLASS_RECORD()

public:
    Box();
    ~Box() override;

protected:
    dGeomID _FitShape(dMass& mass, platform::Vector3& at) override;
};
