#include "tools/terraingen/DecalContent.h"

#include "platform/files/SafeFileWriter.h"
#include "tools/ddswriter/DdsWriter.h"
#include "tools/terraingen/TerrainSamples.h"

#include <cstdint>
#include <filesystem>
#include <vector>

namespace
{

constexpr const char* kTypeNames[] = {"Rough",   "Smooth",     "Forest",    "Paved",
                                      "Blocked", "Landscaped", "Excavated", "Pipelaid"};

// Asphalt, darker at the kerbs, with a dashed white line down the middle of V: one repeat of road.
std::vector<uint32_t> RoadTexels(uint32_t size)
{
    std::vector<uint32_t> texels;
    for (uint32_t v = 0; v < size; ++v)
        for (uint32_t u = 0; u < size; ++u)
        {
            uint32_t grey = 0x50 + ((u * 7 + v * 13) % 5) * 3;
            if (u < size / 16 || u >= size - size / 16)
                grey = 0x38;
            const bool line =
                u >= size / 2 - size / 32 && u < size / 2 + size / 32 && (v / (size / 4)) % 2 == 0;
            texels.push_back(line ? 0xFFF0F0F0u : 0xFF000000u | grey << 16 | grey << 8 | grey);
        }
    return texels;
}

// A square handle: a bright frame around a darker middle, blue first as the files store it.
std::vector<uint8_t> HandlePixels(uint32_t size, uint8_t r, uint8_t g, uint8_t b)
{
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
        {
            const bool frame = x < 2 || y < 2 || x >= size - 2 || y >= size - 2;
            const int shade = frame ? 1 : 2;
            pixels.push_back(uint8_t(b / shade));
            pixels.push_back(uint8_t(g / shade));
            pixels.push_back(uint8_t(r / shade));
        }
    return pixels;
}

// Half-transparent green with diagonal hatching, blue, green, red, alpha.
std::vector<uint8_t> MarkerPixels(uint32_t size)
{
    std::vector<uint8_t> pixels;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x)
        {
            const bool hatch = (x + y) % 8 < 2;
            pixels.push_back(hatch ? 0x20 : 0x30);
            pixels.push_back(hatch ? 0xE0 : 0xA0);
            pixels.push_back(hatch ? 0x40 : 0x30);
            pixels.push_back(hatch ? 0xC0 : 0x70);
        }
    return pixels;
}

} // namespace

std::string DecalContent::TerrainTypesText()
{
    std::string text = "<?xml version=\"1.0\" ?>\n<TerrainTypes>\n";
    for (const char* name : kTypeNames)
        text += std::string("    <property value=\"") + name + "\" />\n";
    return text + "</TerrainTypes>\n";
}

bool DecalContent::Write(const std::string& folder, std::string& error)
{
    const std::filesystem::path root(folder);
    std::error_code ignored;
    std::filesystem::create_directories(root / kDecalFolder, ignored);
    std::filesystem::create_directories(root / "InitData", ignored);
    const std::string decals = kDecalFolder;
    const auto fail = [&error](const std::string& name)
    {
        error = name;
        return false;
    };
    if (!DdsWriter::Save((root / (decals + kRoad)).string(), DdsWriter::Texture2D(64, 64, RoadTexels(64))))
        return fail(decals + kRoad);
    if (!TerrainSamples::Save((root / (decals + kHandle)).string(), 16, 16, 24,
                              HandlePixels(16, 0xFF, 0xD0, 0x20)))
        return fail(decals + kHandle);
    if (!TerrainSamples::Save((root / (decals + kBlueHandle)).string(), 16, 16, 24,
                              HandlePixels(16, 0x30, 0x80, 0xFF)))
        return fail(decals + kBlueHandle);
    if (!TerrainSamples::Save((root / (decals + kMarker)).string(), 32, 32, 32, MarkerPixels(32)))
        return fail(decals + kMarker);
    const std::string types = TerrainTypesText();
    if (!platform::SafeFileWriter::WriteWhole((root / kTerrainTypes).string(), types))
        return fail(kTerrainTypes);
    return true;
}
