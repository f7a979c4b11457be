#pragma once

#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaEntity.h"
#include "engine/scene/kaWorld.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>

namespace testsupport
{

// A point of the editor's view whose first pick is the entity (or, with `on` false, something else), searched
// on a coarse grid over the view's middle; false when there is none.
inline bool ScreenPointOn(kaWorld& world, const kaEntity* entity, bool on, int32_t& x, int32_t& y)
{
    for (int32_t py = 200; py <= 520; py += 8)
        for (int32_t px = 200; px <= 600; px += 8)
        {
            kaCollideInfo hit;
            platform::Vector3 origin;
            platform::Vector3 direction;
            if (!world.GetPickRay(float(px), float(py), origin, direction) ||
                !world.Pick(origin, origin + direction * 1000.0f, &hit,
                            kaWorld::kPickTerrain | kaWorld::kPickMeshes))
                continue;
            if ((hit.m_pObject == entity) == on)
            {
                x = px;
                y = py;
                return true;
            }
        }
    return false;
}

} // namespace testsupport
