#include "engine/scene/kaGeomData.h"

// The entities place their primitives in geom transforms, which ODE keeps but marks deprecated.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

kaGeomData::kaGeomData() : m_Rotation(0.0f, 0.0f, 0.0f, 1.0f)
{
    dMassSetZero(&m_Mass);
}

kaGeomData::~kaGeomData()
{
    if (!m_Geom)
        return;
    if (dGeomGetClass(m_Geom) == dGeomTransformClass)
    {
        // A transform with its cleanup on would destroy the inner geom a second time.
        dGeomID inner = dGeomTransformGetGeom(m_Geom);
        dGeomTransformSetCleanup(m_Geom, 0);
        dGeomTransformSetGeom(m_Geom, nullptr);
        if (inner)
            dGeomDestroy(inner);
    }
    dGeomDestroy(m_Geom);
}

void kaGeomData::SetGeom(dGeomID geom)
{
    m_Geom = geom;
    if (!geom)
        return;
    dGeomSetData(geom, this);
    if (dGeomGetClass(geom) == dGeomTransformClass)
    {
        if (dGeomID inner = dGeomTransformGetGeom(geom))
            dGeomSetData(inner, this);
    }
}

void kaGeomData::AssignMaterials(const std::vector<kaGeomData*>& records,
                                 const std::map<std::string, std::string>& lookup)
{
    for (const auto& [primitive, identifier] : lookup)
    {
        kaGeomData* record = nullptr;
        for (kaGeomData* candidate : records)
        {
            if (candidate && candidate->m_Name == primitive)
            {
                record = candidate;
                break;
            }
        }
        if (!record)
            continue;
        if (!record->m_pMaterial)
            record->m_pMaterial.reset(kaMaterial::CreateFromInitData(identifier));
        else
            record->m_pMaterial->Load(identifier);
    }
    for (kaGeomData* record : records)
    {
        if (record && !record->m_pMaterial)
            record->m_pMaterial = std::make_unique<kaMaterial>();
    }
}
