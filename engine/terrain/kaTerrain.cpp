#include "engine/terrain/kaTerrain.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaManagedStream.h"
#include "engine/model/kaMesh.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaTerrainDecal.h"
#include "engine/terrain/kaTerrainLayer.h"
#include "engine/terrain/kaTerrainQuad.h"

#include "platform/system/AvailableMemory.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cctype>
#include <cmath>

using platform::Vector3;

namespace
{

kaTerrainBase* Make()
{
    return new kaTerrain();
}

// Installed before the program's entry, so every world reads this element of its files.
const bool s_Installed = (kaWorld::SetTerrainCreator(&Make), true);

} // namespace

// A class record without a creator: only the world makes one.
KA_ENTITY_CLASS_RECORD_DEFINITION(kaTerrain, "kaTerrain")

namespace
{

constexpr int kAbsoluteTime = 4;

bool EndsWith(const std::string& lower, const char* suffix)
{
    const std::string end(suffix);
    return lower.size() >= end.size() && lower.compare(lower.size() - end.size(), end.size(), end) == 0;
}

// Readers hand rows top row first; heights and masks count rows in the order the file stores them.
void ToStoredRowOrder(kaImage& image)
{
    if (auto* bmp = dynamic_cast<kaBMPImage*>(&image))
    {
        if (bmp->GetInfoHeader().height > 0)
            bmp->FlipVertical();
    }
    else if (auto* tga = dynamic_cast<kaTGAImage*>(&image))
    {
        if (tga->GetHeader() && !(tga->GetHeader()->descriptor & kaTGAImage::kTopOrigin))
            tga->FlipVertical();
    }
}

} // namespace

kaTerrain::kaTerrain()
{
    static uint64_t s_LastSerial = 0;
    m_Serial = ++s_LastSerial;
    SetName(kEntityName);
}

kaTerrain::~kaTerrain()
{
    m_Decals.clear();
    m_pEdgeMesh.reset();
    _ClearQuads();
}

std::unique_ptr<kaImage> kaTerrain::LoadHeightMapImage(const std::string& path)
{
    // Shorter than an extension: no image.
    if (path.size() < 4)
        return nullptr;
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::unique_ptr<kaImage> image;
    if (EndsWith(lower, ".bmp"))
        image = std::make_unique<kaBMPImage>();
    else if (EndsWith(lower, ".tga"))
        image = std::make_unique<kaTGAImage>();
    else
        return nullptr;
    bool loaded = image->Load(path);
    if (!loaded)
    {
        kaManagedStream stream;
        OpenStream(stream, path, 1);
        loaded = stream.Get() && image->LoadFromStream(*stream);
    }
    if (!loaded || !image->GetPixels())
        return nullptr;
    ToStoredRowOrder(*image);
    return image;
}

uint64_t kaTerrain::HeightMapBytes(uint32_t columns, uint32_t rows)
{
    return uint64_t(columns) * uint64_t(rows) * kBytesPerSample;
}

bool kaTerrain::HeightMapFits(uint32_t columns, uint32_t rows, uint64_t available)
{
    return HeightMapBytes(columns, rows) <= available / kMemoryShare;
}

bool kaTerrain::CheckHeightMapMemory(const std::string& path, uint32_t columns, uint32_t rows, std::string& why)
{
    const uint64_t available = platform::AvailableMemoryBytes();
    if (HeightMapFits(columns, rows, available))
        return true;
    constexpr uint64_t kMegabyte = 1024 * 1024;
    why = "The height map \"" + path + "\" is " + std::to_string(columns) + " x " + std::to_string(rows) +
          " samples: building it needs about " + std::to_string(HeightMapBytes(columns, rows) / kMegabyte) +
          " MB, more than half of the " + std::to_string(available / kMegabyte) + " MB free.";
    return false;
}

bool kaTerrain::CheckHeightMapFile(const std::string& path, std::string& why)
{
    const std::unique_ptr<kaImage> image = LoadHeightMapImage(path);
    if (!image)
        return true;
    return CheckHeightMapMemory(path, image->GetWidth(), image->GetHeight(), why);
}

