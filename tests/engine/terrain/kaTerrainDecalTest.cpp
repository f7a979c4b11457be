#include "engine/terrain/kaTerrainDecal.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaRenderState.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <memory>

using platform::Vector3;
using terraintest::ReadIndices;
using terraintest::ReadVertices;
using terraintest::WriteMap;

namespace
{

constexpr int32_t kSide = 16;

class TerrainDecalTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        // Every sample a different height, so a vertex read from the wrong sample shows.
        const std::string map =
            WriteMap(m_Dir, "map.bmp", kSide, kSide,
                     [](uint32_t col, uint32_t row) { return uint8_t(col * 13 + row * 3); });
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, float(kSide - 1), 50.0f, float(kSide - 1), false));
    }

    // A decal with plain texture coordinates: origin 0, one cell per repeat, scale 1, no offsets.
    std::unique_ptr<kaTerrainDecal> Plain(int32_t col, int32_t row, int32_t columns, int32_t rows)
    {
        return std::make_unique<kaTerrainDecal>(&m_Terrain, "", col, row, columns, rows, 1.0f, 1.0f, true,
                                                0x80402010u, 0, 0, 0, 1.0f, 1.0f, false, false, 0.0f, 0.0f);
    }

    static std::vector<kaTerrainDecal::Vertex> Vertices(const kaTerrainDecal& decal)
    {
        std::vector<kaTerrainDecal::Vertex> out;
        for (const auto& v : ReadVertices(*decal.GetMesh()->GetSubset(0)))
            out.push_back({v.position, v.normal, v.color, v.u, v.v});
        return out;
    }

    Vector3 Sample(int32_t col, int32_t row) const
    {
        return m_Terrain.GetPositions()[size_t(row) * kSide + size_t(col)];
    }

    testsupport::TempDir m_Dir;
    kaTerrain m_Terrain;
};

TEST_F(TerrainDecalTest, VerticesAreTheSamplesUnderTheDecalDrawnAfterTheGroundWithoutDepthWrites)
{
    const auto decal = Plain(3, 2, 4, 3);
    ASSERT_NE(decal->GetMesh(), nullptr);
    const kaMesh& mesh = *decal->GetMesh();
    EXPECT_EQ(mesh.GetFVF(), 0x152u);
    EXPECT_EQ(mesh.GetRenderOrder(), -48);
    const kaRenderState& state = *mesh.GetSubset(0)->GetRenderState();
    EXPECT_FALSE(state.m_ZWrite);
    EXPECT_TRUE(state.m_Lighting);

    const auto vertices = Vertices(*decal);
    ASSERT_EQ(vertices.size(), 5u * 4u);
    for (int32_t r = 0; r <= 3; ++r)
        for (int32_t c = 0; c <= 4; ++c)
        {
            const kaTerrainDecal::Vertex& v = vertices[size_t(r * 5 + c)];
            SCOPED_TRACE(std::to_string(c) + ", " + std::to_string(r));
            EXPECT_EQ(v.position, Sample(3 + c, 2 + r));
            EXPECT_EQ(v.normal, m_Terrain.GetVertexNormal(3 + c, 2 + r));
            EXPECT_EQ(v.color, 0x80402010u);
        }
    // Two triangles a cell, with the ground's diagonal and winding: (a, c, b) and (b, c, d).
    const std::vector<uint16_t> indices = ReadIndices(*mesh.GetSubset(0));
    ASSERT_EQ(indices.size(), 4u * 3u * 6u);
    const std::vector<uint16_t> lastCell(indices.end() - 6, indices.end());
    EXPECT_EQ(std::vector<uint16_t>(indices.begin(), indices.begin() + 6),
              (std::vector<uint16_t>{0, 5, 1, 1, 5, 6}));
    EXPECT_EQ(lastCell, (std::vector<uint16_t>{13, 18, 14, 14, 18, 19}));
    // The bounds hold the samples.
    EXPECT_NEAR(mesh.GetMin().x, 3.0f, 1e-5f);
    EXPECT_NEAR(mesh.GetMax().z, 5.0f, 1e-5f);
}

