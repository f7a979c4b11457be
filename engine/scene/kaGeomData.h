#pragma once

#include "engine/scene/kaMaterial.h"

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <ode/ode.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

class kaCollisionPrimitive;
class kaEntityPhysical;

// What one primitive geom of a physical entity carries as its ODE user data (on the placing geom and on
// the geom inside it): its material, its entity, its trigger flag and its name, read by the near callback.
class kaGeomData
{
public:
    kaGeomData();
    // Destroys the geom, and the primitive's geom inside a geom transform, each once.
    ~kaGeomData();
    kaGeomData(const kaGeomData&) = delete;
    kaGeomData& operator=(const kaGeomData&) = delete;

    // Takes the geom and points its user data, and that of the geom it places, at this record.
    void SetGeom(dGeomID geom);
    dGeomID GetGeom() const { return m_Geom; }
    kaMaterial* GetMaterial() const { return m_pMaterial.get(); }
    void SetMaterial(std::unique_ptr<kaMaterial> material) { m_pMaterial = std::move(material); }

    // Gives each record named in the lookup (primitive name to material identifier) a material of the
    // identifier's class, loaded from its record; every record left without one gets a plain material.
    static void AssignMaterials(const std::vector<kaGeomData*>& records,
                                const std::map<std::string, std::string>& lookup);

    // The primitive's own mass, already placed.
    dMass m_Mass;
    // The primitive's offset inside the geom transform, and its rotation as the model stores it.
    platform::Vector3 m_Position;
    platform::Quaternion m_Rotation;
    kaEntityPhysical* m_pEntity = nullptr;
    bool m_Trigger = false;
    std::string m_Name;
    const kaCollisionPrimitive* m_pPrimitive = nullptr;

private:
    dGeomID m_Geom = nullptr;
    std::unique_ptr<kaMaterial> m_pMaterial;
};
