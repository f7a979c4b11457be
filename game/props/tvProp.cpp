#include "game/props/tvProp.h"

#include "engine/scene/kaGeomData.h"

#include <memory>

// The fitted shape sits in a geom transform, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

void tvProp::SetModel(kaModel* model)
{
    kaEntityPhysical::SetModel(model);
    m_pShapeData = nullptr;
    if (!m_Body)
        return;
    dMass mass;
    dMassSetZero(&mass);
    platform::Vector3 at;
    dGeomID shape = _FitShape(mass, at);
    if (!shape)
        return;
    dGeomSetPosition(shape, at.x, at.y, at.z);
    dGeomID transform = dCreateGeomTransform(m_Space);
    auto record = std::make_unique<kaGeomData>();
    record->m_pEntity = this;
    record->m_Position = at;
    record->m_Mass = mass;
    dGeomTransformSetGeom(transform, shape);
    // Points the user data of the transform and of the shape at the record.
    record->SetGeom(transform);
    dGeomSetBody(transform, m_Body);
    dGeomTransformSetCleanup(transform, 1);
    m_pShapeData = record.get();
    m_GeomData.push_back(std::move(record));
    // The shape's mass replaces the primitives'; the body gets it only once it is centred, since ODE
    // refuses a mass off the body origin.
    m_Mass = mass;
    RecenterMass(false);
    SetBodyEnabled(false);
}
