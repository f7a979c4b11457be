#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/render/kaRenderState.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>

using platform::Vector3;
using terraintest::Constant;
using terraintest::ReadIndices;
using terraintest::ReadVertices;
using terraintest::SampleFn;
using terraintest::WriteMap;

namespace
{

class TerrainLayersTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A 5 x 5 map: one quad of 4 x 4 cells, 32 triangles, cell size 2.
    void MakeSmallMap(bool vertexLighting, const SampleFn& heights = Constant(60))
    {
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(WriteMap(m_Dir, "map.bmp", 5, 5, heights), 8.0f, 30.0f,
                                                     8.0f, vertexLighting));
    }

    std::string Mask(const SampleFn& sample, uint32_t side = 5)
    {
        return WriteMap(m_Dir, "mask" + std::to_string(m_Masks++) + ".bmp", side, side, sample);
    }

    kaLayeredTerrainQuad& Quad(int32_t qx = 0, int32_t qz = 0)
    {
        auto* quad = dynamic_cast<kaLayeredTerrainQuad*>(m_Terrain.GetQuad(qx, qz));
        EXPECT_NE(quad, nullptr);
        return *quad;
    }

    uint32_t Triangles(int32_t layer, int32_t qx = 0, int32_t qz = 0)
    {
        return Quad(qx, qz).GetSubset(uint32_t(layer))->m_PrimitiveCount;
    }

    testsupport::TempDir m_Dir;
    kaTerrain m_Terrain;
    int m_Masks = 0;
};