bool kaTerrain::GenerateHeightMapVerts(const std::string& path, float width, float height, float length,
                                       bool vertexLighting)
{
    // Sizes that would divide by zero or wrap the 16-bit heights are refused before anything changes.
    if (!std::isfinite(width) || !std::isfinite(length) || !std::isfinite(height) || width <= 0.0f ||
        length <= 0.0f || height < 0.0f)
    {
        platform::DebugPrintf("[kaTerrain::GenerateHeightMapVerts] Error: width %g, height %g and length %g "
                              "must be finite, width and length above 0, height not below 0\n",
                              width, height, length);
        return false;
    }
    const double started = GetTime(kAbsoluteTime);
    m_HeightMapPath = path;
    m_VertexLighting = vertexLighting;
    std::unique_ptr<kaImage> image = LoadHeightMapImage(path);
    if (!image)
        return false;
    if (image->GetBitsPerPixel() != 8)
    {
        platform::OutputDebugString(kNotGreyText);
        return false;
    }
    const uint32_t imageColumns = image->GetWidth();
    const uint32_t imageRows = image->GetHeight();
    if (imageColumns < 2 || imageRows < 2 || imageColumns > uint32_t(kMaxSamplesPerSide) ||
        imageRows > uint32_t(kMaxSamplesPerSide) ||
        image->GetPixelBytes() < size_t(imageColumns) * size_t(imageRows))
    {
        platform::DebugPrintf("[kaTerrain::GenerateHeightMapVerts] Error: Heightmap %s is %u x %u samples; "
                              "2 to %d a side are taken\n",
                              path.c_str(), imageColumns, imageRows, kMaxSamplesPerSide);
        return false;
    }

    std::string why;
    if (!CheckHeightMapMemory(path, imageColumns, imageRows, why))
    {
        platform::OutputDebugString("[kaTerrain::GenerateHeightMapVerts] Error: " + why + "\n");
        return false;
    }

    m_Width = width;
    m_Height = height;
    m_Length = length;
    m_Columns = int32_t(imageColumns);
    m_Rows = int32_t(imageRows);
    m_CellSize = width / float(m_Columns - 1);

    const float scale = height / (height + kHeightFloor) * kHeightSteps;
    const int32_t offset = int32_t(kHeightSteps) - int32_t(scale);
    const size_t count = size_t(m_Columns) * size_t(m_Rows);
    const uint8_t* samples = image->GetPixels();
    m_Heights.assign(count, 0);
    m_Positions.assign(count, Vector3());
    m_LowestHeight = 1000000.0f;
    m_HighestHeight = 0.0f;
    const float rowStep = length / float(m_Rows - 1);
    for (int32_t row = 0; row < m_Rows; ++row)
        for (int32_t col = 0; col < m_Columns; ++col)
        {
            const size_t at = size_t(row) * size_t(m_Columns) + size_t(col);
            const int32_t value = int32_t(float(samples[at]) * scale * kInverseSampleRange) + offset;
            m_Heights[at] = uint16_t(std::clamp(value, 0, 65535));
            const float y = float(m_Heights[at]) * (height + kHeightFloor) * kInverseHeightSteps;
            m_Positions[at] = Vector3(float(col) * m_CellSize, y, float(row) * rowStep);
            m_LowestHeight = std::min(m_LowestHeight, y);
            m_HighestHeight = std::max(m_HighestHeight, y);
        }
    m_HeightScale = (height + kHeightFloor) / kHeightSteps;

    m_Normals.clear();
    if (vertexLighting)
    {
        // Computed while none are stored, so each comes from the positions.
        std::vector<Vector3> normals(count);
        for (int32_t row = 0; row < m_Rows; ++row)
            for (int32_t col = 0; col < m_Columns; ++col)
                normals[size_t(row) * size_t(m_Columns) + size_t(col)] = GetVertexNormal(col, row);
        m_Normals = std::move(normals);
    }
    image.reset();
    platform::DebugPrintf("%s%f\n", kHeightmapTimeText, GetTime(kAbsoluteTime) - started);

    m_CellWalls[0].Set(Vector3(0.0f, 0.0f, -1.0f), m_CellSize);
    m_CellWalls[1].Set(Vector3(-1.0f, 0.0f, 0.0f), m_CellSize);
    m_CellWalls[2].Set(Vector3(0.0f, 0.0f, 1.0f), 0.0f);
    m_CellWalls[3].Set(Vector3(1.0f, 0.0f, 0.0f), 0.0f);
    return true;
}

