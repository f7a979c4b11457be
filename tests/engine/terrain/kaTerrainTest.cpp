#include "engine/terrain/kaTerrain.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/kaImage.h"
#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using platform::Vector3;
using terraintest::Constant;
using terraintest::WriteMap;

namespace
{

void ExpectNear(const Vector3& actual, const Vector3& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

Vector3 Unit(const Vector3& v)
{
    return v / platform::Vec3Length(v);
}

class TerrainHeightFieldTest : public ::testing::Test
{
protected:
    testsupport::TempDir m_Dir;
    kaTerrain m_Terrain;
};

TEST_F(TerrainHeightFieldTest, HeightsFollowTheGeneratedMapsWithRowZeroTheFirstStoredRow)
{
    testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
    for (const TerrainSamples::MapSize& size : TerrainSamples::kMapSizes)
    {
        SCOPED_TRACE(size.name);
        const float width = float(size.side - 1) * 2.0f;
        const float length = float(size.side - 1) * 3.0f;
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(size), width, 100.0f,
                                                     length, false));
        ASSERT_EQ(m_Terrain.GetColumns(), int32_t(size.side));
        ASSERT_EQ(m_Terrain.GetRows(), int32_t(size.side));
        EXPECT_FLOAT_EQ(m_Terrain.GetCellSize(), 2.0f);
        for (uint32_t row = 0; row < size.side; row += 7)
            for (uint32_t col = 0; col < size.side; col += 5)
            {
                const float sample = TerrainSamples::HeightSample(col, row, size.side);
                ExpectNear(m_Terrain.GetVertexPosition(int32_t(col), int32_t(row)),
                           Vector3(col * 2.0f, 10.0f + sample / 255.0f * 100.0f, row * 3.0f), 0.01f);
            }
        const int32_t last = int32_t(size.side) - 1;
        // The formula's extremes: 0 at the first sample, 255 at the last.
        EXPECT_NEAR(m_Terrain.GetVertexPosition(0, 0).y, 10.0f, 0.01f);
        EXPECT_NEAR(m_Terrain.GetVertexPosition(last, last).y, 110.0f, 0.01f);
        EXPECT_NEAR(m_Terrain.GetLowestHeight(), 10.0f, 0.01f);
        EXPECT_NEAR(m_Terrain.GetHighestHeight(), 110.0f, 0.01f);
    }
}

TEST_F(TerrainHeightFieldTest, QuadsAreAtMost32CellsAndTheLastOnesTakeTheRemainder)
{
    struct Case
    {
        uint32_t columns, rows;
        int32_t quadColumns, quadRows;
        int32_t lastAcross, lastDown;
    };
    const Case cases[] = {{257, 257, 8, 8, 32, 32}, {258, 258, 9, 9, 1, 1}, {33, 33, 1, 1, 32, 32},
                          {34, 2, 2, 1, 1, 1},      {2, 2, 1, 1, 1, 1},     {65, 40, 2, 2, 32, 7}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.columns) + " x " + std::to_string(c.rows));
        const std::string path = WriteMap(m_Dir, "quads.bmp", c.columns, c.rows, Constant(9));
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(path, 100.0f, 50.0f, 100.0f, false));
        m_Terrain.Build();
        EXPECT_EQ(m_Terrain.GetQuadColumns(), c.quadColumns);
        EXPECT_EQ(m_Terrain.GetQuadRows(), c.quadRows);
        auto* first = dynamic_cast<kaLayeredTerrainQuad*>(m_Terrain.GetQuad(0, 0));
        auto* last =
            dynamic_cast<kaLayeredTerrainQuad*>(m_Terrain.GetQuad(c.quadColumns - 1, c.quadRows - 1));
        ASSERT_NE(first, nullptr);
        ASSERT_NE(last, nullptr);
        EXPECT_EQ(first->GetGridPoints().size(),
                  size_t(std::min<uint32_t>(c.columns, 33) * std::min<uint32_t>(c.rows, 33)));
        EXPECT_EQ(last->GetGridPoints().size(), size_t((c.lastAcross + 1) * (c.lastDown + 1)));
        EXPECT_EQ(m_Terrain.GetQuad(c.quadColumns, 0), nullptr);
    }
}

