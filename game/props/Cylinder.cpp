#include "game/props/Cylinder.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(Cylinder, "Cylinder")

namespace
{

const EntityFactory::Registration s_Registration(Cylinder::StaticClassInfo(),
                                                 &EntityFactory::Create<Cylinder>);

} // namespace

Cylinder::Cylinder() = default;

Cylinder::~Cylinder() = default;

dGeomID Cylinder::_FitShape(dMass& mass, Vector3& at)
{
    Vector3 low;
    Vector3 high;
    m_pModel->GetBounds(low, high);
    const float radius = (high.x - low.x) / 2.0f;
    const float length = high.z - low.z;
    if (!(radius > 0.0f && length >= 0.0f))
        return nullptr;
    at = Vector3(low.x + radius, low.y + (high.y - low.y) / 2.0f, low.z);
    dMassSetCapsule(&mass, 1.0, kAxisZ, radius, length);
    dMassTranslate(&mass, at.x, at.y, at.z);
    return dCreateCapsule(nullptr, radius, length);
}
