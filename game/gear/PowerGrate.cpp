#include "game/gear/PowerGrate.h"

#include "engine/scene/EntityFactory.h"
#include "game/vehicles/tvWheel.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(PowerGrate, "PowerGrate")

namespace
{

const EntityFactory::Registration s_Registration(PowerGrate::StaticClassInfo(),
                                                 &EntityFactory::Create<PowerGrate>);

} // namespace

PowerGrate::PowerGrate() = default;

PowerGrate::~PowerGrate() = default;

void PowerGrate::OnCollide(kaEntityPhysical* other, kaMaterial*, kaMaterial*)
{
    tvWheel* wheel = PlayerWheel(other);
    if (!wheel)
        return;
    _KeepDamageSequence();
    wheel->SetGrateFrames(tvWheel::kSurfaceFrames);
}
