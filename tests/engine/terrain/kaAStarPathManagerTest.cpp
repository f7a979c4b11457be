#include "engine/terrain/kaAStarPathManager.h"

#include "engine/scene/kaWorld.h"

#include <gtest/gtest.h>

namespace
{

TEST(PathManagerTest, EveryWorldMakesItsOwnNamedGrid)
{
    ASSERT_EQ(kaAStarPathManager::GetSingleton(), nullptr);
    {
        kaWorld world;
        auto* grid = dynamic_cast<kaAStarPathManager*>(world.GetPathManager());
        ASSERT_NE(grid, nullptr);
        EXPECT_EQ(grid->GetName(), "AStarPathManager");
        EXPECT_EQ(grid->GetWorld(), &world);
        EXPECT_EQ(kaAStarPathManager::GetSingleton(), grid);
        EXPECT_EQ(grid->GetClassName(), "Entity");
    }
    EXPECT_EQ(kaAStarPathManager::GetSingleton(), nullptr);
}

} // namespace
