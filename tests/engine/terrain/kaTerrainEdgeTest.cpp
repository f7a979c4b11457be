#include "engine/model/kaMesh.h"
#include "engine/render/kaRenderState.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

using platform::Vector3;
using terraintest::ReadIndices;
using terraintest::WriteMap;

namespace
{

// Position, normal and the texture coordinate sets after them, as floats.
std::vector<float> ReadFloats(const kaMeshSubset& subset, size_t floatsPerVertex)
{
    std::vector<float> values(size_t(subset.m_VertexCount) * floatsPerVertex);
    const void* data = g_pGraphicsManager->LockVertexBuffer(subset.m_VertexBuffer);
    if (!data)
        return {};
    std::memcpy(values.data(), data, values.size() * sizeof(float));
    g_pGraphicsManager->UnlockVertexBuffer(subset.m_VertexBuffer);
    return values;
}

Vector3 PositionOf(const std::vector<float>& floats, size_t floatsPerVertex, uint16_t index)
{
    const float* v = &floats[size_t(index) * floatsPerVertex];
    return Vector3(v[0], v[1], v[2]);
}

// The signed area of a triangle seen from above; the ground's own triangles are negative.
double Turn(const Vector3& a, const Vector3& b, const Vector3& c)
{
    return 0.5 * (double(b.x - a.x) * double(c.z - a.z) - double(b.z - a.z) * double(c.x - a.x));
}

class TerrainEdgeTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A fresh terrain of side x side samples.
    void Generate(uint32_t side, float cell)
    {
        m_pTerrain = std::make_unique<kaTerrain>();
        const std::string map =
            WriteMap(m_Dir, "map.bmp", side, side,
                     [](uint32_t col, uint32_t row) { return uint8_t(col * 7 + row * 2 + 40); });
        ASSERT_TRUE(m_pTerrain->GenerateHeightMapVerts(map, float(side - 1) * cell, 30.0f,
                                                       float(side - 1) * cell, false));
        m_pTerrain->ComputeEdgeBaseHeight();
    }

