#include "engine/terrain/kaAStarPathManager.h"

#include "engine/scene/kaWorld.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

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

namespace
{

using Grid = kaAStarPathManager;

// How many nodes hold the value in the layer.
size_t Count(const Grid& grid, uint32_t layer, uint8_t value)
{
    size_t count = 0;
    for (uint32_t row = 0; row < Grid::kGridSide; ++row)
        for (uint32_t column = 0; column < Grid::kGridSide; ++column)
            count += grid.GetNode(column, row)->layers[layer] == value;
    return count;
}

uint8_t At(const Grid& grid, uint32_t layer, uint32_t column, uint32_t row)
{
    return grid.GetNode(column, row)->layers[layer];
}

TEST(PathGridTest, NodesKnowTheirNeighboursAndStartWithGroundInLayerZero)
{
    Grid grid;
    EXPECT_FALSE(grid.FillRect(0, 0.0f, 0.0f, 8.0f, 8.0f, 1));
    EXPECT_EQ(grid.GetNode(0, 0), nullptr);
    grid.BuildGrid({});
    ASSERT_EQ(grid.GetLayerCount(), 2u);
    EXPECT_EQ(grid.GetTypeTable(), (std::vector<uint8_t>{0, 1}));
    EXPECT_EQ(Count(grid, 0, 1), 65536u);
    EXPECT_EQ(Count(grid, 1, 0), 65536u);
    struct Case
    {
        uint32_t column, row;
        uint8_t neighbours, count;
    };
    const Case cases[] = {{0, 0, 208, 3},    {255, 0, 104, 3},  {0, 255, 22, 3},
                          {255, 255, 11, 3}, {0, 100, 214, 5},  {255, 100, 107, 5},
                          {100, 0, 248, 5},  {100, 255, 31, 5}, {100, 100, 255, 8}};
    for (const Case& c : cases)
    {
        const Grid::Node& node = *grid.GetNode(c.column, c.row);
        EXPECT_EQ(node.neighbours, c.neighbours) << c.column << ", " << c.row;
        EXPECT_EQ(node.neighbourCount, c.count) << c.column << ", " << c.row;
        EXPECT_EQ(node.index, c.row * 256 + c.column);
        EXPECT_EQ(node.x, float(c.column * 4 + 2));
        EXPECT_EQ(node.z, float(c.row * 4 + 2));
    }
    EXPECT_EQ(grid.GetNode(256, 0), nullptr);

    // Building again with types replaces every node.
    grid.FillRect(1, 0.0f, 0.0f, 100.0f, 100.0f, 9);
    grid.BuildGrid({5, 6});
    EXPECT_EQ(grid.GetTypeTable(), (std::vector<uint8_t>{0, 1, 5, 6}));
    EXPECT_EQ(grid.GetNode(3, 3)->layers, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST(PathGridTest, RectanglesBecomeCellsHeldToTheGridOrRefused)
{
    Grid grid;
    grid.BuildGrid({});
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        uint32_t layer;
        float x1, z1, x2, z2;
        bool result;
        size_t marked;
    };
    const Case cases[] = {
        {0, 0.0f, 0.0f, 7.9f, 7.9f, true, 4},
        // Corners in either order.
        {0, 7.9f, 7.9f, 0.0f, 0.0f, true, 4},
        {0, 2000.0f, 0.0f, 2000.0f, 3.0f, false, 0},
        {0, 1016.0f, 0.0f, 2000.0f, 3.0f, true, 2},
        {0, 1016.0f, 0.0f, 3e38f, std::numeric_limits<float>::infinity(), true, 512},
        {2, 0.0f, 0.0f, 8.0f, 8.0f, false, 0},
        // A negative corner wraps far beyond the grid; just below 0 is still cell 0.
        {0, -4.0f, 0.0f, 8.0f, 3.0f, false, 0},
        {0, -0.5f, 0.0f, 3.0f, 3.0f, true, 1},
        {0, nan, 0.0f, 8.0f, 3.0f, false, 0},
        {0, 0.0f, 0.0f, 8.0f, nan, false, 0},
        {0, -std::numeric_limits<float>::infinity(), 0.0f, 8.0f, 3.0f, false, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x1) + " " + std::to_string(c.z1) + " " + std::to_string(c.x2) + " " +
                     std::to_string(c.z2));
        grid.BuildGrid({});
        EXPECT_EQ(grid.FillRect(c.layer, c.x1, c.z1, c.x2, c.z2, 4), c.result);
        EXPECT_EQ(Count(grid, 0, 4), c.marked);
    }
    grid.BuildGrid({});
    ASSERT_TRUE(
        grid.FillRect(0, platform::Vector3(4.0f, 50.0f, 8.0f), platform::Vector3(8.0f, -50.0f, 12.0f), 6));
    EXPECT_EQ(Count(grid, 0, 6), 4u);
    EXPECT_EQ(At(grid, 0, 1, 2), 6);
    EXPECT_EQ(At(grid, 0, 2, 3), 6);
}

TEST(PathGridTest, OutlinesMarkTheBorderGrowingOneCellButNotPastTheGrid)
{
    Grid grid;
    grid.BuildGrid({});
    // Cells 2..3 by 0..1, grown to 1..4 by 0..2: the ten nodes around, none inside.
    ASSERT_TRUE(grid.OutlineRect(1, 8.0f, 0.0f, 15.9f, 7.9f, 6, true));
    EXPECT_EQ(Count(grid, 1, 6), 10u);
    for (const auto& [column, row] : {std::pair{1u, 0u}, {4u, 2u}, {1u, 2u}, {4u, 0u}, {3u, 2u}})
        EXPECT_EQ(At(grid, 1, column, row), 6) << column << ", " << row;
    EXPECT_EQ(At(grid, 1, 2, 1), 0);
    EXPECT_EQ(At(grid, 1, 3, 1), 0);
    grid.BuildGrid({});
    ASSERT_TRUE(grid.OutlineRect(1, platform::Vector3(8.0f, 0.0f, 0.0f), platform::Vector3(15.9f, 0.0f, 7.9f),
                                 6, false));
    EXPECT_EQ(Count(grid, 1, 6), 4u);

    // Outline unless: the nearest lower layer holding something other than 0 or 7 decides.
    grid.BuildGrid({9});
    // The border of cells 0..2 by 0..2, on layer 2.
    grid.FillRect(1, 0.0f, 0.0f, 3.0f, 3.0f, 7);   // (0, 0): 7 over ground 1
    grid.FillRect(0, 4.0f, 0.0f, 7.0f, 3.0f, 4);   // (1, 0): road under nothing
    grid.FillRect(1, 8.0f, 0.0f, 11.0f, 3.0f, 4);  // (2, 0): road in layer 1
    grid.FillRect(1, 0.0f, 4.0f, 3.0f, 7.0f, 3);   // (0, 1): shore in layer 1
    grid.FillRect(0, 8.0f, 8.0f, 11.0f, 11.0f, 0); // (2, 2): nothing below at all
    grid.FillRect(0, 8.0f, 4.0f, 11.0f, 7.0f, 4);  // (2, 1): road, under a 7
    grid.FillRect(1, 8.0f, 4.0f, 11.0f, 7.0f, 7);
    // Grow 2 is not 1: no growing.
    ASSERT_TRUE(grid.OutlineUnless(2, 0.0f, 0.0f, 11.0f, 11.0f, 8, 4, 2));
    EXPECT_EQ(At(grid, 2, 0, 0), 8);
    EXPECT_EQ(At(grid, 2, 1, 0), 0);
    EXPECT_EQ(At(grid, 2, 2, 0), 0);
    EXPECT_EQ(At(grid, 2, 0, 1), 8);
    EXPECT_EQ(At(grid, 2, 2, 2), 8);
    EXPECT_EQ(At(grid, 2, 2, 1), 0);
    EXPECT_EQ(At(grid, 2, 1, 1), 0);
    EXPECT_EQ(Count(grid, 2, 8), 5u);
    // Layer 0 has nothing below: every border node is set; grow 1 grows.
    ASSERT_TRUE(grid.OutlineUnless(0, 40.0f, 40.0f, 43.0f, 43.0f, 5, 1, 1));
    EXPECT_EQ(Count(grid, 0, 5), 8u);
}

TEST(PathGridTest, SpreadingRingsAMatchOverUnmarkedNodesWithinTheRectanglesFarSides)
{
    Grid grid;
    grid.BuildGrid({});
    // A 2 x 2 block of 2 at cells 10..11; around it a 7, a 5 and unmarked nodes.
    grid.FillRect(1, 40.0f, 40.0f, 47.9f, 47.9f, 2);
    grid.FillRect(1, 36.0f, 36.0f, 39.0f, 39.0f, 7);
    grid.FillRect(1, 48.0f, 44.0f, 51.0f, 47.0f, 5);
    ASSERT_TRUE(grid.SpreadToNeighbours(1, 32.0f, 32.0f, 55.9f, 55.9f, 2, 3));
    for (uint32_t row = 8; row <= 13; ++row)
        for (uint32_t column = 8; column <= 13; ++column)
        {
            const bool block = column >= 10 && column <= 11 && row >= 10 && row <= 11;
            const bool ring = !block && column >= 9 && column <= 12 && row >= 9 && row <= 12;
            const uint8_t expected = block ? 2 : (column == 12 && row == 11 ? 5 : (ring ? 3 : 0));
            EXPECT_EQ(At(grid, 1, column, row), expected) << column << ", " << row;
        }
    EXPECT_EQ(Count(grid, 1, 3), 11u);

    // The rectangle's far sides stop the spreading; the near ones are the grid's.
    grid.BuildGrid({});
    grid.FillRect(1, 40.0f, 40.0f, 47.9f, 47.9f, 2);
    ASSERT_TRUE(grid.SpreadToNeighbours(1, 40.0f, 40.0f, 47.9f, 47.9f, 2, 3));
    EXPECT_EQ(At(grid, 1, 9, 9), 3);
    EXPECT_EQ(At(grid, 1, 9, 11), 3);
    EXPECT_EQ(At(grid, 1, 11, 9), 3);
    EXPECT_EQ(At(grid, 1, 12, 10), 0);
    EXPECT_EQ(At(grid, 1, 10, 12), 0);
}

TEST(PathGridTest, WritersWithAWorldUseTheirOwnWorldsGrid)
{
    auto first = std::make_unique<kaWorld>();
    kaWorld second;
    auto* firstGrid = dynamic_cast<Grid*>(first->GetPathManager());
    auto* secondGrid = dynamic_cast<Grid*>(second.GetPathManager());
    ASSERT_NE(firstGrid, secondGrid);
    kaEntity entity;
    entity.SetWorld(first.get());
    EXPECT_EQ(Grid::For(&entity), firstGrid);
    entity.SetWorld(&second);
    EXPECT_EQ(Grid::For(&entity), secondGrid);
    entity.SetWorld(nullptr);
    EXPECT_EQ(Grid::For(&entity), Grid::GetSingleton());
    EXPECT_EQ(Grid::For(nullptr), Grid::GetSingleton());
    // The world's reset makes its grid with the two layers.
    second.ResetPathGrid();
    ASSERT_TRUE(secondGrid->HasGrid());
    EXPECT_EQ(secondGrid->GetLayerCount(), 2u);
    EXPECT_FALSE(firstGrid->HasGrid());
    // Marking by height needs the world's terrain.
    EXPECT_FALSE(secondGrid->FillByHeight(1, 0.0f, 0.0f, 40.0f, 40.0f, 5.0f, 2, true));
    // The older world going leaves the newer one's grid to callers without a world.
    first.reset();
    EXPECT_EQ(Grid::GetSingleton(), secondGrid);
}

} // namespace
