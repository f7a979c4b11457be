#include "game/gear/OilSlick.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "game/vehicles/tvWheel.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(OilSlick, "OilSlick")

namespace
{

const EntityFactory::Registration s_Registration(OilSlick::StaticClassInfo(),
                                                 &EntityFactory::Create<OilSlick>);

} // namespace

OilSlick::OilSlick() = default;

OilSlick::~OilSlick() = default;

void OilSlick::OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial*)
{
    tvWheel* wheel = PlayerWheel(other);
    if (!wheel)
        return;
    wheel->SetOilFrames(tvWheel::kSurfaceFrames);
    if (kaWheelSurfaceEmitters* emitters = wheel->GetSurfaceEmitters())
        emitters->ForceMaterial(ownMaterial);
}
