#pragma once

#include "engine/render/ka3DObject.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaWorld.h"

namespace scenetest
{

// Draws the world's entities through their own Render, as the world's pass does for those in view.
class EntityPass : public ka3DObject
{
public:
    explicit EntityPass(kaWorld& world) : m_World(world) {}
    void Render(uint32_t) override
    {
        for (kaEntity* entity : m_World.GetEntities())
            entity->Render();
    }

private:
    kaWorld& m_World;
};

} // namespace scenetest
