#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The sample terrain content: 8-bit height maps and layer masks, 24-bit ground tiles, a detail texture and
// base images. Every value comes from a closed formula, so the files are the same bytes on every run and
// the tests can recompute any sample.
namespace TerrainSamples
{

constexpr const char* kHeightMapFolder = "resources/worlds/heightmap/";
constexpr const char* kMaskFolder = "resources/worlds/groundmasks/";
constexpr const char* kTileFolder = "resources/worlds/groundtiles/";

struct MapSize
{
    const char* name;
    const char* extension;
    uint32_t side;
};
// 257: full quads; 129: full quads from a TGA; 128: the last quad of each row and column is partial.
constexpr MapSize kMapSizes[] = {{"map257", ".bmp", 257}, {"map129", ".tga", 129}, {"map128", ".bmp", 128}};

// The grey sample at (col, row) of a map of that size; row 0 is the first row the file stores.
uint8_t HeightSample(uint32_t col, uint32_t row, uint32_t side);
// Masks: all 255; 255 on the columns below half the side, 0 beyond; a ramp from 0 to 255 along the columns.
enum class MaskKind
{
    Full,
    Half,
    Ramp
};
uint8_t MaskSample(MaskKind kind, uint32_t col, uint32_t row, uint32_t side);
const char* MaskName(MaskKind kind);

// Blue, green, red of the base image's four quadrants: first rows stored, then columns (low, high).
struct Bgr
{
    uint8_t b, g, r;
};
constexpr Bgr kQuadrantColours[2][2] = {{{0, 0, 255}, {0, 255, 0}}, {{255, 0, 0}, {0, 255, 255}}};
Bgr BasePixel(uint32_t x, uint32_t storedRow, uint32_t side);

// Relative paths under the content folder.
std::string HeightMapPath(const MapSize& size);
std::string MaskPath(MaskKind kind, const MapSize& size);
std::string TilePath(const std::string& name);
std::string BasePath(uint32_t side);
constexpr const char* kTileNames[] = {"grass", "rock", "sand"};
constexpr const char* kDetailName = "detail";
constexpr uint32_t kTileSide = 64;
constexpr uint32_t kBaseSides[] = {256, 128};

// 24-bit pixels of a ground tile (by index into kTileNames) and of the detail texture, blue first.
std::vector<uint8_t> TilePixels(uint32_t index);
std::vector<uint8_t> DetailPixels();

// Writes a BMP or TGA (by the path's last four characters) whose file stores these rows in this order: a
// BMP keeps its rows bottom-up, so its picture is the stored rows reversed. 8, 24 or 32 bits.
bool Save(const std::string& path, uint32_t width, uint32_t height, uint32_t bits,
          const std::vector<uint8_t>& storedRows);

// Writes every file under the folder; false with the failing path in `failed`.
bool WriteAll(const std::string& folder, std::string& failed);

} // namespace TerrainSamples
