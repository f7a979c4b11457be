#pragma once

#include <string>
#include <vector>

namespace guigen
{

// Capitals, numerals and a few signs drawn as round-nibbed pen strokes, so that generated pictures carry
// words at any size without a font file. Glyphs stand on a grid six units high; text is upper case only.
class StrokeFont
{
public:
    // How a line of text is drawn: the height of a capital and the pen's width, both in pixels.
    struct Pen
    {
        float capHeight;
        float stroke;
    };

    // A pen stroke from (x0, y0) to (x1, y1) in pixels, y growing downward.
    struct Segment
    {
        float x0, y0, x1, y1;
    };

    static bool HasGlyph(char c);
    // Whether every character of the text has a glyph (lower case counts as its capital).
    static bool CanWrite(const std::string& text);

    // Width and height in pixels of the ink of one line, pen width included.
    static float Width(const std::string& text, const Pen& pen);
    static float Height(const Pen& pen);

    // The pen's path for one line whose ink box starts at (left, top).
    static std::vector<Segment> Layout(const std::string& text, const Pen& pen, float left, float top);

    // Strokes written as the glyph table writes them ('|' between strokes, each a polyline of "x,y" points
    // or "a" and an arc "cx,cy,rx,ry,from,to" in degrees, 0 pointing right and 90 down), scaled by `unit` and
    // moved to (left, top): pictograms drawn with the same pen.
    static std::vector<Segment> Strokes(const std::string& strokes, float unit, float left, float top);

    // The largest pen of the given stroke-to-height ratio whose line fits in width by height pixels.
    static Pen Fit(const std::string& text, float width, float height, float strokeRatio);

    // Per texel of a width by height picture, how much of it the pen covers (0 to 1) when its nib is
    // widened by `grow` pixels on each side (an outline's reach).
    static std::vector<float> Coverage(const std::vector<Segment>& path, float stroke, float grow, int width,
                                       int height);
};

} // namespace guigen
