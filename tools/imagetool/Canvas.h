#pragma once

#include "tools/imagetool/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

// Filled shapes painted over a picture, each texel covered by its centre (no smoothing), so that the
// same calls write the same bytes on every run. Colours are A8R8G8B8; coordinates are pixels, y down.
class Canvas
{
public:
    struct Point
    {
        double x, y;
    };

    explicit Canvas(Picture& picture) : m_Picture(picture) {}

    // The whole picture from `top` colour at its top row to `bottom` at the row `horizon` (a share of the
    // height), then from `groundTop` to `groundBottom` down to the last row.
    void Sky(uint32_t top, uint32_t bottom, double horizon, uint32_t groundTop, uint32_t groundBottom);
    void Rect(double left, double top, double right, double bottom, uint32_t colour);
    void Ellipse(double cx, double cy, double rx, double ry, uint32_t colour);
    // A ring between two radii.
    void Ring(double cx, double cy, double inner, double outer, uint32_t colour);
    // A convex polygon, its points in either turning order.
    void Polygon(const std::vector<Point>& points, uint32_t colour);
    // A stroke of the given width with round ends.
    void Line(double x0, double y0, double x1, double y1, double width, uint32_t colour);
    // A line of capitals in the stroke font, centred on cx, its ink from `top` down `capHeight` pixels,
    // with a dark outline of `outline` pixels around it.
    void Text(const std::string& text, double cx, double top, double capHeight, uint32_t colour,
              uint32_t outlineColour, double outline);

    // The colour darkened (share < 1) or lightened towards white (share > 1).
    static uint32_t Shade(uint32_t colour, double share);

private:
    template <typename Inside>
    void _Fill(double left, double top, double right, double bottom, uint32_t colour, Inside inside);

    Picture& m_Picture;
};
