#pragma once

#include "tools/imagetool/Picture.h"

#include <cstdint>

// Pictures drawn from a few numbers, the same bytes on every run.
class ProceduralImage
{
public:
    // Squares of cell x cell texels, the top-left one in the first colour.
    static Picture Checker(uint32_t width, uint32_t height, uint32_t cell, uint32_t first, uint32_t second);
    // From the first colour at the left (or top) edge to the second at the right (or bottom) edge,
    // alpha included.
    static Picture Gradient(uint32_t width, uint32_t height, uint32_t from, uint32_t to, bool vertical);
    // The colour at full alpha in the centre, fading smoothly to alpha 0 at the nearer edge and beyond.
    static Picture Glow(uint32_t width, uint32_t height, uint32_t colour);
    // A tree seen from the side for a billboard: a trunk standing on the bottom row, a round crown
    // above it, clear around both.
    static Picture Tree(uint32_t width, uint32_t height, uint32_t trunk, uint32_t crown);
    // A car seen from the side for a vehicle's picture: body and cabin in the body colour, dark wheels, on
    // a vertical gradient from sky to ground.
    static Picture CarSide(uint32_t width, uint32_t height, uint32_t body, uint32_t sky, uint32_t ground);
};
