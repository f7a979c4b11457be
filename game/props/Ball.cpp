#include "game/props/Ball.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaModel.h"
#include "engine/scene/EntityFactory.h"

using platform::Vector3;

KA_ENTITY_CLASS_RECORD_DEFINITION(Ball, "Ball")

namespace
{

const EntityFactory::Registration s_Registration(Ball::StaticClassInfo(), &EntityFactory::Create<Ball>);

} // namespace

Ball::Ball() = default;

Ball::~Ball() = default;

dGeomID Ball::_FitShape(dMass& mass, Vector3& at)
{
    const kaBoundingBox* box = GetBoundingBox();
    if (!box || !(box->m_Radius > 0.0f))
        return nullptr;
    at = box->m_Centre - GetPosition();
    dMassSetSphere(&mass, 1.0, box->m_Radius);
    dMassTranslate(&mass, at.x, at.y, at.z);
    return dCreateSphere(nullptr, box->m_Radius);
}
