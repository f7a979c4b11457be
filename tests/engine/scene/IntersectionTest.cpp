#include "engine/scene/Intersection.h"

#include "engine/model/kaBoundingBox.h"
#include "engine/model/kaMesh.h"
#include "engine/scene/kaCollideInfo.h"
#include "engine/scene/kaLineSegment.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using platform::Vector3;

namespace
{

void ExpectNearVector3(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

kaLineSegment Segment(const Vector3& a, const Vector3& b)
{
    return kaLineSegment(a.x, a.y, a.z, b.x, b.y, b.z);
}

TEST(Intersection, PointAndBoxTestsIncludeTheirBounds)
{
    const Vector3 min(0, 0, 0), max(2, 3, 4);
    EXPECT_TRUE(PointInBox({2, 0, 4}, min, max));
    EXPECT_FALSE(PointInBox({1, 3.01f, 1}, min, max));
    EXPECT_FALSE(PointInBox({-0.01f, 1, 1}, min, max));

    const float box[6] = {0, 0, 0, 2, 1, 2};
    struct Case
    {
        float other[6];
        bool overlaps;
    } const cases[] = {
        {{2, 50, 2, 3, 60, 3}, true},     // touching corner, far above: y is ignored
        {{2.1f, 0, 0, 3, 1, 2}, false},   // apart on x
        {{0, 0, -3, 2, 1, -0.1f}, false}, // apart on z
        {{-1, 0, -1, 5, 1, 5}, true},     // around it
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(BoxesOverlapXZ(box, c.other), c.overlaps);
        EXPECT_EQ(BoxesOverlapXZ(c.other, box), c.overlaps);
    }
}

TEST(Intersection, BoundingBoxCornersComeInTheSameOrder)
{
    kaBoundingBox box;
    box.m_Min = Vector3(-1, -2, -3);
    box.m_Max = Vector3(4, 5, 6);
    box.ComputeCorners();
    Vector3 corners[8];
    GetBoxCorners(box.m_Min, box.m_Max, corners);
    ExpectNearVector3(corners[6], {4, -2, 6});
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(corners[i], box.m_Corners[i]) << i;
}

TEST(Intersection, SegmentEnteringABoxHitsTheFaceItCrossesWithItsOutwardNormal)
{
    const Vector3 min(0, 0, 0), max(2, 2, 2), centre(1, 1, 1);
    struct Case
    {
        Vector3 start, end;
        bool hit;
        Vector3 point, normal;
    } const cases[] = {
        {{5, 1.5f, 1}, {-5, 1.5f, 1}, true, {2, 1.5f, 1}, {1, 0, 0}},
        {{-5, 1, 0.5f}, {5, 1, 0.5f}, true, {0, 1, 0.5f}, {-1, 0, 0}},
        {{1, 7, 1}, centre, true, {1, 2, 1}, {0, 1, 0}},
        {{1.5f, -7, 1}, {1.5f, 7, 1}, true, {1.5f, 0, 1}, {0, -1, 0}},
        {{1, 1, 9}, centre, true, {1, 1, 2}, {0, 0, 1}},
        {{1, 0.5f, -9}, {1, 0.5f, 9}, true, {1, 0.5f, 0}, {0, 0, -1}},
        {{4, 4, 1}, {0, 0, 1}, true, {2, 2, 1}, {0, 1, 0}}, // through an edge: the first face tried
        {centre, {5, 1, 1}, false, {}, {}},                 // starts inside
        {{5, 3, 1}, {-5, 3, 1}, false, {}, {}},             // passes above
        {{5, 1, 1}, {3, 1, 1}, false, {}, {}},              // stops short
        {{5, 1, 1}, {5, 1, 1}, false, {}, {}},              // no length
    };
    for (const Case& c : cases)
    {
        const kaLineSegment segment = Segment(c.start, c.end);
        kaCollideInfo info;
        EXPECT_EQ(SegmentIntersectsBox(min, max, segment, &info), c.hit) << c.start.x << " " << c.start.y;
        EXPECT_EQ(SegmentIntersectsBox(min, max, segment, nullptr), c.hit);
        if (!c.hit)
            continue;
        ExpectNearVector3(info.m_Point, c.point);
        ExpectNearVector3(info.m_Normal, c.normal);
    }
}

TEST(Intersection, SegmentMeetsASphereWhereItsLineEntersIt)
{
    const Vector3 centre(1, 2, 3);
    const float root3 = std::sqrt(3.0f);
    struct Case
    {
        Vector3 start, end;
        bool hit;
        Vector3 point, normal;
    } const cases[] = {
        {{-5, 2, 3}, {5, 2, 3}, true, {-1, 2, 3}, {-1, 0, 0}},                      // through the centre
        {{1, 2, 10}, {1, 2, 0}, true, {1, 2, 5}, {0, 0, 1}},                        // ends inside
        {{-5, 3, 3}, {5, 3, 3}, true, {1 - root3, 3, 3}, {-root3 / 2, 0.5f, 0}},    // off the centre
        {{-5, 3, 3}, {0.5f, 3, 3}, true, {1 - root3, 3, 3}, {-root3 / 2, 0.5f, 0}}, // ends inside, off it
        {{-5, 5, 3}, {5, 5, 3}, false, {}, {}},                                     // passes by
        {{-5, 2, 3}, {-3.5f, 2, 3}, false, {}, {}},                                 // stops short
        {centre, centre, false, {}, {}},                                            // no length
    };
    for (const Case& c : cases)
    {
        const kaLineSegment segment = Segment(c.start, c.end);
        kaCollideInfo info;
        EXPECT_EQ(SegmentIntersectsSphere(centre, 2.0f, segment, &info), c.hit)
            << c.start.x << " " << c.end.x;
        EXPECT_EQ(SegmentIntersectsSphere(centre, 2.0f, segment, nullptr), c.hit);
        if (!c.hit)
            continue;
        ExpectNearVector3(info.m_Point, c.point);
        ExpectNearVector3(info.m_Normal, c.normal);
    }
}

TEST(Intersection, PointInPolygonSumsTheAnglesAround)
{
    const Vector3 triangle[3] = {{0, 0, 0}, {0, 0, 4}, {4, 0, 0}};
    EXPECT_FALSE(PointInPolygon({1, 0, 1}, triangle, 0));
    EXPECT_TRUE(PointInPolygon({1, 0, 1}, triangle, 3));
    EXPECT_FALSE(PointInPolygon({3, 0, 3}, triangle, 3));
    EXPECT_FALSE(PointInPolygon({1, 1, 1}, triangle, 3)); // above the plane the angles fall short
    const Vector3 square[4] = {{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    EXPECT_TRUE(PointInPolygon({0.25f, 0.75f, 0}, square, 4));
    EXPECT_FALSE(PointInPolygon({1.25f, 0.75f, 0}, square, 4));
}

TEST(Intersection, PointOnAnEdgeCountsDespiteRounding)
{
    // Seen from the middle of this edge, the two unit vectors round to a cosine just below -1.
    const Vector3 a(-2.1350143f, 2.00095654f, -1.03461635f), b(2.74808073f, -2.00632286f, 2.35446596f);
    const Vector3 middle = (a + b) * 0.5f;
    Vector3 u = a - middle, v = b - middle;
    platform::Vec3Normalize(&u, &u);
    platform::Vec3Normalize(&v, &v);
    ASSERT_LT(platform::Vec3Dot(u, v), -1.0f);
    const Vector3 triangle[3] = {a, b, {3, 3, 3}};
    EXPECT_TRUE(PointInPolygon(middle, triangle, 3));
}

class MeshIntersection : public GraphicsManagerFixture
{
protected:
    struct PlainVertex
    {
        float x, y, z, nx, ny, nz;
    };

    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // A mesh in format 0x012 sharing its vertices between subsets; indices per subset, triangles listed.
    static kaMesh* Mesh(const std::vector<Vector3>& positions,
                        const std::vector<std::vector<uint16_t>>& subsets)
    {
        auto* mesh =
            new kaMesh(0x012, static_cast<uint32_t>(subsets[0].size() / 3),
                       static_cast<uint32_t>(positions.size()), static_cast<uint32_t>(subsets.size()), true);
        mesh->AddRef();
        std::vector<PlainVertex> vertices;
        for (const Vector3& p : positions)
            vertices.push_back({p.x, p.y, p.z, 0, 1, 0});
        mesh->SetVertices(vertices.data(), 0);
        for (uint32_t i = 0; i < subsets.size(); ++i)
            mesh->SetIndices(subsets[i].data(), i);
        return mesh;
    }
};

TEST_F(MeshIntersection, ReportsTheTriangleNearestTheStartFromEitherSide)
{
    // Two triangles over the same ground, the lower one y = 0 in the first subset, y = 1 in the second.
    kaMesh* mesh =
        Mesh({{0, 0, 0}, {0, 0, 2}, {2, 0, 0}, {0, 1, 0}, {0, 1, 2}, {2, 1, 0}}, {{0, 1, 2}, {3, 4, 5}});
    struct Case
    {
        Vector3 start, end;
        bool hit;
        Vector3 point;
    } const cases[] = {
        {{0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}, true, {0.5f, 1, 0.5f}},
        {{0.5f, -5, 0.5f}, {0.5f, 5, 0.5f}, true, {0.5f, 0, 0.5f}},
        {{0.5f, 0.5f, 0.5f}, {0.5f, -5, 0.5f}, true, {0.5f, 0, 0.5f}},
        {{0.5f, 5, 0.5f}, {0.5f, 1, 0.5f}, false, {}},  // ends on the upper triangle
        {{1.5f, 5, 1.5f}, {1.5f, -5, 1.5f}, false, {}}, // beside both
        {{0.5f, 1, 0.5f}, {0.5f, 1, 0.5f}, false, {}},  // no length
    };
    for (const Case& c : cases)
    {
        kaCollideInfo info;
        EXPECT_EQ(SegmentIntersectsMesh(*mesh, Segment(c.start, c.end), &info), c.hit) << c.start.y;
        if (!c.hit)
            continue;
        ExpectNearVector3(info.m_Point, c.point);
        ExpectNearVector3(info.m_Normal, {0, 1, 0}); // wound to face up
    }
    mesh->Release();
}

TEST_F(MeshIntersection, StripsAreWalkedAsStripsWithOneFacing)
{
    kaMesh* mesh = Mesh({{0, 0, 0}, {0, 0, 2}, {2, 0, 0}, {2, 0, 2}}, {{0, 1, 2, 3, 0, 0}});
    kaMeshSubset* subset = mesh->GetSubset(0);
    subset->m_Strip = true;
    subset->m_IndexCount = 4;
    for (const float x : {0.5f, 1.5f}) // first and second triangle of the strip
    {
        kaCollideInfo info;
        ASSERT_TRUE(SegmentIntersectsMesh(*mesh, Segment({x, -3, x}, {x, 3, x}), &info)) << x;
        ExpectNearVector3(info.m_Point, {x, 0, x});
        ExpectNearVector3(info.m_Normal, {0, 1, 0});
    }
    mesh->Release();
}

TEST_F(MeshIntersection, IndicesPastTheVerticesAreSkipped)
{
    kaMesh* mesh =
        Mesh({{0, 0, 0}, {0, 0, 2}, {2, 0, 0}, {0, 1, 0}, {0, 1, 2}, {2, 1, 0}}, {{3, 4, 200, 0, 1, 2}});
    kaCollideInfo info;
    ASSERT_TRUE(SegmentIntersectsMesh(*mesh, Segment({0.5f, 5, 0.5f}, {0.5f, -5, 0.5f}), &info));
    ExpectNearVector3(info.m_Point, {0.5f, 0, 0.5f});
    mesh->Release();
}

} // namespace
