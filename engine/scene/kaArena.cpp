#include "engine/scene/kaArena.h"

#include "engine/scene/EntityFactory.h"
#include "engine/scene/kaPhysicsWorld.h"

KA_ENTITY_CLASS_RECORD_DEFINITION(kaArena, "kaArena")

namespace
{

const EntityFactory::Registration s_Registration(kaArena::StaticClassInfo(), &EntityFactory::Create<kaArena>);

} // namespace

kaArena::kaArena()
{
    m_Pinned = true;
    // The world places a venue by its model's origin; with the body on the mass centre the venue would
    // land off by that centre, and a static venue has no use for one.
    m_HasOverrideCOG = true;
    m_OverrideCOG = platform::Vector3(0.0f, 0.0f, 0.0f);
}

kaArena::~kaArena() = default;

void kaArena::Initialize()
{
    kaEntityPhysical::Initialize();
    kaPhysicsWorld* world = _GetPhysicsWorld();
    if (!world || world->IsColliding())
        return;
    SetSpace(world->GetSpace());
    if (m_Body)
        dBodyDestroy(m_Body);
    m_Body = nullptr;
}
