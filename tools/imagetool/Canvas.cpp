#include "tools/imagetool/Canvas.h"

#include "tools/guigen/StrokeFont.h"

#include <algorithm>
#include <cmath>

namespace
{

uint32_t Mix(uint32_t from, uint32_t to, double share)
{
    share = std::clamp(share, 0.0, 1.0);
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        const double a = from >> shift & 0xFF;
        const double b = to >> shift & 0xFF;
        out |= uint32_t(std::lround(a + (b - a) * share)) << shift;
    }
    return out;
}

} // namespace

template <typename Inside>
void Canvas::_Fill(double left, double top, double right, double bottom, uint32_t colour, Inside inside)
{
    const int x0 = std::max(0, int(std::floor(left)));
    const int y0 = std::max(0, int(std::floor(top)));
    const int x1 = std::min(int(m_Picture.width) - 1, int(std::ceil(right)));
    const int y1 = std::min(int(m_Picture.height) - 1, int(std::ceil(bottom)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x)
            if (inside(x + 0.5, y + 0.5))
                m_Picture.texels[size_t(y) * m_Picture.width + size_t(x)] = colour;
}

void Canvas::Sky(uint32_t top, uint32_t bottom, double horizon, uint32_t groundTop, uint32_t groundBottom)
{
    const double line = m_Picture.height * horizon;
    for (uint32_t y = 0; y < m_Picture.height; ++y)
    {
        const double py = y + 0.5;
        const uint32_t colour = py < line
                                    ? Mix(top, bottom, py / line)
                                    : Mix(groundTop, groundBottom, (py - line) / (m_Picture.height - line));
        for (uint32_t x = 0; x < m_Picture.width; ++x)
            m_Picture.texels[size_t(y) * m_Picture.width + x] = colour;
    }
}

void Canvas::Rect(double left, double top, double right, double bottom, uint32_t colour)
{
    _Fill(left, top, right, bottom, colour,
          [&](double x, double y) { return x >= left && x < right && y >= top && y < bottom; });
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry, uint32_t colour)
{
    _Fill(cx - rx, cy - ry, cx + rx, cy + ry, colour,
          [&](double x, double y)
          {
              const double dx = (x - cx) / rx;
              const double dy = (y - cy) / ry;
              return dx * dx + dy * dy < 1.0;
          });
}

void Canvas::Ring(double cx, double cy, double inner, double outer, uint32_t colour)
{
    _Fill(cx - outer, cy - outer, cx + outer, cy + outer, colour,
          [&](double x, double y)
          {
              const double d = std::hypot(x - cx, y - cy);
              return d >= inner && d < outer;
          });
}

void Canvas::Polygon(const std::vector<Point>& points, uint32_t colour)
{
    if (points.size() < 3)
        return;
    double left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
    double area = 0.0;
    for (size_t i = 0; i < points.size(); ++i)
    {
        const Point& a = points[i];
        const Point& b = points[(i + 1) % points.size()];
        left = std::min(left, a.x);
        right = std::max(right, a.x);
        top = std::min(top, a.y);
        bottom = std::max(bottom, a.y);
        area += a.x * b.y - b.x * a.y;
    }
    const double sign = area < 0.0 ? -1.0 : 1.0;
    _Fill(left, top, right, bottom, colour,
          [&](double x, double y)
          {
              for (size_t i = 0; i < points.size(); ++i)
              {
                  const Point& a = points[i];
                  const Point& b = points[(i + 1) % points.size()];
                  if (sign * ((b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x)) < 0.0)
                      return false;
              }
              return true;
          });
}

void Canvas::Line(double x0, double y0, double x1, double y1, double width, uint32_t colour)
{
    const double r = width / 2.0;
    const double dx = x1 - x0;
    const double dy = y1 - y0;
    const double length2 = dx * dx + dy * dy;
    _Fill(std::min(x0, x1) - r, std::min(y0, y1) - r, std::max(x0, x1) + r, std::max(y0, y1) + r, colour,
          [&](double x, double y)
          {
              const double t =
                  length2 > 0.0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / length2, 0.0, 1.0) : 0.0;
              return std::hypot(x - (x0 + t * dx), y - (y0 + t * dy)) < r;
          });
}

void Canvas::Text(const std::string& text, double cx, double top, double capHeight, uint32_t colour,
                  uint32_t outlineColour, double outline)
{
    using guigen::StrokeFont;
    const StrokeFont::Pen pen{float(capHeight), float(std::max(1.0, capHeight / 7.0))};
    const float left = float(cx) - StrokeFont::Width(text, pen) / 2.0f;
    const std::vector<StrokeFont::Segment> path = StrokeFont::Layout(text, pen, left, float(top));
    const int w = int(m_Picture.width);
    const int h = int(m_Picture.height);
    const std::vector<float> rim = StrokeFont::Coverage(path, pen.stroke, float(outline), w, h);
    const std::vector<float> ink = StrokeFont::Coverage(path, pen.stroke, 0.0f, w, h);
    for (size_t i = 0; i < m_Picture.texels.size(); ++i)
    {
        uint32_t& texel = m_Picture.texels[i];
        texel = Mix(texel, outlineColour, rim[i]);
        texel = Mix(texel, colour, ink[i]);
    }
}

uint32_t Canvas::Shade(uint32_t colour, double share)
{
    const uint32_t alpha = colour & 0xFF000000u;
    if (share <= 1.0)
        return alpha | (Mix(colour, 0xFF000000u, 1.0 - share) & 0xFFFFFF);
    return alpha | (Mix(colour, 0xFFFFFFFFu, share - 1.0) & 0xFFFFFF);
}
