#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

using platform::Vector3;
using terraintest::ReadVertices;
using terraintest::WriteMap;

namespace
{

constexpr float kFlattenHeight = 50.0f;
// World units per 16-bit height step.
constexpr float kStep = (kFlattenHeight + 10.0f) / 32768.0f;

uint8_t Rough(uint32_t col, uint32_t row)
{
    return uint8_t((col * 37 + row * 11 + col * row) % 251);
}

class TerrainFlattenTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // side x side samples, one world unit a cell.
    void Generate(int32_t side, bool lighting)
    {
        const std::string map = WriteMap(m_Dir, "map.bmp", uint32_t(side), uint32_t(side), &Rough);
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, float(side - 1), kFlattenHeight, float(side - 1),
                                                     lighting));
    }

    // Whether each sample was set to y, every other sample keeping its height.
    void ExpectFlattened(const std::vector<uint16_t>& before, float y, int32_t firstCol, int32_t endCol,
                         int32_t firstRow, int32_t endRow) const
    {
        const int32_t columns = m_Terrain.GetColumns();
        for (int32_t row = 0; row < m_Terrain.GetRows(); ++row)
            for (int32_t col = 0; col < columns; ++col)
            {
                const size_t at = size_t(row) * size_t(columns) + size_t(col);
                const bool inside = col >= firstCol && col < endCol && row >= firstRow && row < endRow;
                const Vector3& p = m_Terrain.GetPositions()[at];
                if (inside)
                {
                    EXPECT_EQ(p.y, y) << col << ", " << row;
                    EXPECT_EQ(m_Terrain.GetHeights()[at], uint16_t(y / (kFlattenHeight + 10.0f) * 32768.0f))
                        << col << ", " << row;
                }
                else
                {
                    EXPECT_EQ(m_Terrain.GetHeights()[at], before[at]) << col << ", " << row;
                    EXPECT_NEAR(p.y, float(before[at]) * kStep, 1e-3f) << col << ", " << row;
                }
            }
    }

    testsupport::TempDir m_Dir;
    kaTerrain m_Terrain;
};

TEST_F(TerrainFlattenTest, ExactCoversTheBoxsGridPointsOtherwiseTwoMoreColumnsAndRows)
{
    struct Case
    {
        Vector3 min, max;
        bool exact;
        int32_t firstCol, endCol, firstRow, endRow;
    };
    const Case cases[] = {
        {{2.5f, 0.0f, 3.2f}, {5.7f, 0.0f, 6.1f}, true, 2, 5, 3, 6},
        {{2.5f, 0.0f, 3.2f}, {5.7f, 0.0f, 6.1f}, false, 2, 7, 3, 8},
        // Corners given the other way round on both axes are swapped.
        {{5.7f, 9.0f, 6.1f}, {2.5f, -9.0f, 3.2f}, false, 2, 7, 3, 8},
        // Reversed on one axis only: nothing.
        {{5.7f, 0.0f, 3.2f}, {2.5f, 0.0f, 6.1f}, false, 0, 0, 0, 0},
        // The far sides grow only up to the last column and row, whose points are never moved.
        {{10.0f, 0.0f, 11.0f}, {100.0f, 0.0f, 14.9f}, false, 10, 15, 11, 15},
        {{-30.0f, 0.0f, -1e30f}, {1.0f, 0.0f, 0.5f}, true, 0, 1, 0, 0},
        {{-30.0f, 0.0f, -1e30f}, {1.0f, 0.0f, 0.5f}, false, 0, 3, 0, 2},
        {{-std::numeric_limits<float>::infinity(), 0.0f, 3.0f},
         {std::numeric_limits<float>::infinity(), 0.0f, 3.5f},
         false,
         0,
         15,
         3,
         5},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.min.x) + " " + std::to_string(c.min.z) + " " + std::to_string(c.max.x) +
                     " " + std::to_string(c.max.z) + (c.exact ? " exact" : ""));
        Generate(16, false);
        const std::vector<uint16_t> before = m_Terrain.GetHeights();
        m_Terrain.FlattenArea(33.0f, c.min, c.max, c.exact);
        ExpectFlattened(before, 33.0f, c.firstCol, c.endCol, c.firstRow, c.endRow);
    }
}

