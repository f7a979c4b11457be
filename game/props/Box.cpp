#include "game/props/Box.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(Box, "Box")

namespace
{

const EntityFactory::Registration s_Registration(Box::StaticClassInfo(), &EntityFactory::Create<Box>);

} // namespace

Box::Box() = default;

Box::~Box() = default;

dGeomID Box::_FitShape(dMass& mass, Vector3& at)
{
    Vector3 low;
    Vector3 high;
    m_pModel->GetBounds(low, high);
    const Vector3 size = high - low;
    if (!(size.x > 0.0f && size.y > 0.0f && size.z > 0.0f))
        return nullptr;
    at = low + size * 0.5f;
    dMassSetBox(&mass, 1.0, size.x, size.y, size.z);
    dMassTranslate(&mass, at.x, at.y, at.z);
    return dCreateBox(nullptr, size.x, size.y, size.z);
}
