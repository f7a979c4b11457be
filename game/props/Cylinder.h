#pragma once

#include "game/props/tvProp.h"

// A loose cylinder: a capped cylinder along Z as wide as the model's bounds on X, starting at their near Z.
class Cylinder : public tvProp
{
    KA_ENTITY_CLASS_RECORD()

public:
    // ODE's axis numbering for a capsule's mass: 3 is Z.
    static constexpr int kAxisZ = 3;

    Cylinder();
    ~Cylinder() override;

protected:
    dGeomID _FitShape(dMass& mass, platform::Vector3& at) override;
};
