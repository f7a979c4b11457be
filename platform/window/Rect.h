#pragma once

#include <cstdint>

// Rectangles and points with the Windows conventions: the right and bottom edges lie outside.
namespace platform
{

struct Point
{
    int32_t x = 0;
    int32_t y = 0;
};

struct Rect
{
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// True when the point lies inside, left and top edges included, right and bottom excluded.
bool PtInRect(const Rect& rect, const Point& point);
// The common part of two rectangles. When they do not meet (or either is empty) the result is 0, 0, 0, 0
// and the answer false.
bool IntersectRect(Rect& result, const Rect& a, const Rect& b);
bool OffsetRect(Rect& rect, int32_t dx, int32_t dy);
// Moves each side outwards by dx or dy; negative values shrink the rectangle.
bool InflateRect(Rect& rect, int32_t dx, int32_t dy);
// True when the rectangle has no area: right <= left or bottom <= top.
bool IsRectEmpty(const Rect& rect);

} // namespace platform
