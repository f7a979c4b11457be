#include "game/vehicles/RagDude.h"

#include "engine/scene/EntityFactory.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(RagDude, "RagDude")

namespace
{

const EntityFactory::Registration s_Registration(RagDude::StaticClassInfo(), &EntityFactory::Create<RagDude>);

} // namespace

RagDude::RagDude() = default;

RagDude::~RagDude() = default;

void RagDude::Initialize()
{
    kaEntityPhysical::Initialize();
    ApplyRagdollInitData();
}
