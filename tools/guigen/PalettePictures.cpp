#include "tools/guigen/PalettePictures.h"

#include "engine/render/kaTGAImage.h"
#include "tools/guigen/StrokeFont.h"
#include "tools/worldgen/EditorContent.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

namespace guigen
{

namespace
{

// The drawings are made on a square this many pixels a side, then fitted above the name.
constexpr int kDrawingSide = 64;
// Room left free at the picture's edges, the drawing's top and between two lines of the name.
constexpr int kMargin = 2;
constexpr int kDrawingTop = 1;
constexpr float kLineGap = 4.0f;

struct Colour
{
    uint8_t r, g, b;
};

const Colour kTile = {34, 40, 58};
const Colour kBand = {16, 20, 30};
// Warm white: the palette's only light text.
const Colour kInk = {255, 240, 190};

class Canvas
{
public:
    Canvas() : m_Texels(std::size_t(kDrawingSide) * kDrawingSide * 4)
    {
        Fill([](int, int) { return true; }, kTile);
    }

    // Paints every pixel the test accepts.
    void Fill(const std::function<bool(int x, int y)>& inside, const Colour& colour)
    {
        for (int y = 0; y < kDrawingSide; ++y)
            for (int x = 0; x < kDrawingSide; ++x)
                if (inside(x, y))
                {
                    uint8_t* texel = &m_Texels[(std::size_t(y) * kDrawingSide + x) * 4];
                    texel[0] = colour.b;
                    texel[1] = colour.g;
                    texel[2] = colour.r;
                    texel[3] = 255;
                }
    }
    void Rect(int left, int top, int right, int bottom, const Colour& colour)
    {
        Fill([=](int x, int y) { return x >= left && x < right && y >= top && y < bottom; }, colour);
    }
    void Disc(double cx, double cy, double radius, const Colour& colour)
    {
        Fill([=](int x, int y) { return std::hypot(x - cx, y - cy) < radius; }, colour);
    }
    void Ellipse(double cx, double cy, double rx, double ry, const Colour& colour)
    {
        Fill([=](int x, int y) { return std::hypot((x - cx) / rx, (y - cy) / ry) < 1.0; }, colour);
    }
    void Ring(double cx, double cy, double inner, double outer, const Colour& colour)
    {
        Fill(
            [=](int x, int y)
            {
                const double d = std::hypot(x - cx, y - cy);
                return d >= inner && d < outer;
            },
            colour);
    }
    // The triangle's corners in either winding.
    void Triangle(double ax, double ay, double bx, double by, double cx, double cy, const Colour& colour)
    {
        Fill(
            [=](int x, int y)
            {
                const double px = x + 0.5;
                const double py = y + 0.5;
                const double d1 = (px - bx) * (ay - by) - (ax - bx) * (py - by);
                const double d2 = (px - cx) * (by - cy) - (bx - cx) * (py - cy);
                const double d3 = (px - ax) * (cy - ay) - (cx - ax) * (py - ay);
                const bool negative = d1 < 0 || d2 < 0 || d3 < 0;
                const bool positive = d1 > 0 || d2 > 0 || d3 > 0;
                return !(negative && positive);
            },
            colour);
    }
    // A chevron pointing up, its tip at (cx, top).
    void Chevron(double cx, double top, const Colour& colour)
    {
        Fill(
            [=](int x, int y)
            {
                const double below = y - top - std::fabs(x - cx);
                return below >= 0.0 && below < 6.0 && std::fabs(x - cx) < 12.0;
            },
            colour);
    }

