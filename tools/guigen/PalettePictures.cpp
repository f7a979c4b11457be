#include "tools/guigen/PalettePictures.h"

#include "engine/render/kaTGAImage.h"
#include "tools/worldgen/EditorContent.h"

#include "platform/files/Files.h"

#include <cmath>
#include <cstdlib>
#include <functional>

namespace guigen
{

namespace
{

struct Colour
{
    uint8_t r, g, b;
};

class Canvas
{
public:
    Canvas() : m_Texels(std::size_t(kPaletteSide) * kPaletteSide * 4)
    {
        Fill([](int, int) { return true; }, {34, 40, 58});
    }

    // Paints every pixel the test accepts.
    void Fill(const std::function<bool(int x, int y)>& inside, const Colour& colour)
    {
        for (int y = 0; y < kPaletteSide; ++y)
            for (int x = 0; x < kPaletteSide; ++x)
                if (inside(x, y))
                {
                    uint8_t* texel = &m_Texels[(std::size_t(y) * kPaletteSide + x) * 4];
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

} // namespace

std::vector<uint8_t> PaletteTexels(const std::string& id)
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
        if (!picture.Create(kPaletteSide, kPaletteSide, 32, 8, texels.data()) || !picture.Save(path, false))
        {
            error = "cannot write " + path;
            return false;
        }
    }
    return true;
}

} // namespace guigen
