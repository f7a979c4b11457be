#include "engine/scene/kaLineSegment.h"

#include "engine/scene/kaPlane.h"

#include <gtest/gtest.h>

#include <cmath>

using platform::Vector3;

namespace
{

void ExpectVector(const Vector3& actual, const Vector3& expected)
{
    EXPECT_NEAR(actual.x, expected.x, 1e-5f);
    EXPECT_NEAR(actual.y, expected.y, 1e-5f);
    EXPECT_NEAR(actual.z, expected.z, 1e-5f);
}

TEST(kaLineSegment, ClosestPointClampsToTheEndsAndRecordsTheProjection)
{
    const kaLineSegment segment(1, 2, 3, 1, 2, 13);
    ExpectVector(segment.m_Direction, {0, 0, 1});
    struct Case
    {
        Vector3 p;
        Vector3 closest;
        bool projected;
    } const cases[] = {
        {{5, 0, -4}, {1, 2, 3}, false},  // behind the start
        {{1, 2, 3}, {1, 2, 3}, false},   // on the start
        {{0, 9, 20}, {1, 2, 13}, false}, // beyond the end
        {{4, -2, 8}, {1, 2, 8}, true},   // level with the middle: the foot of the perpendicular
    };
    for (const Case& c : cases)
    {
        Vector3 out(99, 99, 99);
        EXPECT_EQ(&segment.ClosestPoint(out, c.p), &out);
        ExpectVector(out, c.closest);
        Vector3 projected(-7, -7, -7);
        Vector3 direction;
        EXPECT_EQ(segment.GetProjectedPoint(projected, direction), c.projected);
        ExpectVector(projected, c.projected ? c.closest : Vector3(-7, -7, -7));
        ExpectVector(direction, {0, 0, 1});
    }
}

TEST(kaLineSegment, IntersectPlaneOneSidedTakesEndsOnThePlaneBothSidedDoesNot)
{
    kaPlane ground; // y = 1, facing up
    ground.Set({0, 1, 0}, -1);
    struct Case
    {
        Vector3 start, end;
        bool oneSided, bothSides;
        Vector3 crossing;
    } const cases[] = {
        {{0, 5, 0}, {4, -3, 0}, true, true, {2, 1, 0}},  // front to back
        {{2, 5, 0}, {2, 1, 0}, true, false, {2, 1, 0}},  // ends on the plane
        {{2, 1, 0}, {2, -4, 0}, true, false, {2, 1, 0}}, // starts on the plane
        {{0, -3, 0}, {4, 5, 0}, false, true, {2, 1, 0}}, // back to front
        {{0, 3, 0}, {4, 5, 0}, false, false, {0, 0, 0}}, // both in front
        {{0, 1, 0}, {4, 1, 0}, true, false, {0, 1, 0}},  // lying in the plane: the start
        {{3, 3, 3}, {3, 3, 3}, false, false, {0, 0, 0}}, // no length
        {{3, 1, 3}, {3, 1, 3}, false, false, {0, 0, 0}}, // no length, on the plane
    };
    for (const Case& c : cases)
    {
        const kaLineSegment segment(c.start.x, c.start.y, c.start.z, c.end.x, c.end.y, c.end.z);
        for (const bool both : {false, true})
        {
            Vector3 out;
            const bool crossed = segment.IntersectPlane(ground, out, both);
            EXPECT_EQ(crossed, both ? c.bothSides : c.oneSided) << c.start.y << " " << c.end.y << " " << both;
            if (crossed)
                ExpectVector(out, c.crossing);
        }
    }
}

TEST(kaLineSegment, ANullSegmentHasNoDirectionAndClosestIsTheStart)
{
    const kaLineSegment segment(1, 1, 1, 1, 1, 1);
    EXPECT_EQ(segment.m_Direction, Vector3());
    Vector3 out;
    segment.ClosestPoint(out, {9, 9, 9});
    EXPECT_EQ(out, Vector3(1, 1, 1));
    Vector3 direction(5, 5, 5);
    EXPECT_FALSE(segment.GetProjectedPoint(out, direction));
    EXPECT_EQ(direction, Vector3());
}

TEST(kaPlane, FromPointsFacesByTheOrdinaryCrossProduct)
{
    kaPlane plane;
    plane.FromPoints({0, 2, 0}, {0, 2, 5}, {3, 2, 0}); // z then x: the cross product points up
    ExpectVector(plane.GetNormal(), {0, 1, 0});
    EXPECT_FLOAT_EQ(plane.m_D, -2.0f);
    EXPECT_FLOAT_EQ(plane.GetHeight(17, -4), 2.0f);

    plane.FromPoints({1, 0, 0}, {1, 1, 0}, {1, 0, 1}); // the vertical plane x = 1, facing +x
    ExpectVector(plane.GetNormal(), {1, 0, 0});
    EXPECT_FALSE(std::isfinite(plane.GetHeight(0, 0)));
}

TEST(kaPlane, IntersectRayTestsTheWholeLine)
{
    kaPlane plane;
    plane.Set({0, 0, 1}, -10); // z = 10
    struct Case
    {
        Vector3 origin, direction, point;
    } const cases[] = {
        {{1, 2, 0}, {0, 0, 2}, {1, 2, 10}},
        {{1, 2, 0}, {1, 0, -1}, {-9, 2, 10}}, // behind the origin
        {{1, 2, 0}, {3, 4, 0}, {1, 2, 0}},    // parallel: the origin
    };
    for (const Case& c : cases)
    {
        Vector3 out;
        EXPECT_EQ(&plane.IntersectRay(out, c.origin, c.direction), &out);
        ExpectVector(out, c.point);
    }
}

} // namespace