Vector3 kaTerrain::GetVertexPosition(int32_t col, int32_t row) const
{
    if (m_Positions.empty() || m_Columns < 2 || m_Rows < 2)
        return Vector3();
    const float colStep = m_Width / float(m_Columns - 1);
    const float rowStep = m_Length / float(m_Rows - 1);
    auto stored = [this](int32_t c, int32_t r)
    {
        c = std::clamp(c, 0, m_Columns - 1);
        r = std::clamp(r, 0, m_Rows - 1);
        return m_Positions[size_t(r) * size_t(m_Columns) + size_t(c)];
    };
    Vector3 position = stored(col, row);
    if (col < 0)
        position.x = -colStep;
    else if (col >= m_Columns)
        position.x = m_Width + colStep;
    if (row < 0)
        position.z = -rowStep;
    else if (row >= m_Rows)
        position.z = m_Length + rowStep;
    return position;
}

Vector3 kaTerrain::GetVertexNormal(int32_t col, int32_t row) const
{
    if (!m_Normals.empty() && col >= 0 && row >= 0 && col < m_Columns && row < m_Rows)
        return m_Normals[size_t(row) * size_t(m_Columns) + size_t(col)];
    return ComputeVertexNormal(col, row);
}

Vector3 kaTerrain::ComputeVertexNormal(int32_t col, int32_t row) const
{
    const Vector3 centre = GetVertexPosition(col, row);
    // Around the sample in turn: left, next row, right, previous row; flat ground gives (0, 1, 0).
    const Vector3 edges[4] = {
        GetVertexPosition(col - 1, row) - centre, GetVertexPosition(col, row + 1) - centre,
        GetVertexPosition(col + 1, row) - centre, GetVertexPosition(col, row - 1) - centre};
    Vector3 sum;
    for (int i = 0; i < 4; ++i)
        sum += platform::Vec3Cross(edges[i], edges[(i + 1) % 4]);
    Vector3 normal;
    if (platform::Vec3LengthSq(sum) <= 0.0f)
        return Vector3(0.0f, 1.0f, 0.0f);
    platform::Vec3Normalize(&normal, &sum);
    return normal;
}

float kaTerrain::ComputeEdgeBaseHeight()
{
    if (m_Heights.empty())
    {
        m_EdgeBaseHeight = 0.0f;
        return m_EdgeBaseHeight;
    }
    uint16_t lowest = uint16_t(kHeightSteps);
    auto at = [this](int32_t col, int32_t row)
    { return m_Heights[size_t(row) * size_t(m_Columns) + size_t(col)]; };
    for (int32_t col = 0; col < m_Columns; ++col)
        lowest = std::min({lowest, at(col, 0), at(col, m_Rows - 1)});
    for (int32_t row = 0; row < m_Rows; ++row)
        lowest = std::min({lowest, at(0, row), at(m_Columns - 1, row)});
    m_EdgeBaseHeight = float(lowest) * (m_Height + kHeightFloor) * kInverseHeightSteps;
    return m_EdgeBaseHeight;
}

int32_t kaTerrain::QuadCountFor(int32_t samples)
{
    if (samples < 2)
        return 0;
    return (samples - 1 + kQuadCells - 1) / kQuadCells;
}

kaTerrain::_QuadExtent kaTerrain::_ExtentOf(int32_t qx, int32_t qz) const
{
    _QuadExtent extent;
    extent.firstColumn = kQuadCells * qx;
    extent.firstRow = kQuadCells * qz;
    extent.cellsAcross = std::min(m_Columns - 1 - extent.firstColumn, kQuadCells);
    extent.cellsDown = std::min(m_Rows - 1 - extent.firstRow, kQuadCells);
    return extent;
}