    void AddLayer(uint32_t side, float stretch)
    {
        const std::string mask = WriteMap(m_Dir, "mask.bmp", side, side, terraintest::Constant(255));
        ASSERT_TRUE(m_pTerrain->AddLayer(mask, TerrainSamples::TilePath("grass"), stretch, false));
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    testsupport::TempDir m_Dir;
    std::unique_ptr<kaTerrain> m_pTerrain = std::make_unique<kaTerrain>();
};

TEST_F(TerrainEdgeTest, EdgePanelsAreAFlatFrameAtTheEdgeBaseHeightFacingUpDrawnAfterTheGround)
{
    Generate(17, 2.0f);
    ASSERT_TRUE(m_pTerrain->SetSingleLayerTextures("", TerrainSamples::TilePath("detail"), 1.0f));
    m_pTerrain->BuildEdgePanels(TerrainSamples::TilePath("sand"));
    EXPECT_EQ(m_pTerrain->GetEdgePanelPath(), TerrainSamples::TilePath("sand"));
    const kaMesh* mesh = m_pTerrain->GetEdgeMesh();
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(mesh->GetFVF(), 0x212u);
    EXPECT_EQ(mesh->GetRenderOrder(), -45);
    ASSERT_EQ(mesh->GetSubsetCount(), 1u);
    const kaMeshSubset& subset = *mesh->GetSubset(0);
    // The panel texture first, the detail texture after it.
    ASSERT_NE(subset.GetRenderState()->GetTexture(0), nullptr);
    EXPECT_NE(subset.GetRenderState()->GetTexture(1), nullptr);
    EXPECT_TRUE(subset.GetRenderState()->m_Lighting);

    const std::vector<float> floats = ReadFloats(subset, 10);
    ASSERT_EQ(floats.size(), 80u);
    const float base = m_pTerrain->GetEdgeBaseHeight();
    EXPECT_GT(base, 10.0f);
    const float corners[8][2] = {{0, 32},       {32, 32},     {0, 0},         {32, 0},
                                 {-1000, 1032}, {1032, 1032}, {-1000, -1000}, {1032, -1000}};
    for (uint16_t i = 0; i < 8; ++i)
    {
        EXPECT_EQ(PositionOf(floats, 10, i), Vector3(corners[i][0], base, corners[i][1])) << i;
        EXPECT_EQ(Vector3(floats[i * 10 + 3], floats[i * 10 + 4], floats[i * 10 + 5]),
                  Vector3(0.0f, 1.0f, 0.0f));
    }
    // The texture repeats: coordinates grow with the distance, and the second set is the first scaled.
    EXPECT_LT(floats[6 * 10 + 6], floats[7 * 10 + 6]);
    const float ratio = floats[7 * 10 + 8] / floats[7 * 10 + 6];
    EXPECT_NEAR(floats[4 * 10 + 9] / floats[4 * 10 + 7], ratio, 1e-4f);

    const std::vector<uint16_t> indices = ReadIndices(subset);
    EXPECT_EQ(indices, (std::vector<uint16_t>{0, 4, 5, 0, 5, 1, 1, 5, 7, 1, 7, 3,
                                              3, 7, 6, 3, 6, 2, 2, 6, 4, 2, 4, 0}));
    // All eight face up as the ground does, and they cover the frame once.
    double area = 0.0;
    for (size_t t = 0; t < indices.size(); t += 3)
    {
        const double turn = Turn(PositionOf(floats, 10, indices[t]), PositionOf(floats, 10, indices[t + 1]),
                                 PositionOf(floats, 10, indices[t + 2]));
        EXPECT_LT(turn, 0.0) << t / 3;
        area -= turn;
    }
    EXPECT_NEAR(area, 2032.0 * 2032.0 - 32.0 * 32.0, 1.0);
}

TEST_F(TerrainEdgeTest, TheApronRingsHalveOutwardAndCoverTheFrameAroundTheTerrainOnce)
{
    struct Case
    {
        uint32_t side;
        int rings;
        size_t borderVertices;
    };
    // Ring sizes: 65 33 17 9 5 3 (five rings at most); 5 3 2; 4 2 (the last vertex of a ring stays the
    // border's end); 3 2; and none under 2 vertices.
    const Case cases[] = {{65, 5, 65 + 33 + 17 + 9 + 5 + 3}, {5, 2, 10}, {4, 1, 6}, {3, 1, 5}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.side);
        const float cell = 2.0f;
        Generate(c.side, cell);
        AddLayer(c.side, 4.0f);
        m_pTerrain->Build();
        m_pTerrain->BuildLayeredEdgeApron();
        const kaMesh* mesh = m_pTerrain->GetEdgeMesh();
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->GetFVF(), 0x112u);
        ASSERT_EQ(mesh->GetSubsetCount(), 8u);
        const float side = float(c.side - 1) * cell;
        const float reach = 2.0f * cell * float((1 << c.rings) - 1);
        double area = 0.0;
        float lowestX = 0.0f;
        for (uint32_t s = 0; s < 8; ++s)
        {
            const kaMeshSubset& subset = *mesh->GetSubset(s);
            EXPECT_NE(subset.GetRenderState()->GetTexture(0), nullptr);
            const std::vector<float> floats = ReadFloats(subset, 8);
            if (s < 4)
            {
                EXPECT_EQ(subset.m_VertexCount, c.borderVertices);
            }
            const std::vector<uint16_t> indices = ReadIndices(subset);
            ASSERT_EQ(subset.m_PrimitiveCount * 3, indices.size());
            for (size_t t = 0; t < indices.size(); t += 3)
            {
                const double turn =
                    Turn(PositionOf(floats, 8, indices[t]), PositionOf(floats, 8, indices[t + 1]),
                         PositionOf(floats, 8, indices[t + 2]));
                EXPECT_LT(turn, 0.0) << s << " " << t / 3;
                area -= turn;
            }
            for (uint32_t v = 0; v < subset.m_VertexCount; ++v)
                lowestX = std::min(lowestX, floats[v * 8]);
        }
        EXPECT_FLOAT_EQ(lowestX, -reach);
        const double outer = double(side) + 2.0 * double(reach);
        EXPECT_NEAR(area, outer * outer - double(side) * double(side), 1e-2 * outer);
    }

    // Two samples a side leave no ring of 2 vertices: no apron. Without layers there is none either.
    Generate(2, 1.0f);
    AddLayer(2, 1.0f);
    m_pTerrain->Build();
    m_pTerrain->BuildLayeredEdgeApron();
    EXPECT_EQ(m_pTerrain->GetEdgeMesh(), nullptr);
    Generate(9, 1.0f);
    m_pTerrain->Build();
    m_pTerrain->BuildLayeredEdgeApron();
    EXPECT_EQ(m_pTerrain->GetEdgeMesh(), nullptr);
}

TEST_F(TerrainEdgeTest, TheApronStartsOnTheBorderSamplesAndKeepsTheirHeightsOutward)
{
    Generate(17, 1.0f);
    AddLayer(17, 4.0f);
    m_pTerrain->Build();
    m_pTerrain->BuildLayeredEdgeApron();
    ASSERT_NE(m_pTerrain->GetEdgeMesh(), nullptr);
    // The left border: samples (0, row), then rings of 9, 5, 3 and 2 vertices at x = -2, -6, -14, -30.
    const kaMeshSubset& left = *m_pTerrain->GetEdgeMesh()->GetSubset(0);
    const std::vector<float> floats = ReadFloats(left, 8);
    ASSERT_EQ(left.m_VertexCount, 17u + 9u + 5u + 3u + 2u);
    for (uint16_t row = 0; row < 17; ++row)
    {
        EXPECT_EQ(PositionOf(floats, 8, row), m_pTerrain->GetVertexPosition(0, row)) << row;
        // The layer's own coordinates: a repeat every 4 cells.
        EXPECT_FLOAT_EQ(floats[row * 8 + 7], float(row) / 4.0f);
    }
    const Vector3 secondRing = PositionOf(floats, 8, 17 + 9 + 1);
    EXPECT_EQ(secondRing, Vector3(-6.0f, m_pTerrain->GetVertexPosition(0, 4).y, 4.0f));
    const Vector3 lastRing = PositionOf(floats, 8, 17 + 9 + 5 + 3 + 1);
    EXPECT_EQ(lastRing, Vector3(-30.0f, m_pTerrain->GetVertexPosition(0, 16).y, 16.0f));
    // The outer rings' repeat doubles with each ring.
    EXPECT_FLOAT_EQ(floats[size_t(17 + 9 + 1) * 8 + 7], 4.0f / 4.0f / 4.0f);
}

} // namespace