TEST_F(TerrainFlattenTest, HeightsAreHeldToWhatSixteenBitsStoreAndUnusableNumbersChangeNothing)
{
    struct Case
    {
        float height;
        float y;
        uint16_t stored;
    };
    const Case cases[] = {{1e9f, 65535.0f * kStep, 65535},
                          {-50.0f, 0.0f, 0},
                          {3e38f, 65535.0f * kStep, 65535},
                          {-3e38f, 0.0f, 0}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.height);
        Generate(16, false);
        m_Terrain.FlattenArea(c.height, Vector3(1.0f, 0.0f, 1.0f), Vector3(3.0f, 0.0f, 3.0f), true);
        const size_t at = 1 * 16 + 2;
        EXPECT_EQ(m_Terrain.GetHeights()[at], c.stored);
        EXPECT_FLOAT_EQ(m_Terrain.GetPositions()[at].y, c.y);
        EXPECT_NEAR(m_Terrain.GetHeightAt(2.0f, 1.0f), c.y, 1e-3f);
    }

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct
    {
        float height;
        Vector3 min, max;
    } refused[] = {{nan, {1.0f, 0.0f, 1.0f}, {5.0f, 0.0f, 5.0f}},
                   {inf, {1.0f, 0.0f, 1.0f}, {5.0f, 0.0f, 5.0f}},
                   {-inf, {1.0f, 0.0f, 1.0f}, {5.0f, 0.0f, 5.0f}},
                   {20.0f, {nan, 0.0f, 1.0f}, {5.0f, 0.0f, 5.0f}},
                   {20.0f, {1.0f, 0.0f, 1.0f}, {5.0f, 0.0f, nan}}};
    Generate(16, true);
    const std::vector<uint16_t> heights = m_Terrain.GetHeights();
    const std::vector<Vector3> normals = m_Terrain.GetNormals();
    for (const auto& r : refused)
        m_Terrain.FlattenArea(r.height, r.min, r.max, false);
    EXPECT_EQ(m_Terrain.GetHeights(), heights);
    EXPECT_TRUE(m_Terrain.GetNormals() == normals);
}

TEST_F(TerrainFlattenTest, EveryQuadCopyOfAMovedPointAndOfTheNormalsAroundItIsRewritten)
{
    // 2 x 2 full quads; the box holds the point all four share and reaches into each.
    Generate(65, true);
    m_Terrain.BuildSingleLayer();
    ASSERT_EQ(m_Terrain.GetQuadColumns(), 2);
    const kaTerrainQuad& farQuad = *m_Terrain.GetQuad(1, 1);
    const float radiusBefore = farQuad.GetSphereRadius();
    m_Terrain.FlattenArea(118.0f, Vector3(29.5f, 0.0f, 30.5f), Vector3(34.5f, 0.0f, 33.2f), true);
    ASSERT_EQ(m_Terrain.GetPositions()[32 * 65 + 32].y, 118.0f);

    // Position, normal, then the two coordinate pairs.
    constexpr size_t kFloats = 10;
    for (int32_t qz = 0; qz < 2; ++qz)
        for (int32_t qx = 0; qx < 2; ++qx)
        {
            const kaTerrainQuad& quad = *m_Terrain.GetQuad(qx, qz);
            // The last level draws from the same vertices as the first.
            const kaMeshSubset& subset = *quad.GetSubset(4);
            std::vector<float> floats(size_t(subset.m_VertexCount) * kFloats);
            const void* data = g_pGraphicsManager->LockVertexBuffer(subset.m_VertexBuffer);
            ASSERT_NE(data, nullptr);
            std::memcpy(floats.data(), data, floats.size() * sizeof(float));
            g_pGraphicsManager->UnlockVertexBuffer(subset.m_VertexBuffer);
            for (int32_t r = 0; r <= 32; ++r)
                for (int32_t c = 0; c <= 32; ++c)
                {
                    const float* v = &floats[size_t(r * 33 + c) * kFloats];
                    const int32_t col = qx * 32 + c, row = qz * 32 + r;
                    const Vector3 p = m_Terrain.GetPositions()[size_t(row) * 65 + size_t(col)];
                    const Vector3 n = m_Terrain.ComputeVertexNormal(col, row);
                    ASSERT_EQ(Vector3(v[0], v[1], v[2]), p) << qx << qz << " " << col << ", " << row;
                    ASSERT_NEAR(v[3], n.x, 1e-6f) << col << ", " << row;
                    ASSERT_NEAR(v[4], n.y, 1e-6f) << col << ", " << row;
                    ASSERT_NEAR(v[5], n.z, 1e-6f) << col << ", " << row;
                }
        }
    // The raised ground stays inside the sphere the quad is culled by.
    const Vector3 raised = m_Terrain.GetPositions()[33 * 65 + 33];
    EXPECT_LE(platform::Vec3Length(raised - farQuad.GetSphereCentre()), farQuad.GetSphereRadius() + 1e-3f);
    EXPECT_NE(farQuad.GetSphereRadius(), radiusBefore);
}

