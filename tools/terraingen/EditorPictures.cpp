#include "tools/terraingen/EditorPictures.h"

#include "tools/terraingen/TerrainSamples.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

// Distance from the picture's centre as a fraction of half its side.
float Radius(unsigned x, unsigned y, unsigned side)
{
    const float half = float(side) / 2.0f;
    const float dx = (float(x) + 0.5f - half) / half;
    const float dy = (float(y) + 0.5f - half) / half;
    return std::sqrt(dx * dx + dy * dy);
}

uint8_t Channel(float value)
{
    return uint8_t(std::clamp(value, 0.0f, 1.0f) * 255.0f);
}

// A soft blue-white spot that fades to black, which adds nothing where it is drawn.
std::vector<uint8_t> SpotPixels(unsigned side)
{
    std::vector<uint8_t> pixels;
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x)
        {
            const float glow = std::pow(std::max(0.0f, 1.0f - Radius(x, y, side)), 2.0f);
            pixels.insert(pixels.end(), {Channel(glow), Channel(glow * 0.9f), Channel(glow * 0.75f)});
        }
    return pixels;
}

// A warm ring whose alpha follows its brightness.
std::vector<uint8_t> HaloPixels(unsigned side)
{
    std::vector<uint8_t> pixels;
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x)
        {
            const float ring = std::max(0.0f, 1.0f - std::fabs(Radius(x, y, side) - 0.7f) / 0.18f);
            pixels.insert(pixels.end(),
                          {Channel(ring * 0.35f), Channel(ring * 0.7f), Channel(ring), Channel(ring)});
        }
    return pixels;
}

// Grey-brown stones: a few sizes of cells, each a shade of its own.
std::vector<uint8_t> GravelPixels(unsigned side)
{
    std::vector<uint8_t> pixels;
    for (unsigned y = 0; y < side; ++y)
        for (unsigned x = 0; x < side; ++x)
        {
            const unsigned cell = ((x / 6) * 73 + (y / 5) * 151 + (x / 11) * 37 + (y / 13) * 59) % 97;
            const float shade = 0.45f + float(cell) / 97.0f * 0.35f;
            pixels.insert(pixels.end(), {Channel(shade * 0.8f), Channel(shade * 0.9f), Channel(shade)});
        }
    return pixels;
}

} // namespace

bool EditorPictures::Write(const std::string& folder, std::string& error)
{
    const struct
    {
        const char* path;
        unsigned side;
        unsigned bits;
        std::vector<uint8_t> pixels;
    } pictures[] = {
        {kFlareSpot, kFlareSide, 24, SpotPixels(kFlareSide)},
        {kFlareHalo, kFlareSide, 32, HaloPixels(kFlareSide)},
        {kGravelTile, kTileSide, 24, GravelPixels(kTileSide)},
    };
    for (const auto& picture : pictures)
    {
        // The tile folder may not exist yet when the environment is written alone.
        const std::string path = folder + "/" + picture.path;
        for (size_t at = folder.size() + 1; (at = path.find('/', at + 1)) != std::string::npos;)
            platform::CreateDirectory(path.substr(0, at));
        if (!TerrainSamples::Save(folder + "/" + picture.path, picture.side, picture.side, picture.bits,
                                  picture.pixels))
        {
            error = picture.path;
            return false;
        }
    }
    return true;
}
