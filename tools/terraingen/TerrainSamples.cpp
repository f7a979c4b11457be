#include "tools/terraingen/TerrainSamples.h"

#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"

#include "platform/files/Files.h"

#include <algorithm>
#include <cctype>

namespace TerrainSamples
{

uint8_t HeightSample(uint32_t col, uint32_t row, uint32_t side)
{
    const uint32_t last = side > 1 ? side - 1 : 1;
    return uint8_t((col * 255 / last + row * 255 / last) / 2);
}

uint8_t MaskSample(MaskKind kind, uint32_t col, uint32_t, uint32_t side)
{
    const uint32_t last = side > 1 ? side - 1 : 1;
    switch (kind)
    {
    case MaskKind::Full:
        return 255;
    case MaskKind::Half:
        return col < side / 2 ? 255 : 0;
    case MaskKind::Ramp:
        return uint8_t(col * 255 / last);
    }
    return 0;
}

const char* MaskName(MaskKind kind)
{
    switch (kind)
    {
    case MaskKind::Full:
        return "full";
    case MaskKind::Half:
        return "half";
    case MaskKind::Ramp:
        return "ramp";
    }
    return "";
}

Bgr BasePixel(uint32_t x, uint32_t storedRow, uint32_t side)
{
    return kQuadrantColours[storedRow < side / 2 ? 0 : 1][x < side / 2 ? 0 : 1];
}

std::string HeightMapPath(const MapSize& size)
{
    return std::string(kHeightMapFolder) + size.name + size.extension;
}

std::string MaskPath(MaskKind kind, const MapSize& size)
{
    return std::string(kMaskFolder) + MaskName(kind) + std::to_string(size.side) + size.extension;
}

std::string TilePath(const std::string& name)
{
    return std::string(kTileFolder) + name + ".bmp";
}

std::string BasePath(uint32_t side)
{
    return std::string(kTileFolder) + "base" + std::to_string(side) + ".bmp";
}

std::vector<uint8_t> TilePixels(uint32_t index)
{
    static constexpr Bgr kTones[] = {{40, 140, 60}, {120, 120, 128}, {120, 190, 220}};
    const Bgr tone = kTones[index % 3];
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(kTileSide) * kTileSide * 3);
    for (uint32_t y = 0; y < kTileSide; ++y)
        for (uint32_t x = 0; x < kTileSide; ++x)
        {
            // A faint weave so the repeat shows; the tone stays the tile's colour.
            const int shade = int((x * 7 + y * 13) % 16) - 8;
            for (uint8_t channel : {tone.b, tone.g, tone.r})
                pixels.push_back(uint8_t(std::min(255, std::max(0, int(channel) + shade))));
        }
    return pixels;
}

std::vector<uint8_t> DetailPixels()
{
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(kTileSide) * kTileSide * 3);
    for (uint32_t y = 0; y < kTileSide; ++y)
        for (uint32_t x = 0; x < kTileSide; ++x)
        {
            const uint8_t grey = uint8_t(192 + (x * 31 + y * 17 + x * y) % 64);
            pixels.insert(pixels.end(), {grey, grey, grey});
        }
    return pixels;
}

bool Save(const std::string& path, uint32_t width, uint32_t height, uint32_t bits,
          const std::vector<uint8_t>& storedRows)
{
    std::string extension = path.size() >= 4 ? path.substr(path.size() - 4) : std::string();
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == ".tga")
    {
        kaTGAImage image;
        return image.Create(width, height, bits, 0, storedRows.data()) && image.Save(path, false);
    }
    const size_t rowBytes = size_t(width) * bits / 8;
    std::vector<uint8_t> picture(storedRows.size());
    for (uint32_t row = 0; row < height; ++row)
        std::copy_n(storedRows.begin() + ptrdiff_t(row * rowBytes), rowBytes,
                    picture.begin() + ptrdiff_t((height - 1 - row) * rowBytes));
    kaBMPImage image;
    return image.Create(width, height, bits, picture.data()) && image.Save(path, false);
}

bool WriteAll(const std::string& folder, std::string& failed)
{
    for (const char* sub : {kHeightMapFolder, kMaskFolder, kTileFolder})
    {
        std::string path = folder + "/";
        for (const char* at = sub; *at; ++at)
        {
            if (*at == '/')
                platform::CreateDirectory(path);
            path += *at;
        }
        platform::CreateDirectory(path);
    }
    auto write = [&](const std::string& relative, uint32_t width, uint32_t height, uint32_t bits,
                     const std::vector<uint8_t>& pixels)
    {
        if (Save(folder + "/" + relative, width, height, bits, pixels))
            return true;
        failed = relative;
        return false;
    };
    for (const MapSize& size : kMapSizes)
    {
        std::vector<uint8_t> heights;
        for (uint32_t row = 0; row < size.side; ++row)
            for (uint32_t col = 0; col < size.side; ++col)
                heights.push_back(HeightSample(col, row, size.side));
        if (!write(HeightMapPath(size), size.side, size.side, 8, heights))
            return false;
        for (MaskKind kind : {MaskKind::Full, MaskKind::Half, MaskKind::Ramp})
        {
            std::vector<uint8_t> mask;
            for (uint32_t row = 0; row < size.side; ++row)
                for (uint32_t col = 0; col < size.side; ++col)
                    mask.push_back(MaskSample(kind, col, row, size.side));
            if (!write(MaskPath(kind, size), size.side, size.side, 8, mask))
                return false;
        }
    }
    for (uint32_t i = 0; i < 3; ++i)
        if (!write(TilePath(kTileNames[i]), kTileSide, kTileSide, 24, TilePixels(i)))
            return false;
    if (!write(TilePath(kDetailName), kTileSide, kTileSide, 24, DetailPixels()))
        return false;
    for (uint32_t side : kBaseSides)
    {
        std::vector<uint8_t> base;
        for (uint32_t row = 0; row < side; ++row)
            for (uint32_t x = 0; x < side; ++x)
            {
                const Bgr pixel = BasePixel(x, row, side);
                base.insert(base.end(), {pixel.b, pixel.g, pixel.r});
            }
        if (!write(BasePath(side), side, side, 24, base))
            return false;
    }
    return true;
}

} // namespace TerrainSamples
