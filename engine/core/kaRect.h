#pragma once

#include <cstdint>

// An integer rectangle: right = left + width, bottom = top + height.
class kaRect
{
public:
    kaRect() = default;
    kaRect(int32_t left, int32_t top, int32_t right, int32_t bottom)
        : left(left), top(top), right(right), bottom(bottom)
    {
    }

    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