TEST_F(TerrainFlattenTest, EveryLayerSubsetHoldingAMovedPointIsRewritten)
{
    Generate(65, false);
    // Two overlapping soft layers, so points have copies in both and several within one.
    const std::string all = WriteMap(m_Dir, "all.bmp", 65, 65, terraintest::Constant(255));
    const std::string stripes = WriteMap(m_Dir, "stripes.bmp", 65, 65,
                                         [](uint32_t col, uint32_t) { return uint8_t(col % 3 ? 0 : 200); });
    ASSERT_TRUE(m_Terrain.AddLayer(all, "", 4.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(stripes, "", 4.0f, false));
    m_Terrain.Build();
    m_Terrain.FlattenArea(20.0f, Vector3(30.0f, 0.0f, 30.0f), Vector3(33.0f, 0.0f, 36.0f), false);
    ASSERT_EQ(m_Terrain.GetPositions()[32 * 65 + 32].y, 20.0f);

    size_t copies = 0;
    for (int32_t qz = 0; qz < 2; ++qz)
        for (int32_t qx = 0; qx < 2; ++qx)
        {
            const auto& quad = dynamic_cast<const kaLayeredTerrainQuad&>(*m_Terrain.GetQuad(qx, qz));
            std::vector<std::vector<kaLayeredMeshSubset::Vertex>> layers;
            for (int32_t layer = 0; layer < 2; ++layer)
                layers.push_back(ReadVertices(*quad.GetLayerSubset(layer)));
            for (size_t point = 0; point < quad.GetGridPoints().size(); ++point)
            {
                const int32_t col = qx * 32 + int32_t(point % 33), row = qz * 32 + int32_t(point / 33);
                const Vector3 p = m_Terrain.GetPositions()[size_t(row) * 65 + size_t(col)];
                const Vector3 n = m_Terrain.ComputeVertexNormal(col, row);
                for (const auto& [layer, vertex] : quad.GetGridPoints()[point])
                {
                    const auto& v = layers[size_t(layer)][size_t(vertex)];
                    ASSERT_EQ(v.position, p) << col << ", " << row << " layer " << layer;
                    ASSERT_NEAR(v.normal.y, n.y, 1e-6f) << col << ", " << row;
                    ASSERT_NEAR(v.normal.x, n.x, 1e-6f) << col << ", " << row;
                    copies += p.y == 20.0f;
                }
            }
        }
    // Each moved point has a copy in the quads around it in both layers, duplicates included.
    EXPECT_GT(copies, size_t(5 * 8 * 2));
}

} // namespace
