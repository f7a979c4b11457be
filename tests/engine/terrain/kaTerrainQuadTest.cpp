#include "engine/terrain/kaTerrainQuad.h"
#include "engine/core/kaColor.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using platform::Vector3;
using terraintest::Constant;
using terraintest::ReadIndices;
using terraintest::WriteMap;

namespace
{

const TerrainSamples::MapSize& Map(uint32_t side)
{
    for (const TerrainSamples::MapSize& size : TerrainSamples::kMapSizes)
        if (size.side == side)
            return size;
    return TerrainSamples::kMapSizes[0];
}

std::vector<float> ReadQuadFloats(const kaMeshSubset& subset, uint32_t floatsPerVertex)
{
    std::vector<float> values(size_t(subset.m_VertexCount) * floatsPerVertex);
    const void* data = g_pGraphicsManager->LockVertexBuffer(subset.m_VertexBuffer);
    if (!data)
        return {};
    std::memcpy(values.data(), data, values.size() * sizeof(float));
    g_pGraphicsManager->UnlockVertexBuffer(subset.m_VertexBuffer);
    return values;
}

class SingleLayerTerrainTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    void BuildSample(uint32_t side, bool lighting, const std::string& base)
    {
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(Map(side)),
                                                     float(side - 1), 60.0f, float(side - 1), lighting));
        EXPECT_TRUE(m_Terrain.SetSingleLayerTextures(base, TerrainSamples::TilePath("detail"), 7.0f));
        m_Terrain.BuildSingleLayer();
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    testsupport::TempDir m_Dir;
    kaTerrain m_Terrain;
};

TEST_F(SingleLayerTerrainTest, VerticesCarryPositionNormalBaseAndDetailCoordinates)
{
    struct Case
    {
        bool lighting;
        uint32_t stride;
        uint32_t floats;
    };
    for (const Case& c : {Case{false, 28, 7}, Case{true, 40, 10}})
    {
        SCOPED_TRACE(c.lighting);
        kaTerrain reference;
        ASSERT_TRUE(reference.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(Map(257)), 256.0f, 60.0f,
                                                     256.0f, true));
        BuildSample(257, c.lighting, TerrainSamples::BasePath(256));
        EXPECT_FALSE(m_Terrain.IsLayered());
        EXPECT_TRUE(m_Terrain.GetNormals().empty());
        EXPECT_FLOAT_EQ(m_Terrain.GetHeightScale(), 70.0f / 32768.0f);
        const kaTerrainQuad& quad = *m_Terrain.GetQuad(1, 2);
        const kaMeshSubset& subset = *quad.GetSubset(0);
        EXPECT_EQ(m_Manager->GetVertexStride(subset.m_VertexBuffer), c.stride);
        EXPECT_EQ(quad.GetFVF(), c.lighting ? 0x212u : 0x202u);
        ASSERT_EQ(subset.m_VertexCount, 33u * 33u);
        const std::vector<float> values = ReadQuadFloats(subset, c.floats);
        ASSERT_FALSE(values.empty());
        for (uint32_t r = 0; r <= 32; r += 4)
            for (uint32_t cc = 0; cc <= 32; cc += 4)
            {
                const float* v = &values[size_t(cc + 33 * r) * c.floats];
                const int32_t col = int32_t(32 + cc), row = int32_t(64 + r);
                EXPECT_EQ(Vector3(v[0], v[1], v[2]), reference.GetVertexPosition(col, row));
                if (c.lighting)
                {
                    EXPECT_EQ(Vector3(v[3], v[4], v[5]), reference.GetVertexNormal(col, row));
                }
                const float* uv = v + (c.lighting ? 6 : 3);
                EXPECT_FLOAT_EQ(uv[0], cc / 32.0f);
                EXPECT_FLOAT_EQ(uv[1], r / 32.0f);
                EXPECT_FLOAT_EQ(uv[2], col / 12.0f);
                EXPECT_FLOAT_EQ(uv[3], row / 12.0f);
            }
    }
}

