#include "game/gear/MudPit.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaWheelSurfaceEmitters.h"
#include "game/vehicles/tvWheel.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(MudPit, "MudPit")

namespace
{

const EntityFactory::Registration s_Registration(MudPit::StaticClassInfo(), &EntityFactory::Create<MudPit>);

} // namespace

MudPit::MudPit() = default;

MudPit::~MudPit() = default;

void MudPit::OnCollide(kaEntityPhysical* other, kaMaterial* ownMaterial, kaMaterial*)
{
    tvWheel* wheel = PlayerWheel(other);
    if (!wheel)
        return;
    wheel->SetMudFrames(tvWheel::kSurfaceFrames);
    if (kaWheelSurfaceEmitters* emitters = wheel->GetSurfaceEmitters())
        emitters->ForceMaterial(ownMaterial);
}