TEST_F(TerrainDecalTest, TextureCoordinatesTurnWithTheRotation)
{
    // Four by two cells; two cells a repeat across (U = 2) and one down (V = 2); the decal's first cell
    // is cell (1, 3) of the repeat. The vertex checked is (2, 1): texture column 3, texture row 4.
    struct Case
    {
        int32_t degrees;
        int32_t rotation;
        float u, v;
    };
    const Case cases[] = {{0, 0, 1.6f, -0.3f},     {89, 0, 1.6f, -0.3f},    {-30, 0, 1.6f, -0.3f},
                          {90, 90, -0.4f, -0.3f},  {179, 90, -0.4f, -0.3f}, {180, 180, -0.4f, 1.2f},
                          {269, 180, -0.4f, 1.2f}, {270, 270, 1.1f, 1.7f},  {1000, 270, 1.1f, 1.7f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.degrees);
        kaTerrainDecal decal(&m_Terrain, "", 2, 2, 4, 2, 0.5f, 0.25f, true, 0xFFFFFFFFu, c.degrees, 1, 3,
                             2.0f, 1.0f, false, false, 0.1f, 0.2f);
        EXPECT_EQ(decal.GetRotation(), c.rotation);
        ASSERT_NE(decal.GetMesh(), nullptr);
        const auto vertices = Vertices(decal);
        ASSERT_EQ(vertices.size(), 15u);
        EXPECT_NEAR(vertices[7].u, c.u, 1e-5f);
        EXPECT_NEAR(vertices[7].v, c.v, 1e-5f);
    }
}

TEST_F(TerrainDecalTest, ADecalOffTheSamplesOrPastSixteenBitIndicesGetsNoMesh)
{
    struct Case
    {
        int32_t col, row, columns, rows;
        bool mesh;
    };
    // The last sample column and row are 15. A decal reaching column 16 would wrap into the next row.
    const Case cases[] = {{11, 2, 4, 3, true},       {12, 2, 4, 3, false},
                          {2, 12, 3, 3, true},       {2, 13, 3, 3, false},
                          {0, 0, 15, 15, true},      {0, 0, 16, 1, false},
                          {-5, -5, 2, 2, true},      {INT_MAX, 0, 2, 2, false},
                          {0, 0, INT_MAX, 1, false}, {INT_MAX, INT_MAX, INT_MAX, INT_MAX, false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.col) + " " + std::to_string(c.row) + " " + std::to_string(c.columns) +
                     " " + std::to_string(c.rows));
        const auto decal = Plain(c.col, c.row, c.columns, c.rows);
        EXPECT_EQ(decal->GetMesh() != nullptr, c.mesh);
        EXPECT_GE(decal->GetFirstColumn(), 0);
        EXPECT_GE(decal->GetFirstRow(), 0);
    }
    // Without cells nothing is built.
    for (const auto& [columns, rows] : {std::pair{0, 2}, {2, -1}})
        EXPECT_EQ(Plain(1, 1, columns, rows)->GetMesh(), nullptr);
}

TEST_F(TerrainDecalTest, SixteenBitIndicesReachExactly65536Vertices)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    kaTerrain large;
    ASSERT_TRUE(large.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[0]),
                                             256.0f, 50.0f, 256.0f, false));
    // 256 x 256 vertices fit; 257 x 256 do not, though they lie on the terrain.
    const auto fits = std::make_unique<kaTerrainDecal>(&large, "", 0, 0, 255, 255, 1.0f, 1.0f, true, 0u, 0, 0,
                                                       0, 1.0f, 1.0f, false, false, 0.0f, 0.0f);
    ASSERT_NE(fits->GetMesh(), nullptr);
    EXPECT_EQ(fits->GetMesh()->GetVertexCount(), 65536u);
    EXPECT_EQ(ReadIndices(*fits->GetMesh()->GetSubset(0)).back(), 65535);
    const auto tooMany = std::make_unique<kaTerrainDecal>(&large, "", 0, 0, 256, 255, 1.0f, 1.0f, true, 0u, 0,
                                                          0, 0, 1.0f, 1.0f, false, false, 0.0f, 0.0f);
    EXPECT_EQ(tooMany->GetMesh(), nullptr);
}