    std::vector<uint8_t> m_Texels;
};

StrokeFont::Pen CaptionPen()
{
    return {kPaletteCapHeight, kPaletteStroke};
}

// "MegaTurboToken" gives "MEGA", "TURBO", "TOKEN".
std::vector<std::string> Words(const std::string& id)
{
    std::vector<std::string> words;
    for (const char c : id)
    {
        if (words.empty() || std::isupper(static_cast<unsigned char>(c)) != 0)
            words.emplace_back();
        words.back() += char(std::toupper(static_cast<unsigned char>(c)));
    }
    return words;
}

// The colour laid over the texel, `amount` of it (0 to 1).
void Blend(uint8_t* texel, const Colour& colour, float amount)
{
    const uint8_t bgr[3] = {colour.b, colour.g, colour.r};
    for (int c = 0; c < 3; ++c)
        texel[c] = uint8_t(std::lround(float(texel[c]) + (float(bgr[c]) - float(texel[c])) * amount));
}

// The drawing shrunk to a square `side` pixels wide at (left, top) of the picture, each pixel the mean of
// the drawing's pixels it covers.
void PutDrawing(const std::vector<uint8_t>& drawing, std::vector<uint8_t>& picture, int left, int top,
                int side)
{
    const double scale = double(kDrawingSide) / double(side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
        {
            const double x0 = x * scale, x1 = (x + 1) * scale, y0 = y * scale, y1 = (y + 1) * scale;
            double sum[3] = {0.0, 0.0, 0.0};
            for (int sy = int(y0); sy < kDrawingSide && sy < y1; ++sy)
                for (int sx = int(x0); sx < kDrawingSide && sx < x1; ++sx)
                {
                    const double weight = (std::min(x1, sx + 1.0) - std::max(x0, double(sx))) *
                                          (std::min(y1, sy + 1.0) - std::max(y0, double(sy)));
                    const uint8_t* from = &drawing[(std::size_t(sy) * kDrawingSide + sx) * 4];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += from[c] * weight;
                }
            uint8_t* to = &picture[(std::size_t(top + y) * kPaletteWidth + left + x) * 4];
            for (int c = 0; c < 3; ++c)
                to[c] = uint8_t(std::lround(sum[c] / (scale * scale)));
        }
}

std::vector<uint8_t> Drawing(const std::string& id);

} // namespace

std::vector<std::string> PaletteCaption(const std::string& id)
{
    // Words join a line while it fits.
    const float room = float(kPaletteWidth - 2 * kMargin);
    std::vector<std::string> lines;
    for (const std::string& word : Words(id))
    {
        if (!lines.empty() && StrokeFont::Width(lines.back() + " " + word, CaptionPen()) <= room)
            lines.back() += " " + word;
        else
            lines.push_back(word);
    }
    return lines;
}

std::vector<uint8_t> PaletteTexels(const std::string& id)
{
    // Opaque: the tile above, the darker band of the name below.
    std::vector<uint8_t> picture(std::size_t(kPaletteWidth) * kPaletteHeight * 4, 255);
    for (int y = 0; y < kPaletteHeight; ++y)
        for (int x = 0; x < kPaletteWidth; ++x)
        {
            const Colour& colour = y < kPaletteCaptionTop ? kTile : kBand;
            uint8_t* texel = &picture[(std::size_t(y) * kPaletteWidth + x) * 4];
            texel[0] = colour.b;
            texel[1] = colour.g;
            texel[2] = colour.r;
        }
    const int side = kPaletteCaptionTop - kDrawingTop - 1;
    PutDrawing(Drawing(id), picture, (kPaletteWidth - side) / 2, kDrawingTop, side);

    // The name centred in its band, line under line.
    const std::vector<std::string> lines = PaletteCaption(id);
    const StrokeFont::Pen pen = CaptionPen();
    const float lineHeight = StrokeFont::Height(pen);
    const float block =
        float(lines.size()) * lineHeight + float(std::max<std::size_t>(lines.size(), 1) - 1) * kLineGap;
    float top = float(kPaletteCaptionTop) + (float(kPaletteHeight - kPaletteCaptionTop) - block) * 0.5f;
    std::vector<StrokeFont::Segment> path;
    for (const std::string& line : lines)
    {
        const float left = (float(kPaletteWidth) - StrokeFont::Width(line, pen)) * 0.5f;
        const std::vector<StrokeFont::Segment> strokes = StrokeFont::Layout(line, pen, left, top);
        path.insert(path.end(), strokes.begin(), strokes.end());
        top += lineHeight + kLineGap;
    }
    const std::vector<float> ink =
        StrokeFont::Coverage(path, pen.stroke, 0.0f, kPaletteWidth, kPaletteHeight);
    for (std::size_t at = 0; at < ink.size(); ++at)
        if (ink[at] > 0.0f)
            Blend(&picture[at * 4], kInk, ink[at]);
    return picture;
}

namespace
{

std::vector<uint8_t> Drawing(const std::string& id)
{
    Canvas canvas;
    if (id == "Ball")
    {
        canvas.Fill([](int x, int y) { return std::hypot(x - 31.5, y - 33.5) < 22.0; }, {200, 40, 40});
        canvas.Fill([](int x, int y) { return std::hypot(x - 24.0, y - 25.0) < 6.0; }, {250, 170, 160});
    }
    else if (id == "Crate")
    {
        canvas.Rect(12, 12, 52, 52, {150, 100, 50});
        canvas.Rect(12, 30, 52, 34, {95, 60, 28});
        canvas.Rect(30, 12, 34, 52, {95, 60, 28});
    }
    else if (id == "LampPost")
    {
        canvas.Rect(29, 18, 35, 58, {150, 150, 160});
        canvas.Rect(22, 54, 42, 58, {110, 110, 120});
        canvas.Fill([](int x, int y) { return std::hypot(x - 31.5, y - 13.0) < 8.0; }, {255, 220, 90});
    }
    else if (id == "Ramp")
    {
        // A wedge rising to the right.
        canvas.Fill([](int x, int y) { return x >= 8 && x < 56 && y < 54 && y >= 54 - (x - 8) * 36 / 48; },
                    {230, 130, 30});
    }
    else if (id == "Sign")
    {
        canvas.Rect(29, 30, 35, 58, {150, 150, 160});
        canvas.Rect(10, 10, 54, 32, {235, 235, 225});
        canvas.Rect(14, 18, 50, 22, {60, 90, 200});
    }
    else if (id == "BallProp")
    {
        // A beach ball: blue with a white band.
        canvas.Disc(31.5, 33.5, 22.0, {40, 90, 210});
        canvas.Fill([](int x, int y)
                    { return std::hypot(x - 31.5, y - 33.5) < 22.0 && std::abs(y - 33) < 5; },
                    {240, 240, 240});
    }
    else if (id == "BoxProp")
    {
        // A steel box: grey with a dark rim and rivets.
        canvas.Rect(12, 12, 52, 52, {70, 75, 85});
        canvas.Rect(16, 16, 48, 48, {160, 165, 175});
        for (const int at : {20, 43})
            for (const int other : {20, 43})
                canvas.Rect(at, other, at + 2, other + 2, {70, 75, 85});
    }
    else if (id == "CylinderProp")
    {
        // A green drum seen from the side, its top an ellipse.
        canvas.Rect(18, 16, 46, 52, {40, 150, 70});
        canvas.Ellipse(32.0, 52.0, 14.0, 5.0, {40, 150, 70});
        canvas.Ellipse(32.0, 16.0, 14.0, 5.0, {120, 220, 140});
    }
    else if (id == "ExplosiveBarrel")
    {
        // A red drum with a black and yellow hazard band.
        canvas.Rect(18, 10, 46, 56, {200, 30, 20});
        canvas.Fill([](int x, int y) { return x >= 18 && x < 46 && y >= 28 && y < 38; }, {20, 20, 20});
        canvas.Fill([](int x, int y)
                    { return x >= 18 && x < 46 && y >= 28 && y < 38 && (x + y) / 4 % 2 == 0; },
                    {250, 210, 0});
        canvas.Rect(18, 14, 46, 16, {120, 15, 10});
        canvas.Rect(18, 50, 46, 52, {120, 15, 10});
    }
    else if (id == "PointsToken")
    {
        // A gold coin with a star.
        canvas.Disc(31.5, 31.5, 24.0, {240, 190, 30});
        canvas.Ring(31.5, 31.5, 19.0, 21.0, {180, 130, 10});
        canvas.Triangle(32, 15, 22, 38, 42, 38, {255, 250, 210});
        canvas.Triangle(32, 46, 22, 24, 42, 24, {255, 250, 210});
    }
    else if (id == "LapToken")
    {
        // A silver coin with a round arrow: it comes back.
        canvas.Disc(31.5, 31.5, 24.0, {190, 200, 210});
        canvas.Ring(31.5, 31.5, 9.0, 14.0, {40, 120, 200});
        canvas.Rect(31, 14, 44, 31, {190, 200, 210});
        canvas.Triangle(30, 11, 30, 27, 42, 19, {40, 120, 200});
    }
    else if (id == "TurboToken")
    {
        // A blue coin, one chevron: a push.
        canvas.Disc(31.5, 31.5, 24.0, {30, 110, 230});
        canvas.Chevron(31.5, 22.0, {255, 255, 255});
    }
    else if (id == "MegaTurboToken")
    {
        // A purple coin, two chevrons: a bigger push.
        canvas.Disc(31.5, 31.5, 24.0, {150, 50, 200});
        canvas.Chevron(31.5, 15.0, {255, 255, 255});
        canvas.Chevron(31.5, 28.0, {255, 255, 255});
    }
    else if (id == "RepairToken")
    {
        // A white coin with a red cross.
        canvas.Disc(31.5, 31.5, 24.0, {240, 240, 240});
        canvas.Rect(27, 15, 37, 49, {210, 30, 30});
        canvas.Rect(15, 27, 49, 37, {210, 30, 30});
    }
    else if (id == "JumpToken")
    {
        // A green coin with an arrow up.
        canvas.Disc(31.5, 31.5, 24.0, {50, 170, 60});
        canvas.Triangle(32, 12, 18, 30, 46, 30, {255, 255, 255});
        canvas.Rect(27, 30, 37, 50, {255, 255, 255});
    }
    else if (id == "LaunchPlate")
    {
        // An orange plate lying flat, an arrow rising from it.
        canvas.Fill([](int x, int y)
                    { return y >= 40 && y < 54 && x >= 6 + (54 - y) / 2 && x < 58 - (54 - y) / 2; },
                    {255, 140, 30});
        canvas.Triangle(32, 6, 21, 20, 43, 20, {255, 230, 60});
        canvas.Rect(28, 20, 36, 40, {255, 230, 60});
    }
    else if (id == "MudPit")
    {
        // A brown puddle with darker clods.
        canvas.Ellipse(32.0, 36.0, 26.0, 16.0, {110, 70, 35});
        canvas.Ellipse(22.0, 34.0, 5.0, 3.0, {70, 45, 20});
        canvas.Ellipse(40.0, 40.0, 6.0, 3.0, {70, 45, 20});
        canvas.Ellipse(34.0, 29.0, 4.0, 2.0, {70, 45, 20});
    }
    else if (id == "OilSlick")
    {
        // A black pool with a rainbow sheen.
        canvas.Ellipse(32.0, 36.0, 26.0, 16.0, {15, 15, 20});
        canvas.Ellipse(28.0, 33.0, 12.0, 5.0, {90, 40, 140});
        canvas.Ellipse(28.0, 33.0, 8.0, 3.0, {40, 140, 150});
    }
    else if (id == "PowerGrate")
    {
        // A steel grate with a yellow bolt across it.
        canvas.Rect(8, 8, 56, 56, {90, 95, 100});
        canvas.Fill([](int x, int y)
                    { return x >= 8 && x < 56 && y >= 8 && y < 56 && (x % 8 < 2 || y % 8 < 2); },
                    {40, 42, 46});
        canvas.Triangle(38, 10, 20, 36, 34, 34, {255, 220, 0});
        canvas.Triangle(30, 30, 44, 28, 26, 54, {255, 220, 0});
    }
    else if (id == "RagdollBar")
    {
        // A red and white bar held up on two posts, at a rider's height.
        canvas.Rect(10, 26, 16, 58, {150, 150, 160});
        canvas.Rect(48, 26, 54, 58, {150, 150, 160});
        canvas.Fill([](int x, int y) { return x >= 6 && x < 58 && y >= 18 && y < 26; }, {230, 230, 230});
        canvas.Fill([](int x, int y) { return x >= 6 && x < 58 && y >= 18 && y < 26 && x / 8 % 2 == 0; },
                    {210, 30, 30});
    }
    else if (id == "SpikeBar")
    {
        // A dark bar with a row of spikes on top.
        canvas.Rect(6, 40, 58, 52, {60, 60, 66});
        for (int x = 7; x < 50; x += 10)
            canvas.Triangle(x, 40, x + 10, 40, x + 5, 20, {220, 225, 235});
    }
    return canvas.m_Texels;
}

} // namespace

bool WritePalettePictures(const std::string& folder, std::string& error)
{
    for (const EditorContent::PaletteEntry& entry : EditorContent::PaletteEntries())
    {
        const std::string path = folder + "/" + EditorContent::kPictureFolder + entry.picture;
        for (std::size_t at = path.find('/', folder.size() + 1); at != std::string::npos;
             at = path.find('/', at + 1))
        {
            const std::string part = path.substr(0, at);
            if (!platform::IsDirectory(part) && !platform::CreateDirectory(part))
            {
                error = "cannot make " + part;
                return false;
            }
        }
        const std::vector<uint8_t> texels = PaletteTexels(entry.id);
        kaTGAImage picture;
        if (!picture.Create(kPaletteWidth, kPaletteHeight, 32, 8, texels.data()) ||
            !picture.Save(path, false))
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
