#include "tools/guigen/PalettePictures.h"

#include "engine/render/kaTGAImage.h"
#include "tools/worldgen/EditorContent.h"

#include "platform/files/Files.h"

#include <cmath>
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
