#include "engine/terrain/kaTerrain.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <random>

using platform::Vector3;

namespace
{

constexpr float kHeight = 100.0f;
constexpr float kCell = 2.0f;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// The generated map's height at a grid point, straight from its formula.
double SampleHeight(const TerrainSamples::MapSize& size, int32_t col, int32_t row)
{
    return 10.0 +
           double(TerrainSamples::HeightSample(uint32_t(col), uint32_t(row), size.side)) / 255.0 * kHeight;
}

struct Triangle
{
    Vector3 a, b, c;
};

// The cell's two triangles as the grid lays them: low corner first.
Triangle CellTriangle(const kaTerrain& terrain, int32_t col, int32_t row, int which)
{
    const Vector3 p = terrain.GetVertexPosition(col, row);
    const Vector3 pNext = terrain.GetVertexPosition(col + 1, row);
    const Vector3 q = terrain.GetVertexPosition(col, row + 1);
    const Vector3 qNext = terrain.GetVertexPosition(col + 1, row + 1);
    return which == 0 ? Triangle{p, pNext, q} : Triangle{pNext, q, qNext};
}

Vector3 UpNormal(const Triangle& t)
{
    Vector3 n = platform::Vec3Cross(t.b - t.a, t.c - t.a);
    n = n / platform::Vec3Length(n);
    return n.y < 0.0f ? -n : n;
}

// Moller-Trumbore on one triangle, in doubles: the segment parameter of the hit.
std::optional<double> HitTriangle(const Triangle& tri, const Vector3& s, const Vector3& e)
{
    const double d[3] = {e.x - s.x, e.y - s.y, e.z - s.z};
    const double e1[3] = {tri.b.x - tri.a.x, tri.b.y - tri.a.y, tri.b.z - tri.a.z};
    const double e2[3] = {tri.c.x - tri.a.x, tri.c.y - tri.a.y, tri.c.z - tri.a.z};
    const double p[3] = {d[1] * e2[2] - d[2] * e2[1], d[2] * e2[0] - d[0] * e2[2],
                         d[0] * e2[1] - d[1] * e2[0]};
    const double det = e1[0] * p[0] + e1[1] * p[1] + e1[2] * p[2];
    if (std::fabs(det) < 1e-12)
        return std::nullopt;
    const double tv[3] = {s.x - tri.a.x, s.y - tri.a.y, s.z - tri.a.z};
    const double u = (tv[0] * p[0] + tv[1] * p[1] + tv[2] * p[2]) / det;
    const double q[3] = {tv[1] * e1[2] - tv[2] * e1[1], tv[2] * e1[0] - tv[0] * e1[2],
                         tv[0] * e1[1] - tv[1] * e1[0]};
    const double v = (d[0] * q[0] + d[1] * q[1] + d[2] * q[2]) / det;
    const double t = (e2[0] * q[0] + e2[1] * q[1] + e2[2] * q[2]) / det;
    if (u < 0.0 || v < 0.0 || u + v > 1.0 || t < 0.0 || t > 1.0)
        return std::nullopt;
    return t;
}

// Every triangle of the terrain, nearest hit first.
std::optional<Vector3> BruteForceHit(const kaTerrain& terrain, const Vector3& s, const Vector3& e)
{
    std::optional<double> best;
    for (int32_t row = 0; row + 1 < terrain.GetRows(); ++row)
        for (int32_t col = 0; col + 1 < terrain.GetColumns(); ++col)
            for (int which = 0; which < 2; ++which)
                if (auto t = HitTriangle(CellTriangle(terrain, col, row, which), s, e))
                    if (!best || *t < *best)
                        best = t;
    if (!best)
        return std::nullopt;
    return s + (e - s) * float(*best);
}

class TerrainQueryTest : public ::testing::Test
{
protected:
    void Load(const TerrainSamples::MapSize& size)
    {
        testsupport::CurrentDirectory content(TARVOLIN_CONTENT_DIR);
        const float side = float(size.side - 1) * kCell;
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(TerrainSamples::HeightMapPath(size), side, kHeight, side,
                                                     false));
        m_Terrain.ComputeEdgeBaseHeight();
    }

    kaTerrain m_Terrain;
};