TEST_F(SingleLayerTerrainTest, FullQuadsCarryFiveLevelsAndPartialQuadsTheirOwnCells)
{
    BuildSample(128, false, "");
    ASSERT_EQ(m_Terrain.GetQuadColumns(), 4);
    ASSERT_EQ(m_Terrain.GetQuadRows(), 4);
    const kaTerrainQuad& full = *m_Terrain.GetQuad(1, 1);
    EXPECT_TRUE(full.AreLevelsEnabled());
    ASSERT_EQ(full.GetSubsetCount(), 5u);
    const uint32_t counts[] = {6144, 1536, 384, 96, 24};
    for (uint32_t level = 0; level < 5; ++level)
    {
        const kaMeshSubset& subset = *full.GetSubset(level);
        EXPECT_EQ(subset.m_IndexCount, counts[level]);
        EXPECT_EQ(subset.m_PrimitiveCount, counts[level] / 3);
        EXPECT_EQ(subset.m_VertexBuffer, full.GetSubset(0)->m_VertexBuffer);
        const std::vector<uint16_t> indices = ReadIndices(subset);
        ASSERT_EQ(indices.size(), counts[level]);
        for (uint16_t index : indices)
        {
            // Only every 2^level-th grid vertex.
            EXPECT_EQ(index % 33 % (1u << level), 0u);
            EXPECT_EQ(index / 33 % (1u << level), 0u);
        }
    }
    // The level-0 set starts with the 30 x 30 interior cells.
    const std::vector<uint16_t> level0 = ReadIndices(*full.GetSubset(0));
    for (size_t i = 0; i < 5400; ++i)
    {
        ASSERT_GE(level0[i] % 33, 1u);
        ASSERT_LE(level0[i] % 33, 31u);
        ASSERT_GE(level0[i] / 33, 1u);
        ASSERT_LE(level0[i] / 33, 31u);
    }
    for (const auto& [qx, qz, across, down] : std::vector<std::tuple<int, int, uint32_t, uint32_t>>{
             {3, 1, 31, 32}, {1, 3, 32, 31}, {3, 3, 31, 31}})
    {
        SCOPED_TRACE(std::to_string(qx) + ", " + std::to_string(qz));
        const kaTerrainQuad& partial = *m_Terrain.GetQuad(qx, qz);
        EXPECT_FALSE(partial.AreLevelsEnabled());
        ASSERT_EQ(partial.GetSubsetCount(), 1u);
        const kaMeshSubset& subset = *partial.GetSubset(0);
        EXPECT_EQ(subset.m_VertexCount, (across + 1) * (down + 1));
        const std::vector<uint16_t> indices = ReadIndices(subset);
        ASSERT_EQ(indices.size(), size_t(across * down * 6));
        std::vector<bool> used(subset.m_VertexCount, false);
        for (uint16_t index : indices)
        {
            ASSERT_LT(index, subset.m_VertexCount);
            used[index] = true;
        }
        EXPECT_EQ(std::count(used.begin(), used.end(), false), 0);
    }
    EXPECT_EQ(m_Terrain.GetQuad(0, 0)->GetNeighbour(kaTerrainQuad::kLeft), nullptr);
    EXPECT_EQ(m_Terrain.GetQuad(0, 0)->GetNeighbour(kaTerrainQuad::kRight), m_Terrain.GetQuad(1, 0));
    EXPECT_EQ(m_Terrain.GetQuad(2, 1)->GetNeighbour(kaTerrainQuad::kNextRow), m_Terrain.GetQuad(2, 2));
    EXPECT_EQ(m_Terrain.GetQuad(2, 1)->GetNeighbour(kaTerrainQuad::kPreviousRow), m_Terrain.GetQuad(2, 0));
    EXPECT_EQ(m_Terrain.GetQuad(3, 3)->GetNeighbour(kaTerrainQuad::kRight), nullptr);
}