kaTerrainQuad* kaTerrain::GetQuad(int32_t qx, int32_t qz) const
{
    if (qx < 0 || qz < 0 || qx >= m_QuadColumns || qz >= m_QuadRows)
        return nullptr;
    const size_t at = size_t(qz) * size_t(m_QuadColumns) + size_t(qx);
    return at < m_Quads.size() ? m_Quads[at].get() : nullptr;
}

kaTexture* kaTerrain::GetTileTexture(int32_t qx, int32_t qz) const
{
    if (qx < 0 || qz < 0 || qx >= m_QuadColumns || qz >= m_QuadRows)
        return nullptr;
    const size_t at = size_t(qz) * size_t(m_QuadColumns) + size_t(qx);
    return at < m_TileTextures.size() ? m_TileTextures[at] : nullptr;
}

void kaTerrain::_ClearQuads()
{
    m_Quads.clear();
    for (kaTexture* texture : m_TileTextures)
        if (texture)
            texture->Release();
    m_TileTextures.clear();
    m_QuadColumns = 0;
    m_QuadRows = 0;
}

void kaTerrain::AddDecal(kaTerrainDecal* decal)
{
    if (decal &&
        std::none_of(m_Decals.begin(), m_Decals.end(),
                     [decal](const std::unique_ptr<kaTerrainDecal>& held) { return held.get() == decal; }))
        m_Decals.emplace_back(decal);
}

bool kaTerrain::RemoveDecal(kaTerrainDecal* decal)
{
    const auto found =
        std::find_if(m_Decals.begin(), m_Decals.end(),
                     [decal](const std::unique_ptr<kaTerrainDecal>& held) { return held.get() == decal; });
    if (!decal || found == m_Decals.end())
        return false;
    m_Decals.erase(found);
    return true;
}

kaTerrainDecal* kaTerrain::GetDecal(int32_t index) const
{
    return index >= 0 && index < GetDecalCount() ? m_Decals[size_t(index)].get() : nullptr;
}

const kaTerrainLayer* kaTerrain::GetLayer(int32_t index) const
{
    return index >= 0 && index < GetLayerCount() ? m_Layers[size_t(index)].get() : nullptr;
}

bool kaTerrain::AddLayer(const std::string& maskPath, const std::string& texturePath, float stretch,
                         bool hardEdge)
{
    std::unique_ptr<kaImage> mask = LoadHeightMapImage(maskPath);
    if (!mask)
        return false;
    if (mask->GetBitsPerPixel() != 8)
    {
        platform::DebugPrintf("[kaTerrain::AddLayer] Error: mask %s is not greyscale(8-bit)\n",
                              maskPath.c_str());
        return false;
    }
    m_Layers.push_back(
        std::make_unique<kaTerrainLayer>(std::move(mask), maskPath, texturePath, stretch, hardEdge));
    return true;
}

int32_t kaTerrain::RemoveLayer(int32_t index)
{
    if (index < 0 || index >= GetLayerCount())
        return GetLayerCount();
    m_Layers.erase(m_Layers.begin() + index);
    return GetLayerCount();
}

bool kaTerrain::SetSingleLayerTextures(const std::string& baseTexturePath,
                                       const std::string& detailTexturePath, float detailStretch)
{
    m_BaseTexturePath = baseTexturePath;
    m_pBaseImage = LoadHeightMapImage(baseTexturePath);
    m_DetailTexturePath = detailTexturePath;
    m_DetailStretch = detailStretch;
    return true;
}

void kaTerrain::Rebuild()
{
    if (m_Kind == Kind::SingleLayer)
    {
        // The single-layer build lets go of the base image: load it again.
        m_pBaseImage = LoadHeightMapImage(m_BaseTexturePath);
        BuildSingleLayer();
        if (!m_EdgePanelPath.empty())
            BuildEdgePanels(m_EdgePanelPath);
        return;
    }
    Build();
    if (!m_Layers.empty())
        BuildLayeredEdgeApron();
}