TEST_F(TerrainHeightFieldTest, NormalsAreUpOnFlatGroundAndBordersLeanOnTheOutsideNeighbours)
{
    const std::string flat = WriteMap(m_Dir, "flat.bmp", 6, 5, Constant(128));
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(flat, 10.0f, 20.0f, 8.0f, true));
    ASSERT_EQ(m_Terrain.GetNormals().size(), 30u);
    for (const Vector3& normal : m_Terrain.GetNormals())
        ExpectNear(normal, Vector3(0.0f, 1.0f, 0.0f), 1e-6f);

    // A ramp along X of slope a: inside the normal leans by a; on the first column the outside neighbour
    // stands level with the border, so it leans by half as much. Along Z nothing changes.
    const std::string ramp =
        WriteMap(m_Dir, "ramp.bmp", 6, 5, [](uint32_t col, uint32_t) { return col * 51; });
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(ramp, 5.0f, 245.0f, 4.0f, true));
    const float slope = (m_Terrain.GetVertexPosition(2, 2).y - m_Terrain.GetVertexPosition(1, 2).y) / 1.0f;
    ASSERT_GT(slope, 40.0f);
    ExpectNear(m_Terrain.GetVertexNormal(2, 2), Unit(Vector3(-slope, 1.0f, 0.0f)), 1e-3f);
    ExpectNear(m_Terrain.GetVertexNormal(2, 0), Unit(Vector3(-slope, 1.0f, 0.0f)), 1e-3f);
    ExpectNear(m_Terrain.GetVertexNormal(0, 2), Unit(Vector3(-slope / 2.0f, 1.0f, 0.0f)), 1e-3f);
    ExpectNear(m_Terrain.GetVertexNormal(5, 2), Unit(Vector3(-slope / 2.0f, 1.0f, 0.0f)), 1e-3f);
}

TEST_F(TerrainHeightFieldTest, WithoutVertexLightingNoNormalsAreKeptYetOneCanBeComputed)
{
    const std::string flat = WriteMap(m_Dir, "flat.tga", 4, 4, Constant(30));
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(flat, 3.0f, 10.0f, 3.0f, false));
    EXPECT_FALSE(m_Terrain.HasVertexLighting());
    EXPECT_TRUE(m_Terrain.GetNormals().empty());
    ExpectNear(m_Terrain.GetVertexNormal(1, 1), Vector3(0.0f, 1.0f, 0.0f), 1e-6f);
}

TEST_F(TerrainHeightFieldTest, PositionsOneStepOutsideMoveTheBorderSampleOneCellOut)
{
    EXPECT_EQ(m_Terrain.GetVertexPosition(0, 0), Vector3());
    const std::string map =
        WriteMap(m_Dir, "edge.bmp", 5, 3, [](uint32_t col, uint32_t row) { return col * 40 + row; });
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, 8.0f, 50.0f, 4.0f, false));
    const Vector3 left = m_Terrain.GetVertexPosition(0, 1);
    const Vector3 right = m_Terrain.GetVertexPosition(4, 2);
    const Vector3 front = m_Terrain.GetVertexPosition(3, 0);
    const Vector3 back = m_Terrain.GetVertexPosition(2, 2);
    EXPECT_EQ(m_Terrain.GetVertexPosition(-1, 1), Vector3(-2.0f, left.y, left.z));
    EXPECT_EQ(m_Terrain.GetVertexPosition(5, 2), Vector3(10.0f, right.y, right.z));
    EXPECT_EQ(m_Terrain.GetVertexPosition(3, -1), Vector3(front.x, front.y, -2.0f));
    EXPECT_EQ(m_Terrain.GetVertexPosition(2, 3), Vector3(back.x, back.y, 6.0f));
}

TEST_F(TerrainHeightFieldTest, EdgeBaseHeightIsTheLowestBorderHeight)
{
    EXPECT_EQ(m_Terrain.ComputeEdgeBaseHeight(), 0.0f);
    // A pit inside and one low border sample.
    const std::string map = WriteMap(m_Dir, "pit.bmp", 5, 5,
                                     [](uint32_t col, uint32_t row)
                                     {
                                         if (col == 2 && row == 2)
                                             return 0;
                                         return col == 4 && row == 1 ? 51 : 200;
                                     });
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, 4.0f, 255.0f, 4.0f, false));
    EXPECT_NEAR(m_Terrain.ComputeEdgeBaseHeight(), 10.0f + 51.0f, 0.05f);
    EXPECT_FLOAT_EQ(m_Terrain.GetEdgeBaseHeight(), m_Terrain.GetVertexPosition(4, 1).y);
    EXPECT_NEAR(m_Terrain.GetLowestHeight(), 10.0f, 0.05f);
}

TEST_F(TerrainHeightFieldTest, ImagesLoadByExtensionInAnyCase)
{
    WriteMap(m_Dir, "upper.BMP", 3, 3, Constant(1));
    WriteMap(m_Dir, "mixed.TgA", 3, 3, Constant(1));
    WriteMap(m_Dir, "real.bmp", 3, 3, Constant(1));
    m_Dir.Write("picture.png", m_Dir.Read("real.bmp"));
    m_Dir.Write("bmp", m_Dir.Read("real.bmp"));
    struct Case
    {
        const char* name;
        bool loads;
    };
    const Case cases[] = {{"upper.BMP", true}, {"mixed.TgA", true},   {"picture.png", false},
                          {"bmp", false},      {"absent.bmp", false}, {"", false}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string path = *c.name ? m_Dir.File(c.name) : std::string();
        EXPECT_EQ(kaTerrain::LoadHeightMapImage(path) != nullptr, c.loads);
        EXPECT_EQ(m_Terrain.GenerateHeightMapVerts(path, 2.0f, 1.0f, 2.0f, false), c.loads);
    }
}

