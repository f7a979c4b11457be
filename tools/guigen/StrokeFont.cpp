#include "tools/guigen/StrokeFont.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace guigen
{

namespace
{

constexpr float kGridHeight = 6.0f;
constexpr float kPi = 3.14159265f;
// Room between letters and the width of a space, in grid units.
constexpr float kLetterGap = 1.1f;
constexpr float kSpaceWidth = 2.0f;

struct Glyph
{
    char c;
    float width;
    // Strokes separated by '|': a polyline of "x,y" points, or "a" and an arc "cx,cy,rx,ry,from,to" in
    // degrees, 0 pointing right and 90 down.
    const char* strokes;
};

const Glyph kGlyphs[] = {
    {'A', 4, "0,6 2,0 4,6|0.7,4 3.3,4"},
    {'B', 4, "0,6 0,0 2.5,0|a2.5,1.5,1.3,1.5,-90,90|2.5,3 0,3|0,3 2.6,3|a2.6,4.5,1.4,1.5,-90,90|2.6,6 0,6"},
    {'C', 4, "a2,3,2,3,40,320"},
    {'D', 4, "0,0 0,6|0,0 1.5,0|0,6 1.5,6|a1.5,3,2.5,3,-90,90"},
    {'E', 3.6f, "3.6,0 0,0 0,6 3.6,6|0,3 2.8,3"},
    {'F', 3.6f, "3.6,0 0,0 0,6|0,3 2.8,3"},
    {'G', 4, "a2,3,2,3,0,315|4,3 2.2,3|4,3 4,4.5"},
    {'H', 4, "0,0 0,6|4,0 4,6|0,3 4,3"},
    {'I', 2, "1,0 1,6|0,0 2,0|0,6 2,6"},
    {'J', 3.6f, "3.6,0 3.6,4.4|a1.8,4.4,1.8,1.6,0,165"},
    {'K', 4, "0,0 0,6|4,0 0,3.6|1.3,2.7 4,6"},
    {'L', 3.6f, "0,0 0,6 3.6,6"},
    {'M', 5, "0,6 0,0 2.5,4 5,0 5,6"},
    {'N', 4, "0,6 0,0 4,6 4,0"},
    {'O', 4.4f, "a2.2,3,2.2,3,0,360"},
    {'P', 4, "0,6 0,0 2.4,0|a2.4,1.7,1.6,1.7,-90,90|2.4,3.4 0,3.4"},
    {'Q', 4.4f, "a2.2,3,2.2,3,0,360|2.7,4.3 4.4,6.2"},
    {'R', 4, "0,6 0,0 2.4,0|a2.4,1.7,1.6,1.7,-90,90|2.4,3.4 0,3.4|2.2,3.4 4,6"},
    {'S', 4, "a2,1.5,1.9,1.5,90,330|a2,4.5,2,1.5,-90,150"},
    {'T', 4, "0,0 4,0|2,0 2,6"},
    {'U', 4, "0,0 0,4|4,0 4,4|a2,4,2,2,0,180"},
    {'V', 4, "0,0 2,6 4,0"},
    {'W', 5.4f, "0,0 1.35,6 2.7,1.6 4.05,6 5.4,0"},
    {'X', 4, "0,0 4,6|4,0 0,6"},
    {'Y', 4, "0,0 2,3 4,0|2,3 2,6"},
    {'Z', 4, "0,0 4,0 0,6 4,6"},
    {'0', 3.6f, "a1.8,3,1.8,3,0,360"},
    {'1', 3, "0.3,1.2 1.8,0 1.8,6|0.3,6 3,6"},
    {'2', 4, "a2,1.9,1.9,1.9,190,380|3.8,2.55 0,6 4,6"},
    {'3', 4, "a2,1.5,1.8,1.5,200,450|a2,4.5,2,1.5,-90,160"},
    {'4', 4, "3,6 3,0 0,4.2 4,4.2"},
    {'5', 4, "3.8,0 0.5,0 0.3,2.8|a2,4.1,2,1.9,230,520"},
    {'6', 4, "a2,4.2,2,1.8,0,360|a4.2,4.2,4.2,4.2,180,255"},
    {'7', 4, "0,0 4,0 1.4,6"},
    {'8', 4, "a2,1.5,1.7,1.5,0,360|a2,4.5,2,1.5,0,360"},
    {'9', 4, "a2,1.8,2,1.8,0,360|a-0.2,1.8,4.2,4.2,0,75"},
    {'!', 0, "0,0 0,4.2|0,5.9 0,6"},
    {'+', 3.4f, "0,3 3.4,3|1.7,1.3 1.7,4.7"},
    {'-', 2.4f, "0,3.3 2.4,3.3"},
    {'.', 0, "0,5.9 0,6"},
    {':', 0, "0,1.9 0,2|0,5.9 0,6"},
};

const Glyph* Find(char c)
{
    const char upper = char(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& glyph : kGlyphs)
        if (glyph.c == upper)
            return &glyph;
    return nullptr;
}

std::vector<float> Numbers(const std::string& text)
{
    std::vector<float> values;
    const char* at = text.c_str();
    while (*at != '\0')
    {
        char* end = nullptr;
        const float value = std::strtof(at, &end);
        if (end == at)
        {
            ++at;
            continue;
        }
        values.push_back(value);
        at = end;
    }
    return values;
}

// Appends strokes in the glyph table's writing, scaled by `unit` and moved to (left, top).
void AddStrokes(std::vector<StrokeFont::Segment>& path, const std::string& strokes, float unit, float left,
                float top)
{
    std::size_t start = 0;
    while (start <= strokes.size())
    {
        std::size_t end = strokes.find('|', start);
        if (end == std::string::npos)
            end = strokes.size();
        const std::string stroke = strokes.substr(start, end - start);
        start = end + 1;
        const bool arc = !stroke.empty() && stroke[0] == 'a';
        const std::vector<float> v = Numbers(arc ? stroke.substr(1) : stroke);
        std::vector<float> points;
        if (arc && v.size() == 6)
        {
            // Fine enough that the largest countdown numerals show no corners.
            const int steps = std::max(4, int(std::fabs(v[5] - v[4]) / 6.0f));
            for (int i = 0; i <= steps; ++i)
            {
                const float angle = (v[4] + (v[5] - v[4]) * float(i) / float(steps)) * kPi / 180.0f;
                points.push_back(v[0] + v[2] * std::cos(angle));
                points.push_back(v[1] + v[3] * std::sin(angle));
            }
        }
        else if (!arc)
            points = v;
        for (std::size_t i = 0; i + 3 < points.size(); i += 2)
            path.push_back({left + points[i] * unit, top + points[i + 1] * unit, left + points[i + 2] * unit,
                            top + points[i + 3] * unit});
    }
}

float Distance(const StrokeFont::Segment& s, float x, float y)
{
    const float dx = s.x1 - s.x0, dy = s.y1 - s.y0;
    const float length = dx * dx + dy * dy;
    float t = length > 0.0f ? ((x - s.x0) * dx + (y - s.y0) * dy) / length : 0.0f;
    t = std::clamp(t, 0.0f, 1.0f);
    return std::hypot(x - (s.x0 + t * dx), y - (s.y0 + t * dy));
}

} // namespace

bool StrokeFont::HasGlyph(char c)
{
    return c == ' ' || Find(c) != nullptr;
}

bool StrokeFont::CanWrite(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return HasGlyph(c); });
}

