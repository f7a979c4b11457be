#pragma once

#include "game/props/tvProp.h"

// A loose ball: a sphere round the model's bounding box.
class Ball : public tvProp
{
    KA_ENTITY_CLASS_RECORD()

public:
    Ball();
    ~Ball() override;

protected:
    dGeomID _FitShape(dMass& mass, platform::Vector3& at) override;
};