TEST_F(SingleLayerTerrainTest, EachQuadTakesItsPartOfTheBaseImageWithAFullChainAndTheDetailNext)
{
    // Base images of each depth the tiles take; quadrant colours as blue, green, red.
    const std::string grey8 = m_Dir.File("grey.bmp");
    const std::string colour32 = m_Dir.File("colour.tga");
    std::vector<uint8_t> grey(64 * 64), colour(64 * 64 * 4);
    for (uint32_t row = 0; row < 64; ++row)
        for (uint32_t x = 0; x < 64; ++x)
        {
            const auto bgr = TerrainSamples::BasePixel(x, row, 64);
            grey[row * 64 + x] = uint8_t(row < 32 ? 40 : 220);
            const uint8_t bgra[] = {bgr.b, bgr.g, bgr.r, 255};
            std::memcpy(&colour[(row * 64 + x) * 4], bgra, 4);
        }
    ASSERT_TRUE(TerrainSamples::Save(grey8, 64, 64, 8, grey));
    ASSERT_TRUE(TerrainSamples::Save(colour32, 64, 64, 32, colour));
    struct Case
    {
        std::string base;
        uint32_t tileSide;
        bool grey;
    };
    const Case cases[] = {{TerrainSamples::BasePath(256), 32, false}, {colour32, 8, false}, {grey8, 8, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.base);
        BuildSample(257, false, c.base);
        for (int32_t qz = 0; qz < 8; ++qz)
            for (int32_t qx = 0; qx < 8; ++qx)
            {
                kaTexture* tile = m_Terrain.GetTileTexture(qx, qz);
                ASSERT_NE(tile, nullptr);
                EXPECT_EQ(tile->GetWidth(), c.tileSide);
                uint32_t levels = 0;
                kaTexture::GetMipChainSize(c.tileSide, c.tileSide, levels);
                EXPECT_EQ(tile->GetLevels(), levels);
                const kaColor texel = tile->GetPixelColor(0.5f, 0.5f);
                const auto expected = TerrainSamples::kQuadrantColours[qz < 4 ? 0 : 1][qx < 4 ? 0 : 1];
                if (c.grey)
                {
                    EXPECT_NEAR(texel.r, (qz < 4 ? 40 : 220) / 255.0f, 0.01f);
                    EXPECT_NEAR(texel.b, texel.r, 0.01f);
                }
                else
                {
                    EXPECT_NEAR(texel.r, expected.r / 255.0f, 0.01f) << qx << ", " << qz;
                    EXPECT_NEAR(texel.g, expected.g / 255.0f, 0.01f);
                    EXPECT_NEAR(texel.b, expected.b / 255.0f, 0.01f);
                }
                const kaRenderState& state = *m_Terrain.GetQuad(qx, qz)->GetSubset(0)->GetRenderState();
                ASSERT_EQ(state.GetStages().size(), 2u);
                EXPECT_EQ(state.GetTexture(0), tile);
                ASSERT_NE(state.GetTexture(1), nullptr);
                EXPECT_NE(state.GetTexture(1)->GetName().find("detail"), std::string::npos);
                EXPECT_EQ(state.GetStages()[1]->texCoordIndex, 1u);
                EXPECT_EQ(state.GetMaterial().Ambient.r, 1.0f);
            }
    }
}

TEST_F(SingleLayerTerrainTest, ABaseTooSmallForTheQuadsGivesNoTiles)
{
    const std::string tiny = m_Dir.File("tiny.bmp");
    ASSERT_TRUE(TerrainSamples::Save(tiny, 4, 4, 24, std::vector<uint8_t>(48, 90)));
    testsupport::DebugCapture capture;
    BuildSample(257, false, tiny);
    EXPECT_TRUE(capture.Contains("No base tiles"));
    EXPECT_EQ(m_Terrain.GetTileTexture(0, 0), nullptr);
    const kaRenderState& state = *m_Terrain.GetQuad(0, 0)->GetSubset(0)->GetRenderState();
    ASSERT_EQ(state.GetStages().size(), 1u);
    EXPECT_NE(state.GetTexture(0)->GetName().find("detail"), std::string::npos);
}