TEST_F(TerrainQueryTest, HeightsFollowTheGeneratingFormulaAndNormalsAreTheCellTrianglesFacingUp)
{
    const TerrainSamples::MapSize& size = TerrainSamples::kMapSizes[0];
    Load(size);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> along(0.0f, m_Terrain.GetWidth());
    for (int i = 0; i < 1000; ++i)
    {
        const float x = along(random);
        const float z = along(random);
        const int32_t col = std::min(int32_t(x / kCell), int32_t(size.side) - 2);
        const int32_t row = std::min(int32_t(z / kCell), int32_t(size.side) - 2);
        const double dx = x / kCell - col;
        const double dz = z / kCell - row;
        // Barycentric weights inside the cell's triangle: the ground is flat between the three samples.
        const bool first = dx + dz < 1.0;
        const double expected = first ? SampleHeight(size, col, row) * (1.0 - dx - dz) +
                                            SampleHeight(size, col + 1, row) * dx +
                                            SampleHeight(size, col, row + 1) * dz
                                      : SampleHeight(size, col + 1, row) * (1.0 - dz) +
                                            SampleHeight(size, col + 1, row + 1) * (dx + dz - 1.0) +
                                            SampleHeight(size, col, row + 1) * (1.0 - dx);
        Vector3 normal;
        ASSERT_NEAR(m_Terrain.GetHeightAt(x, z, &normal), expected, 0.02) << x << ", " << z;
        const Vector3 want = UpNormal(CellTriangle(m_Terrain, col, row, first ? 0 : 1));
        ASSERT_NEAR(normal.x, want.x, 1e-3f);
        ASSERT_NEAR(normal.y, want.y, 1e-3f);
        ASSERT_NEAR(normal.z, want.z, 1e-3f);
        ASSERT_GT(normal.y, 0.0f);
    }
}

TEST_F(TerrainQueryTest, HeightAtBordersAndUnusablePointsIsTheEdgeHeightWithTheNormalUntouched)
{
    const TerrainSamples::MapSize& size = TerrainSamples::kMapSizes[0];
    Load(size);
    const float width = m_Terrain.GetWidth();
    const float edge = m_Terrain.GetEdgeBaseHeight();
    const float belowWidth = std::nextafter(width, 0.0f);
    const int32_t last = int32_t(size.side) - 1;
    struct Case
    {
        float x, z;
        double height;
        bool outside;
    };
    const Case cases[] = {
        {0.0f, 0.0f, SampleHeight(size, 0, 0), false},
        {width, 10.0f, edge, true},
        {10.0f, width, edge, true},
        {-0.001f, 10.0f, edge, true},
        // Just inside the far side rounds to the last sample, read from the last cell.
        {belowWidth, belowWidth, SampleHeight(size, last, last), false},
        {kNaN, 10.0f, edge, true},
        {10.0f, kNaN, edge, true},
        {kInf, 10.0f, edge, true},
        {-kInf, -kInf, edge, true},
        {3e38f, 1e30f, edge, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        Vector3 normal(7.0f, 7.0f, 7.0f);
        EXPECT_NEAR(m_Terrain.GetHeightAt(c.x, c.z, &normal), c.height, 0.02);
        EXPECT_EQ(normal.x == 7.0f, c.outside);
    }
    kaTerrain empty;
    EXPECT_EQ(empty.GetHeightAt(1.0f, 1.0f), 0.0f);
}

TEST_F(TerrainQueryTest, FlatGroundFacesStraightUpInBothTrianglesOfACell)
{
    testsupport::TempDir dir;
    const std::string path = terraintest::WriteMap(dir, "flat.bmp", 9, 9, terraintest::Constant(128));
    ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(path, 16.0f, kHeight, 16.0f, false));
    for (const float offset : {0.3f, 1.7f})
    {
        Vector3 normal;
        m_Terrain.GetHeightAt(4.0f + offset, 6.0f + offset, &normal);
        EXPECT_NEAR(normal.x, 0.0f, 1e-6f);
        EXPECT_NEAR(normal.y, 1.0f, 1e-6f);
        EXPECT_NEAR(normal.z, 0.0f, 1e-6f);
    }
}

void ExpectSameHit(kaTerrain& terrain, const Vector3& s, const Vector3& e)
{
    SCOPED_TRACE(testing::Message() << "(" << s.x << ", " << s.y << ", " << s.z << ") to (" << e.x << ", "
                                    << e.y << ", " << e.z << ")");
    const std::optional<Vector3> expected = BruteForceHit(terrain, s, e);
    Vector3 point, normal;
    const bool hit = terrain.IntersectRay(s.x, s.y, s.z, e.x, e.y, e.z, point, normal);
    ASSERT_EQ(hit, expected.has_value());
    if (!hit)
        return;
    EXPECT_NEAR(point.x, expected->x, 0.01f);
    EXPECT_NEAR(point.y, expected->y, 0.01f);
    EXPECT_NEAR(point.z, expected->z, 0.01f);
    EXPECT_GT(normal.y, 0.0f);
    Vector3 below;
    EXPECT_NEAR(terrain.GetHeightAt(point.x, point.z, &below), point.y, 0.01f);
}

