#include "platform/window/Rect.h"

#include <algorithm>

namespace platform
{

bool PtInRect(const Rect& rect, const Point& point)
{
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

bool IntersectRect(Rect& result, const Rect& a, const Rect& b)
{
    Rect common;
    common.left = std::max(a.left, b.left);
    common.top = std::max(a.top, b.top);
    common.right = std::min(a.right, b.right);
    common.bottom = std::min(a.bottom, b.bottom);
    if (IsRectEmpty(common))
    {
        result = Rect();
        return false;
    }
    result = common;
    return true;
}

bool OffsetRect(Rect& rect, int32_t dx, int32_t dy)
{
    rect.left += dx;
    rect.right += dx;
    rect.top += dy;
    rect.bottom += dy;
    return true;
}

bool InflateRect(Rect& rect, int32_t dx, int32_t dy)
{
    rect.left -= dx;
    rect.right += dx;
    rect.top -= dy;
    rect.bottom += dy;
    return true;
}

bool IsRectEmpty(const Rect& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

} // namespace platform
