#pragma once

#include "engine/scene/kaEntityPhysical.h"

#include "platform/gfx/math/Vector3.h"

// What the loose props share: one simple shape fitted to the model, beside the model's own primitives,
// that alone gives the body its mass.
class tvProp : public kaEntityPhysical
{
public:
    // The physical body first; then, when there is one, the fitted shape.
    void SetModel(kaModel* model) override;

    // The fitted shape's record; null until a body has one.
    kaGeomData* GetShapeData() const { return m_pShapeData; }

protected:
    // The shape fitted to the model's bounds, in body space before centring, with its mass of density 1.0
    // already placed; null for none.
    virtual dGeomID _FitShape(dMass& mass, platform::Vector3& at) = 0;

    kaGeomData* m_pShapeData = nullptr;
};