TEST_F(TerrainHeightFieldTest, AColourMapIsRefusedKeepingTheHeightsButNotThePathOrFlag)
{
    const std::string grey = WriteMap(m_Dir, "grey.bmp", 4, 4, Constant(100));
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(grey, 3.0f, 10.0f, 3.0f, true));
    const std::vector<uint16_t> heights = m_Terrain.GetHeights();
    const std::string colour = m_Dir.File("colour.bmp");
    ASSERT_TRUE(TerrainSamples::Save(colour, 4, 4, 24, std::vector<uint8_t>(48, 7)));
    testsupport::DebugCapture capture;
    EXPECT_FALSE(m_Terrain.GenerateHeightMapVerts(colour, 9.0f, 99.0f, 9.0f, false));
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0],
              "[kaTerrain::GenerateHeightMapVerts] Error: Heightmap is not greyscale(8-bit)\n");
    EXPECT_EQ(m_Terrain.GetHeights(), heights);
    EXPECT_EQ(m_Terrain.GetWidth(), 3.0f);
    EXPECT_EQ(m_Terrain.GetHeightMapPath(), colour);
    EXPECT_FALSE(m_Terrain.HasVertexLighting());
}

TEST_F(TerrainHeightFieldTest, SizesThatCannotMakeAGridAreRefusedLeavingTheTerrainAsItWas)
{
    const std::string good =
        WriteMap(m_Dir, "good.bmp", 4, 3, [](uint32_t col, uint32_t) { return col * 9; });
    const std::string narrow = WriteMap(m_Dir, "narrow.bmp", 1, 40, Constant(5));
    const std::string flat = WriteMap(m_Dir, "flat.bmp", 40, 1, Constant(5));
    const std::string huge = WriteMap(m_Dir, "huge.tga", 4098, 2, Constant(5));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case
    {
        const char* what;
        std::string path;
        float width, height, length;
        bool pathKept;
    };
    const Case cases[] = {{"one sample wide", narrow, 5.0f, 5.0f, 5.0f, false},
                          {"one sample long", flat, 5.0f, 5.0f, 5.0f, false},
                          {"over 4097 samples", huge, 5.0f, 5.0f, 5.0f, false},
                          {"height -10", good, 5.0f, -10.0f, 5.0f, true},
                          {"negative height", good, 5.0f, -3.0f, 5.0f, true},
                          {"width 0", good, 0.0f, 5.0f, 5.0f, true},
                          {"length 0", good, 5.0f, 5.0f, 0.0f, true},
                          {"width not a number", good, nan, 5.0f, 5.0f, true},
                          {"infinite length", good, 5.0f, 5.0f, inf, true},
                          {"infinite height", good, 5.0f, inf, 5.0f, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(good, 6.0f, 20.0f, 4.0f, true));
        const std::vector<uint16_t> heights = m_Terrain.GetHeights();
        const std::vector<Vector3> positions = m_Terrain.GetPositions();
        testsupport::DebugCapture capture;
        EXPECT_FALSE(m_Terrain.GenerateHeightMapVerts(c.path, c.width, c.height, c.length, true));
        EXPECT_EQ(capture.Lines().size(), 1u);
        EXPECT_EQ(m_Terrain.GetHeights(), heights);
        EXPECT_EQ(m_Terrain.GetPositions(), positions);
        EXPECT_EQ(m_Terrain.GetWidth(), 6.0f);
        EXPECT_EQ(m_Terrain.GetLength(), 4.0f);
        EXPECT_EQ(m_Terrain.GetCellSize(), 2.0f);
        EXPECT_EQ(m_Terrain.GetColumns(), 4);
        EXPECT_EQ(m_Terrain.GetHeightMapPath() == good, c.pathKept);
    }
}

TEST_F(TerrainHeightFieldTest, GeneratingAndBuildingEachReportTheirTime)
{
    const std::string map = WriteMap(m_Dir, "timed.bmp", 3, 3, Constant(1));
    testsupport::DebugCapture capture;
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(map, 2.0f, 1.0f, 2.0f, false));
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].rfind("Adding heightmap took: ", 0), 0u);
    capture.Clear();
    m_Terrain.Build();
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].rfind("Building terrain took: ", 0), 0u);
    EXPECT_TRUE(m_Terrain.IsLayered());
}

} // namespace