TEST_F(TerrainQueryTest, RandomSegmentsFromAboveMeetTheGroundWhereEveryTriangleSaysTheyDo)
{
    Load(TerrainSamples::kMapSizes[1]);
    const float width = m_Terrain.GetWidth();
    std::mt19937 random(11);
    std::uniform_real_distribution<float> across(-30.0f, width + 30.0f);
    std::uniform_real_distribution<float> down(0.0f, kHeight + 20.0f);
    for (int i = 0; i < 60; ++i)
        ExpectSameHit(m_Terrain, Vector3(across(random), kHeight + 40.0f, across(random)),
                      Vector3(across(random), down(random), across(random)));
}

TEST_F(TerrainQueryTest, LevelSegmentsAlongEachAxisInBothDirectionsHit)
{
    Load(TerrainSamples::kMapSizes[1]);
    const float width = m_Terrain.GetWidth();
    const float mid = width * 0.37f;
    struct Case
    {
        float sx, sz, ex, ez;
    };
    const Case cases[] = {
        {-5.0f, mid, width + 5.0f, mid}, {width + 5.0f, mid, -5.0f, mid}, {mid, -5.0f, mid, width + 5.0f},
        {mid, width + 5.0f, mid, -5.0f}, {mid, mid, -5.0f, mid},          {mid, mid, mid, -5.0f},
    };
    for (const Case& c : cases)
    {
        // Halfway between the ground's heights at the two ends: the ground crosses that level between them.
        const auto inside = [width](float v) { return std::clamp(v, 0.0f, width - 0.01f); };
        const float first = m_Terrain.GetHeightAt(inside(c.sx), inside(c.sz));
        const float last = m_Terrain.GetHeightAt(inside(c.ex), inside(c.ez));
        ASSERT_GT(std::fabs(first - last), 1.0f);
        const float y = (first + last) * 0.5f;
        Vector3 point, normal;
        ASSERT_TRUE(m_Terrain.IntersectRay(c.sx, y, c.sz, c.ex, y, c.ez, point, normal));
        ExpectSameHit(m_Terrain, Vector3(c.sx, y, c.sz), Vector3(c.ex, y, c.ez));
    }
}

TEST_F(TerrainQueryTest, VerticalAndEnteringSegmentsHitTheCellUnderThem)
{
    Load(TerrainSamples::kMapSizes[1]);
    Vector3 point, normal, expectedNormal;
    // Straight down: the height and normal the height query gives.
    ASSERT_TRUE(m_Terrain.IntersectRay(31.3f, 500.0f, 77.9f, 31.3f, 0.0f, 77.9f, point, normal));
    EXPECT_NEAR(point.y, m_Terrain.GetHeightAt(31.3f, 77.9f, &expectedNormal), 1e-3f);
    EXPECT_NEAR(normal.x, expectedNormal.x, 1e-5f);
    EXPECT_NEAR(normal.z, expectedNormal.z, 1e-5f);
    // From beyond x = 0, steeply down into column 0.
    ASSERT_TRUE(m_Terrain.IntersectRay(-0.5f, 300.0f, 40.0f, 1.5f, 0.0f, 40.0f, point, normal));
    EXPECT_GE(point.x, 0.0f);
    EXPECT_LE(point.x, kCell);
    ExpectSameHit(m_Terrain, Vector3(-0.5f, 300.0f, 40.0f), Vector3(1.5f, 0.0f, 40.0f));
}

TEST_F(TerrainQueryTest, SegmentsThatCannotMeetTheGroundMissWritingNothing)
{
    Load(TerrainSamples::kMapSizes[1]);
    const float w = m_Terrain.GetWidth();
    const float top = m_Terrain.GetHighestHeight();
    struct Case
    {
        float sx, sy, sz, ex, ey, ez;
    };
    const Case cases[] = {
        {10.0f, 50.0f, 10.0f, 10.0f, 50.0f, 10.0f},            // no length
        {10.0f, top + 1.0f, 10.0f, 200.0f, top + 1.0f, 90.0f}, // above everything
        {-10.0f, 0.0f, -10.0f, -10.0f, 500.0f, -10.0f},        // beside the terrain
        {-50.0f, 0.0f, 10.0f, -1.0f, 300.0f, 10.0f},           // stops short of it
        {w + 1.0f, 0.0f, 10.0f, w + 1.0f, 0.0f, -10.0f},       // passes a corner outside
        {kNaN, 50.0f, 10.0f, 10.0f, 0.0f, 10.0f},
        {10.0f, 50.0f, 10.0f, 10.0f, -kInf, 10.0f},
        {-3e38f, 0.0f, 10.0f, 3e38f, 0.0f, 10.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.sx << " " << c.sy << " " << c.ex << " " << c.ey);
        Vector3 point(7.0f, 7.0f, 7.0f), normal(7.0f, 7.0f, 7.0f);
        EXPECT_FALSE(m_Terrain.IntersectRay(c.sx, c.sy, c.sz, c.ex, c.ey, c.ez, point, normal));
        EXPECT_EQ(point.x, 7.0f);
        EXPECT_EQ(normal.y, 7.0f);
    }
}

} // namespace
