#include "platform/window/Rect.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform;

namespace
{

std::tuple<int, int, int, int> Sides(const Rect& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

} // namespace

TEST(RectTest, PointsOnTheRightAndBottomEdgesLieOutside)
{
    const Rect rect{10, 20, 30, 40};
    const struct
    {
        Point point;
        bool inside;
    } cases[] = {
        {{10, 20}, true}, {{29, 39}, true},  {{30, 25}, false}, {{15, 40}, false},
        {{9, 25}, false}, {{15, 19}, false}, {{20, 30}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PtInRect(rect, c.point), c.inside) << c.point.x << "," << c.point.y;
    EXPECT_FALSE(PtInRect(Rect{5, 5, 5, 10}, Point{5, 6}));
}

TEST(RectTest, IntersectionsGiveTheCommonPartOrAnEmptyRectangle)
{
    const struct
    {
        Rect a, b;
        bool meet;
        Rect expected;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 20, 20}, true, {5, 5, 10, 10}},
        {{0, 0, 10, 10}, {2, 3, 4, 5}, true, {2, 3, 4, 5}},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false, {0, 0, 0, 0}}, // touching edges share nothing
        {{0, 0, 10, 10}, {20, 20, 30, 30}, false, {0, 0, 0, 0}},
        {{0, 0, 10, 10}, {3, 3, 3, 8}, false, {0, 0, 0, 0}}, // an empty source
        {{-5, -5, 5, 5}, {-10, 0, 0, 10}, true, {-5, 0, 0, 5}},
    };
    for (const auto& c : cases)
    {
        Rect result{99, 99, 99, 99};
        EXPECT_EQ(IntersectRect(result, c.a, c.b), c.meet);
        EXPECT_EQ(Sides(result), Sides(c.expected));
    }
}

TEST(RectTest, OffsetAndInflateMoveTheSides)
{
    Rect rect{1, 2, 3, 4};
    EXPECT_TRUE(OffsetRect(rect, 10, -20));
    EXPECT_EQ(Sides(rect), std::make_tuple(11, -18, 13, -16));
    EXPECT_TRUE(InflateRect(rect, 2, 3));
    EXPECT_EQ(Sides(rect), std::make_tuple(9, -21, 15, -13));
    EXPECT_TRUE(InflateRect(rect, -4, -1));
    EXPECT_EQ(Sides(rect), std::make_tuple(13, -20, 11, -14));
    // Empty when the width or height is not positive.
    EXPECT_TRUE(IsRectEmpty(rect));
    EXPECT_FALSE(IsRectEmpty(Rect{0, 0, 1, 1}));
    EXPECT_TRUE(IsRectEmpty(Rect{0, 0, 0, 1}));
    EXPECT_TRUE(IsRectEmpty(Rect{0, 0, 1, 0}));
    EXPECT_TRUE(IsRectEmpty(Rect{5, 5, 1, 9}));
}
