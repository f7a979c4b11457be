#include "engine/terrain/Road.h"
#include "engine/terrain/kaAStarPathManager.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/game/ContentWorldFixture.h"
#include "tools/worldgen/SampleWorld.h"

#include <gtest/gtest.h>

#include <map>

namespace
{

// A course read from the generated content as the course start reads it: a course world and its file.
class CourseGridTest : public gametest::ContentWorldFixture
{
};

TEST_F(CourseGridTest, ACourseLoadedForARunHasAGridMarkedByItsWaterAndRoads)
{
    LoadCourse(SampleWorld::kLayeredCourseFile, true);
    auto* grid = dynamic_cast<kaAStarPathManager*>(m_World.GetPathManager());
    ASSERT_NE(grid, nullptr);
    ASSERT_EQ(grid->GetLayerCount(), 2u);
    auto* terrain = dynamic_cast<kaTerrain*>(m_World.GetTerrain());
    ASSERT_NE(terrain, nullptr);
    auto* water = dynamic_cast<kaEntityWaterPlane*>(m_World.GetWaterPlane());
    ASSERT_NE(water, nullptr);

    // The water layer: under water only where the ground lies at or below the level, a shore beside it.
    std::map<uint8_t, int> waterMarks;
    int misplaced = 0;
    for (uint32_t row = 0; row < 256; ++row)
        for (uint32_t column = 0; column < 256; ++column)
        {
            const kaAStarPathManager::Node* node = grid->GetNode(column, row);
            ASSERT_NE(node, nullptr);
            const uint8_t mark = node->layers[1];
            ++waterMarks[mark];
            if (mark == kaEntityWaterPlane::kUnderWater &&
                terrain->GetHeightAt(node->x, node->z) > water->GetLevel())
                ++misplaced;
        }
    EXPECT_GT(waterMarks[kaEntityWaterPlane::kUnderWater], 0);
    EXPECT_GT(waterMarks[kaEntityWaterPlane::kShore], 0);
    EXPECT_EQ(misplaced, 0);

    // The roads mark the decal layer.
    int road = 0;
    for (uint32_t row = 0; row < 256; ++row)
        for (uint32_t column = 0; column < 256; ++column)
            road += grid->GetNode(column, row)->layers[0] == Road::kPathType;
    EXPECT_GT(road, 0);
}

} // namespace