TEST_F(TerrainDecalTest, AMovedDecalLiesOnTheGroundOfItsNewPlaceKeepingItsTextureCoordinates)
{
    kaTerrainDecal decal(&m_Terrain, "", 1, 1, 3, 2, 0.5f, 0.5f, true, 0xFFFFFFFFu, 90, 0, 0, 3.0f, 2.0f,
                         false, false, 0.0f, 0.0f);
    const auto before = Vertices(decal);
    decal.SetPosition(8, 9);
    // Moving alone changes nothing drawn.
    EXPECT_EQ(Vertices(decal)[0].position, before[0].position);
    decal.RefreshPositions();
    const auto after = Vertices(decal);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
    {
        EXPECT_EQ(after[i].position, Sample(8 + int32_t(i % 4), 9 + int32_t(i / 4))) << i;
        EXPECT_EQ(after[i].u, before[i].u) << i;
        EXPECT_EQ(after[i].v, before[i].v) << i;
        EXPECT_EQ(after[i].normal, before[i].normal) << i;
    }
    EXPECT_NEAR(decal.GetMesh()->GetMin().x, 8.0f, 1e-5f);

    // Below 0 is held at 0; past the last sample the mesh goes, and a decal without one stays without.
    decal.SetPosition(-4, -7);
    EXPECT_EQ(decal.GetFirstColumn(), 0);
    EXPECT_EQ(decal.GetFirstRow(), 0);
    decal.SetPosition(13, 0);
    decal.RefreshPositions();
    EXPECT_EQ(decal.GetMesh(), nullptr);
    decal.SetPosition(0, 0);
    decal.RefreshPositions();
    EXPECT_EQ(decal.GetMesh(), nullptr);
}

TEST_F(TerrainDecalTest, TurningRebuildsOnlyWhenTheQuarterChanges)
{
    kaTerrainDecal decal(&m_Terrain, "", 2, 2, 2, 2, 1.0f, 1.0f, true, 0xFFFFFFFFu, 0, 0, 0, 2.0f, 2.0f,
                         false, false, 0.0f, 0.0f);
    // The ground moves under the decal: only a rebuild takes the new heights.
    m_Terrain.FlattenArea(55.0f, Vector3(0.0f, 0.0f, 0.0f), Vector3(8.0f, 0.0f, 8.0f), true);
    decal.SetRotation(45);
    EXPECT_NE(Vertices(decal)[0].position.y, 55.0f);
    decal.SetRotation(90);
    EXPECT_EQ(decal.GetRotation(), 90);
    EXPECT_FLOAT_EQ(Vertices(decal)[0].position.y, 55.0f);
}

TEST_F(TerrainDecalTest, TheTerrainOwnsItsDecalsAndRemovesOnlyItsOwn)
{
    auto* first = Plain(1, 1, 1, 1).release();
    auto* second = Plain(2, 2, 1, 1).release();
    m_Terrain.AddDecal(first);
    m_Terrain.AddDecal(second);
    m_Terrain.AddDecal(nullptr);
    ASSERT_EQ(m_Terrain.GetDecalCount(), 2);
    const auto stranger = Plain(3, 3, 1, 1);
    EXPECT_FALSE(m_Terrain.RemoveDecal(stranger.get()));
    EXPECT_FALSE(m_Terrain.RemoveDecal(nullptr));
    EXPECT_TRUE(m_Terrain.RemoveDecal(first));
    EXPECT_FALSE(m_Terrain.RemoveDecal(first));
    ASSERT_EQ(m_Terrain.GetDecalCount(), 1);
    EXPECT_EQ(m_Terrain.GetDecal(0), second);
    EXPECT_EQ(m_Terrain.GetDecal(1), nullptr);
}

TEST_F(TerrainDecalTest, UnusableNumbersGiveDecalsWithoutUndefinedConversions)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    // Texture numbers are only carried into coordinates; places and sizes are counted wide.
    kaTerrainDecal odd(&m_Terrain, "", 1, 1, 2, 2, nan, inf, true, 0u, INT_MIN, INT_MAX, INT_MIN, 0.0f, -inf,
                       true, true, nan, 3e38f);
    ASSERT_NE(odd.GetMesh(), nullptr);
    EXPECT_EQ(odd.GetRotation(), 0);
    odd.SetRotation(INT_MAX);
    EXPECT_EQ(odd.GetRotation(), 270);
    odd.SetPosition(INT_MAX, INT_MAX);
    odd.RefreshPositions();
    EXPECT_EQ(odd.GetMesh(), nullptr);
    kaTerrainDecal orphan(nullptr, "", 0, 0, 2, 2, 1.0f, 1.0f, true, 0u, 0, 0, 0, 1.0f, 1.0f, false, false,
                          0.0f, 0.0f);
    EXPECT_EQ(orphan.GetMesh(), nullptr);
}

} // namespace