TEST_F(SingleLayerTerrainTest, SpheresContainTheirQuads)
{
    BuildSample(129, true, "");
    for (int32_t qz = 0; qz < m_Terrain.GetQuadRows(); ++qz)
        for (int32_t qx = 0; qx < m_Terrain.GetQuadColumns(); ++qx)
        {
            const kaTerrainQuad& quad = *m_Terrain.GetQuad(qx, qz);
            EXPECT_GT(quad.GetSphereRadius(), 0.0f);
            for (int32_t row = 32 * qz; row <= 32 * qz + 32; ++row)
                for (int32_t col = 32 * qx; col <= 32 * qx + 32; ++col)
                    ASSERT_LE(
                        platform::Vec3Length(m_Terrain.GetVertexPosition(col, row) - quad.GetSphereCentre()),
                        quad.GetSphereRadius() * 1.0001f);
        }
}

} // namespace

namespace
{

struct GridPoint
{
    int c, r;
};

GridPoint At(uint16_t index)
{
    return {index % kaTerrainQuad::kGridSide, index / kaTerrainQuad::kGridSide};
}

// Twice the signed area in grid steps; the plain cells' triangles (a, c', b) give negative values.
int TwiceArea(const GridPoint& a, const GridPoint& b, const GridPoint& c)
{
    return (b.c - a.c) * (c.r - a.r) - (b.r - a.r) * (c.c - a.c);
}

TEST(TerrainQuadStitchTest, BordersCoverTheQuadOnceWithTheInteriorsWindingForEveryNeighbourLevel)
{
    kaTerrainQuad quad;
    kaTerrainQuad neighbours[4];
    for (int side = 0; side < 4; ++side)
        quad.SetNeighbour(side, &neighbours[side]);
    for (int32_t level = 0; level < kaTerrainQuad::kLevelCount; ++level)
    {
        ASSERT_TRUE(quad.SetLevel(level));
        for (int combination = 0; combination < 625; ++combination)
        {
            int levels[4];
            for (int side = 0, rest = combination; side < 4; ++side, rest /= 5)
            {
                levels[side] = rest % 5;
                ASSERT_TRUE(neighbours[side].SetLevel(levels[side]));
            }
            SCOPED_TRACE(testing::Message() << "level " << level << " neighbours " << levels[0] << levels[1]
                                            << levels[2] << levels[3]);
            const std::vector<uint16_t> indices = quad.StitchedIndices();
            ASSERT_EQ(indices.size() % 3, 0u);
            int area = 0;
            for (size_t i = 0; i < indices.size(); i += 3)
            {
                const int twice = TwiceArea(At(indices[i]), At(indices[i + 1]), At(indices[i + 2]));
                ASSERT_LT(twice, 0) << "triangle " << i / 3;
                area -= twice;
                // On a border line only the vertices both sides have.
                for (size_t k = i; k < i + 3; ++k)
                {
                    const GridPoint p = At(indices[k]);
                    const int coarse[4] = {p.c == 0 ? p.r : -1, p.c == 32 ? p.r : -1, p.r == 32 ? p.c : -1,
                                           p.r == 0 ? p.c : -1};
                    for (int side = 0; side < 4; ++side)
                        if (coarse[side] >= 0)
                        {
                            ASSERT_EQ(coarse[side] % (1 << std::max(level, levels[side])), 0) << side;
                        }
                }
            }
            ASSERT_EQ(area, 2 * 32 * 32);
        }
    }
}

TEST(TerrainQuadStitchTest, SamplePointsLieInExactlyOneTriangle)
{
    kaTerrainQuad quad;
    kaTerrainQuad neighbours[4];
    const int cases[][5] = {
        {0, 0, 0, 0, 0}, {0, 1, 0, 2, 4}, {2, 0, 4, 3, 1}, {4, 0, 0, 0, 0}, {1, 4, 4, 4, 4}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c[0] << " " << c[1] << c[2] << c[3] << c[4]);
        ASSERT_TRUE(quad.SetLevel(c[0]));
        for (int side = 0; side < 4; ++side)
        {
            ASSERT_TRUE(neighbours[side].SetLevel(c[side + 1]));
            quad.SetNeighbour(side, &neighbours[side]);
        }
        const std::vector<uint16_t> indices = quad.StitchedIndices();
        // Points off every grid line and diagonal: quarter steps shifted a little.
        for (double x = 0.13; x < 32.0; x += 0.5)
            for (double z = 0.29; z < 32.0; z += 0.5)
            {
                int inside = 0;
                for (size_t i = 0; i < indices.size(); i += 3)
                {
                    const GridPoint a = At(indices[i]), b = At(indices[i + 1]), d = At(indices[i + 2]);
                    const auto edge = [x, z](const GridPoint& p, const GridPoint& q)
                    { return (q.c - p.c) * (z - p.r) - (q.r - p.r) * (x - p.c); };
                    if (edge(a, b) < 0 && edge(b, d) < 0 && edge(d, a) < 0)
                        ++inside;
                }
                ASSERT_EQ(inside, 1) << x << ", " << z;
            }
    }
}

