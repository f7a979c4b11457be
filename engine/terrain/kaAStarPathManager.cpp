#include "engine/terrain/kaAStarPathManager.h"

#include "engine/scene/kaWorld.h"

namespace
{

kaEntity* MakePathManager()
{
    return new kaAStarPathManager();
}

// Installed before the program's entry, so every world made afterwards has its grid. The grid's reset hook
// (kaWorld::SetPathGridReset) waits for the grid's type bytes: until it is installed here, ResetPathGrid
// does nothing.
const bool s_Installed = (kaWorld::SetPathManagerCreator(&MakePathManager), true);

} // namespace

kaAStarPathManager::kaAStarPathManager() : kaSingleton<kaAStarPathManager>(this) {}

kaAStarPathManager::~kaAStarPathManager() = default;