float StrokeFont::Width(const std::string& text, const Pen& pen)
{
    const float unit = pen.capHeight / kGridHeight;
    float width = 0.0f;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const Glyph* glyph = Find(text[i]);
        width += glyph != nullptr ? glyph->width * unit : kSpaceWidth * unit;
        if (i + 1 < text.size())
            width += kLetterGap * unit + pen.stroke;
    }
    return width + pen.stroke;
}

float StrokeFont::Height(const Pen& pen)
{
    return pen.capHeight + pen.stroke;
}

std::vector<StrokeFont::Segment> StrokeFont::Layout(const std::string& text, const Pen& pen, float left,
                                                    float top)
{
    const float unit = pen.capHeight / kGridHeight;
    // The nib is round: the ink starts half a pen beyond each stroke's centre line.
    float x = left + pen.stroke * 0.5f;
    const float y = top + pen.stroke * 0.5f;
    std::vector<Segment> path;
    for (const char c : text)
    {
        const Glyph* glyph = Find(c);
        if (glyph != nullptr)
            AddStrokes(path, glyph->strokes, unit, x, y);
        x += (glyph != nullptr ? glyph->width : kSpaceWidth) * unit + kLetterGap * unit + pen.stroke;
    }
    return path;
}

std::vector<StrokeFont::Segment> StrokeFont::Strokes(const std::string& strokes, float unit, float left,
                                                     float top)
{
    std::vector<Segment> path;
    AddStrokes(path, strokes, unit, left, top);
    return path;
}

StrokeFont::Pen StrokeFont::Fit(const std::string& text, float width, float height, float strokeRatio)
{
    // Width and height both grow in proportion to the cap height.
    const Pen one{1.0f, strokeRatio};
    const float byWidth = width / std::max(Width(text, one), 1e-3f);
    const float byHeight = height / Height(one);
    const float capHeight = std::min(byWidth, byHeight);
    return {capHeight, capHeight * strokeRatio};
}

std::vector<float> StrokeFont::Coverage(const std::vector<Segment>& path, float stroke, float grow, int width,
                                        int height)
{
    const std::size_t count = std::size_t(std::max(width, 0)) * std::size_t(std::max(height, 0));
    std::vector<float> nearest(count, std::numeric_limits<float>::max());
    const float reach = stroke * 0.5f + grow + 1.0f;
    for (const Segment& s : path)
    {
        const int x0 = std::max(0, int(std::floor(std::min(s.x0, s.x1) - reach)));
        const int x1 = std::min(width - 1, int(std::ceil(std::max(s.x0, s.x1) + reach)));
        const int y0 = std::max(0, int(std::floor(std::min(s.y0, s.y1) - reach)));
        const int y1 = std::min(height - 1, int(std::ceil(std::max(s.y0, s.y1) + reach)));
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
            {
                float& best = nearest[std::size_t(y) * width + x];
                best = std::min(best, Distance(s, float(x) + 0.5f, float(y) + 0.5f));
            }
    }
    std::vector<float> coverage(count, 0.0f);
    for (std::size_t i = 0; i < count; ++i)
        // A one-pixel ramp at the edge keeps the letters smooth.
        coverage[i] = std::clamp(stroke * 0.5f + grow + 0.5f - nearest[i], 0.0f, 1.0f);
    return coverage;
}

} // namespace guigen