TEST_F(TerrainLayersTest, LayersTakeTheTrianglesTheirMasksCoverFromTheTopDown)
{
    const SampleFn full = Constant(255);
    const SampleFn leftHalf = [](uint32_t col, uint32_t) { return col <= 2 ? 255 : 0; };
    const SampleFn oneCorner = [](uint32_t col, uint32_t row) { return col == 1 && row == 1 ? 200 : 0; };
    const SampleFn faint = Constant(254);
    struct Layer
    {
        SampleFn mask;
        bool hard;
    };
    struct Case
    {
        const char* what;
        std::vector<Layer> layers;
        std::vector<uint32_t> triangles;
    };
    const Case cases[] = {
        {"one full layer", {{full, false}}, {32}},
        {"full and hard", {{full, true}}, {32}},
        // Cells of columns 0 and 1 are opaque in the top layer; column 2 cells touch it softly.
        {"top on the left half", {{full, false}, {leftHalf, false}}, {16, 24}},
        {"hard top on the left half", {{full, false}, {leftHalf, true}}, {16, 16}},
        // Not all 255: nothing is covered, both layers keep every triangle.
        {"faint top", {{full, false}, {faint, false}}, {32, 32}},
        {"one soft corner", {{oneCorner, false}}, {6}},
        {"one hard corner", {{oneCorner, true}}, {0}},
        {"no mask values", {{Constant(0), false}}, {0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        kaTerrain terrain;
        ASSERT_TRUE(terrain.GenerateHeightMapVerts(WriteMap(m_Dir, "map.bmp", 5, 5, Constant(60)), 8.0f,
                                                   30.0f, 8.0f, false));
        for (const Layer& layer : c.layers)
            ASSERT_TRUE(terrain.AddLayer(Mask(layer.mask), "ground.bmp", 1.0f, layer.hard));
        terrain.Build();
        auto* quad = dynamic_cast<kaLayeredTerrainQuad*>(terrain.GetQuad(0, 0));
        ASSERT_NE(quad, nullptr);
        ASSERT_EQ(quad->GetSubsetCount(), c.layers.size());
        for (size_t l = 0; l < c.layers.size(); ++l)
        {
            const kaMeshSubset& subset = *quad->GetSubset(uint32_t(l));
            EXPECT_EQ(subset.m_PrimitiveCount, c.triangles[l]) << "layer " << l;
            EXPECT_EQ(ReadIndices(subset).size(), size_t(c.triangles[l]) * 3);
        }
    }
}

TEST_F(TerrainLayersTest, AFullMaskGivesOpaqueWhiteVerticesAndCoveredGroundHasNoLowerTriangles)
{
    MakeSmallMap(false);
    ASSERT_TRUE(m_Terrain.AddLayer(Mask(Constant(255)), "bottom.bmp", 1.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(Mask([](uint32_t col, uint32_t) { return col <= 2 ? 255 : 0; }), "top.bmp",
                                   1.0f, false));
    m_Terrain.Build();
    const kaMeshSubset& bottom = *Quad().GetSubset(0);
    const auto vertices = ReadVertices(bottom);
    const auto indices = ReadIndices(bottom);
    ASSERT_FALSE(vertices.empty());
    for (const auto& vertex : vertices)
        EXPECT_EQ(vertex.color, 0xFFFFFFFFu);
    for (size_t t = 0; t + 2 < indices.size(); t += 3)
    {
        float right = 0.0f;
        for (size_t i = 0; i < 3; ++i)
        {
            ASSERT_LT(indices[t + i], vertices.size());
            right = std::max(right, vertices[indices[t + i]].position.x);
        }
        // Cells of columns 0 and 1 (x up to 4) are covered by the top layer.
        EXPECT_GT(right, 4.0f) << "triangle " << t / 3;
    }
    EXPECT_TRUE(bottom.GetRenderState()->m_AlphaBlend);
    EXPECT_FALSE(bottom.GetRenderState()->m_Lighting);
}

TEST_F(TerrainLayersTest, ASoftLayerTakesTheMaskValueAsAlphaAtEachCorner)
{
    MakeSmallMap(true);
    ASSERT_TRUE(
        m_Terrain.AddLayer(Mask([](uint32_t col, uint32_t row) { return col == 1 && row == 1 ? 200 : 0; }),
                           "soft.bmp", 1.0f, false));
    m_Terrain.Build();
    const auto vertices = ReadVertices(*Quad().GetSubset(0));
    ASSERT_FALSE(vertices.empty());
    for (const auto& vertex : vertices)
    {
        const bool corner = vertex.position.x == 2.0f && vertex.position.z == 2.0f;
        EXPECT_EQ(vertex.color, corner ? 0xC8FFFFFFu : 0x00FFFFFFu);
    }
    EXPECT_TRUE(Quad().GetSubset(0)->GetRenderState()->m_Lighting);
}

TEST_F(TerrainLayersTest, TextureCoordinatesRepeatEveryStretchCellsAndABadStretchDrawsAsOne)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case
    {
        float stretch;
        float perCell;
    };
    const Case cases[] = {{4.0f, 0.25f}, {1.0f, 1.0f},  {0.5f, 2.0f},
                          {0.0f, 1.0f},  {-2.0f, 1.0f}, {nan, 1.0f}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.stretch);
        kaTerrain terrain;
        // Cells 2 units across and 3 deep: both coordinates step by the X cell size.
        ASSERT_TRUE(terrain.GenerateHeightMapVerts(WriteMap(m_Dir, "map.bmp", 5, 5, Constant(60)), 8.0f,
                                                   30.0f, 12.0f, false));
        ASSERT_TRUE(terrain.AddLayer(Mask(Constant(255)), "ground.bmp", c.stretch, false));
        terrain.Build();
        EXPECT_TRUE(std::isnan(c.stretch) ? std::isnan(terrain.GetLayer(0)->GetStretch())
                                          : terrain.GetLayer(0)->GetStretch() == c.stretch);
        const auto vertices =
            ReadVertices(*dynamic_cast<kaLayeredTerrainQuad*>(terrain.GetQuad(0, 0))->GetSubset(0));
        ASSERT_FALSE(vertices.empty());
        for (const auto& vertex : vertices)
        {
            EXPECT_FLOAT_EQ(vertex.u, vertex.position.x / 2.0f * c.perCell);
            EXPECT_FLOAT_EQ(vertex.v, vertex.position.z / 2.0f * c.perCell);
        }
    }
}

TEST_F(TerrainLayersTest, RemovingALayerOutOfRangeKeepsThemAll)
{
    MakeSmallMap(false);
    std::vector<std::string> masks;
    for (int i = 0; i < 3; ++i)
    {
        masks.push_back(Mask(Constant(uint8_t(i))));
        ASSERT_TRUE(m_Terrain.AddLayer(masks.back(), "t" + std::to_string(i) + ".bmp", 1.0f, false));
    }
    EXPECT_EQ(m_Terrain.RemoveLayer(3), 3);
    EXPECT_EQ(m_Terrain.RemoveLayer(-1), 3);
    EXPECT_EQ(m_Terrain.RemoveLayer(40), 3);
    EXPECT_EQ(m_Terrain.RemoveLayer(1), 2);
    ASSERT_EQ(m_Terrain.GetLayerCount(), 2);
    EXPECT_EQ(m_Terrain.GetLayer(0)->GetMaskPath(), masks[0]);
    EXPECT_EQ(m_Terrain.GetLayer(1)->GetMaskPath(), masks[2]);
    EXPECT_EQ(m_Terrain.GetLayer(1)->GetTexturePath(), "t2.bmp");
}

TEST_F(TerrainLayersTest, MasksThatCannotBeReadAtTheSampleIndexAreRefusedOrSkipped)
{
    MakeSmallMap(false);
    const std::string colour = m_Dir.File("colour.bmp");
    ASSERT_TRUE(TerrainSamples::Save(colour, 5, 5, 24, std::vector<uint8_t>(75, 255)));
    EXPECT_FALSE(m_Terrain.AddLayer(colour, "ground.bmp", 1.0f, false));
    EXPECT_FALSE(m_Terrain.AddLayer(m_Dir.File("absent.bmp"), "ground.bmp", 1.0f, false));
    EXPECT_EQ(m_Terrain.GetLayerCount(), 0);

    ASSERT_TRUE(m_Terrain.AddLayer(Mask(Constant(255)), "good.bmp", 1.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(Mask(Constant(255), 3), "small.bmp", 1.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(Mask(Constant(255), 9), "large.bmp", 1.0f, false));
    testsupport::DebugCapture capture;
    m_Terrain.Build();
    EXPECT_FALSE(capture.Contains("Layer 0 skipped"));
    EXPECT_TRUE(capture.Contains("Layer 1 skipped"));
    EXPECT_TRUE(capture.Contains("Layer 2 skipped"));
    EXPECT_EQ(m_Terrain.GetLayerCount(), 3);
    EXPECT_EQ(Triangles(0), 32u);
    EXPECT_EQ(Triangles(1), 0u);
    EXPECT_EQ(Triangles(2), 0u);
}

// A layer that draws nothing must say why: the mask's own size beside the height map's.
TEST_F(TerrainLayersTest, ASkippedMaskIsReportedWithItsSizeAndTheHeightMaps)
{
    const struct
    {
        uint32_t side;
        const char* line;
    } cases[] = {
        {3, "is 3 x 3 samples, the height map 5 x 5"},
        {9, "is 9 x 9 samples, the height map 5 x 5"},
        {6, "is 6 x 6 samples, the height map 5 x 5"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.side);
        kaTerrain terrain;
        ASSERT_TRUE(terrain.GenerateHeightMapVerts(WriteMap(m_Dir, "map.bmp", 5, 5, Constant(60)), 8.0f,
                                                   30.0f, 8.0f, false));
        const std::string mask = Mask(Constant(255), c.side);
        ASSERT_TRUE(terrain.AddLayer(mask, "ground.bmp", 1.0f, false));
        testsupport::DebugCapture capture;
        terrain.Build();
        EXPECT_TRUE(capture.Contains("Layer 0 skipped: mask " + mask + " " + c.line))
            << (capture.Lines().empty() ? "" : capture.Lines().back());
    }
}

TEST_F(TerrainLayersTest, EveryGridPointRecordNamesTheVerticesStandingOnIt)
{
    // 34 samples: a full quad and a one-cell quad along each side; cells 2 across and 3 deep.
    const std::string map =
        WriteMap(m_Dir, "map.bmp", 34, 34, [](uint32_t col, uint32_t row) { return col + row * 3; });
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, 66.0f, 40.0f, 99.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(Mask(Constant(255), 34), "a.bmp", 1.0f, false));
    ASSERT_TRUE(
        m_Terrain.AddLayer(Mask([](uint32_t col, uint32_t row) { return (col * 7 + row * 3) % 256; }, 34),
                           "b.bmp", 1.0f, false));
    m_Terrain.Build();
    ASSERT_EQ(m_Terrain.GetQuadColumns(), 2);
    for (int32_t qz = 0; qz < 2; ++qz)
        for (int32_t qx = 0; qx < 2; ++qx)
        {
            SCOPED_TRACE(std::to_string(qx) + ", " + std::to_string(qz));
            kaLayeredTerrainQuad& quad = Quad(qx, qz);
            const int32_t across = qx == 0 ? 33 : 2;
            const auto& records = quad.GetGridPoints();
            ASSERT_EQ(records.size(), size_t(across * (qz == 0 ? 33 : 2)));
            std::vector<std::vector<kaLayeredMeshSubset::Vertex>> vertices;
            std::set<std::pair<int32_t, int32_t>> named;
            for (uint32_t l = 0; l < 2; ++l)
                vertices.push_back(ReadVertices(*quad.GetSubset(l)));
            for (size_t g = 0; g < records.size(); ++g)
            {
                const Vector3 expected = m_Terrain.GetVertexPosition(32 * qx + int32_t(g % size_t(across)),
                                                                     32 * qz + int32_t(g / size_t(across)));
                for (const auto& [layer, vertex] : records[g])
                {
                    ASSERT_LT(size_t(vertex), vertices[size_t(layer)].size());
                    EXPECT_EQ(vertices[size_t(layer)][size_t(vertex)].position, expected);
                    EXPECT_TRUE(named.insert({layer, vertex}).second);
                }
            }
            EXPECT_EQ(named.size(), vertices[0].size() + vertices[1].size());
        }
}

TEST_F(TerrainLayersTest, LayerNormalsComeFromThePositionsWhenNoneAreKept)
{
    const SampleFn ramp = [](uint32_t col, uint32_t row) { return col * 40 + row * 10; };
    struct Case
    {
        const char* what;
        bool lighting;
        bool singleLayerFirst;
    };
    const Case cases[] = {{"lighting off", false, false}, {"after the single-layer build", true, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        kaTerrain terrain;
        ASSERT_TRUE(terrain.GenerateHeightMapVerts(WriteMap(m_Dir, "ramp.bmp", 5, 5, ramp), 8.0f, 30.0f, 8.0f,
                                                   c.lighting));
        kaTerrain reference;
        ASSERT_TRUE(reference.GenerateHeightMapVerts(m_Dir.File("ramp.bmp"), 8.0f, 30.0f, 8.0f, true));
        if (c.singleLayerFirst)
        {
            terrain.BuildSingleLayer();
            EXPECT_TRUE(terrain.GetNormals().empty());
        }
        ASSERT_TRUE(terrain.AddLayer(Mask(Constant(255)), "ground.bmp", 1.0f, false));
        terrain.Build();
        const auto vertices =
            ReadVertices(*dynamic_cast<kaLayeredTerrainQuad*>(terrain.GetQuad(0, 0))->GetSubset(0));
        ASSERT_FALSE(vertices.empty());
        for (const auto& vertex : vertices)
        {
            const Vector3 expected = reference.GetVertexNormal(int32_t(vertex.position.x / 2.0f),
                                                               int32_t(vertex.position.z / 2.0f));
            EXPECT_NEAR(vertex.normal.x, expected.x, 1e-5f);
            EXPECT_NEAR(vertex.normal.y, expected.y, 1e-5f);
            EXPECT_NEAR(vertex.normal.z, expected.z, 1e-5f);
        }
    }
}

TEST_F(TerrainLayersTest, AQuadsSphereHoldsItsFarRowAndColumn)
{
    // Rising steeply towards the far corner, so the last row and column hold the highest points.
    const std::string map =
        WriteMap(m_Dir, "map.bmp", 66, 66,
                 [](uint32_t col, uint32_t row) { return col % 32 == 0 || row % 32 == 0 ? 255 : 0; });
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, 65.0f, 200.0f, 65.0f, false));
    m_Terrain.Build();
    for (int32_t qz = 0; qz < m_Terrain.GetQuadRows(); ++qz)
        for (int32_t qx = 0; qx < m_Terrain.GetQuadColumns(); ++qx)
        {
            const kaTerrainQuad& quad = *m_Terrain.GetQuad(qx, qz);
            const int32_t lastCol = std::min(32 * qx + 32, m_Terrain.GetColumns() - 1);
            const int32_t lastRow = std::min(32 * qz + 32, m_Terrain.GetRows() - 1);
            for (int32_t row = 32 * qz; row <= lastRow; ++row)
                for (int32_t col = 32 * qx; col <= lastCol; ++col)
                    ASSERT_LE(
                        platform::Vec3Length(m_Terrain.GetVertexPosition(col, row) - quad.GetSphereCentre()),
                        quad.GetSphereRadius() * 1.0001f)
                        << qx << ", " << qz << ": " << col << ", " << row;
        }
}

} // namespace