TEST(TerrainQuadStitchTest, CountsOfPlainAndHalvedBorders)
{
    kaTerrainQuad quad;
    kaTerrainQuad left;
    quad.SetNeighbour(kaTerrainQuad::kLeft, &left);
    struct Case
    {
        int32_t quadLevel, leftLevel;
        size_t triangles;
    };
    // Level 0: 900 interior cells' triangles plus 62 a border; beside level 1 the left border is 15 fans
    // of two and a closing triangle (the corners one fan each); level 4 has no interior.
    const Case cases[] = {{0, 0, 1800 + 4 * 62}, {0, 1, 1800 + 3 * 62 + 46}, {4, 4, 8}, {1, 0, 392 + 4 * 30}};
    for (const Case& c : cases)
    {
        ASSERT_TRUE(quad.SetLevel(c.quadLevel));
        ASSERT_TRUE(left.SetLevel(c.leftLevel));
        EXPECT_EQ(quad.StitchedIndices().size(), c.triangles * 3) << c.quadLevel << " " << c.leftLevel;
    }
}

} // namespace

namespace
{

TEST(TerrainQuadStitchTest, ALevelChangeMarksTheQuadAndItsNeighboursForStitching)
{
    kaTerrainQuad centre, far;
    kaTerrainQuad neighbours[4];
    for (int side = 0; side < 4; ++side)
        centre.SetNeighbour(side, &neighbours[side]);
    const auto clean = [&]
    {
        for (kaTerrainQuad* quad :
             {&centre, &far, &neighbours[0], &neighbours[1], &neighbours[2], &neighbours[3]})
            quad->UpdateLodEdges();
    };
    struct Case
    {
        int32_t level;
        bool accepted, marked;
    };
    // In order: a change, the same level again, levels out of range.
    const Case cases[] = {{3, true, true}, {3, true, false}, {5, false, false}, {-1, false, false}};
    for (const Case& c : cases)
    {
        clean();
        EXPECT_EQ(centre.SetLevel(c.level), c.accepted) << c.level;
        EXPECT_EQ(centre.AreEdgesDirty(), c.marked);
        for (const kaTerrainQuad& neighbour : neighbours)
            EXPECT_EQ(neighbour.AreEdgesDirty(), c.marked);
        EXPECT_FALSE(far.AreEdgesDirty());
    }
    EXPECT_EQ(centre.GetLevel(), 3);
    centre.SetLevelsEnabled(false);
    EXPECT_FALSE(centre.SetLevel(1));
    EXPECT_TRUE(centre.SetLevel(0));
}

} // namespace
