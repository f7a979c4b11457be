// The single-layer build of kaTerrain: a base tile per quad under a repeating detail texture, with the
// level-of-detail subsets of full quads.
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaImage.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"

#include "platform/gfx/GfxTypes.h"
#include "platform/system/DebugOutput.h"

using platform::Vector3;

namespace
{

// Level L of a full quad uses every 2^L-th grid vertex: interior cells first, then the first and last
// rows, then the first and last columns, so that the borders can later be rewritten in place.
std::vector<uint16_t> MakeLodIndexSet(int level)
{
    const int step = 1 << level;
    const int cells = kaTerrain::kQuadCells / step;
    std::vector<uint16_t> indices;
    indices.reserve(size_t(cells) * size_t(cells) * 6);
    auto vertex = [step](int c, int r) { return uint16_t((c + kaTerrainQuad::kGridSide * r) * step); };
    auto cell = [&](int c, int r)
    {
        const uint16_t a = vertex(c, r), b = vertex(c + 1, r), c2 = vertex(c, r + 1),
                       d = vertex(c + 1, r + 1);
        indices.insert(indices.end(), {a, c2, b, b, c2, d});
    };
    for (int r = 1; r < cells - 1; ++r)
        for (int c = 1; c < cells - 1; ++c)
            cell(c, r);
    for (int r : {0, cells - 1})
        for (int c = 0; c < cells; ++c)
            cell(c, r);
    for (int r = 1; r < cells - 1; ++r)
    {
        cell(0, r);
        cell(cells - 1, r);
    }
    return indices;
}

const std::vector<uint16_t>& LodIndexSet(int level)
{
    static const std::vector<std::vector<uint16_t>> sets = []
    {
        std::vector<std::vector<uint16_t>> made;
        for (int level = 0; level < kaTerrainQuad::kLevelCount; ++level)
            made.push_back(MakeLodIndexSet(level));
        return made;
    }();
    return sets[size_t(level)];
}

// A partial quad's own cells, row by row.
std::vector<uint16_t> PlainIndexSet(int cellsAcross, int cellsDown)
{
    std::vector<uint16_t> indices;
    indices.reserve(size_t(cellsAcross) * size_t(cellsDown) * 6);
    const int across = cellsAcross + 1;
    for (int r = 0; r < cellsDown; ++r)
        for (int c = 0; c < cellsAcross; ++c)
        {
            const uint16_t a = uint16_t(c + across * r), b = uint16_t(a + 1), c2 = uint16_t(a + across),
                           d = uint16_t(c2 + 1);
            indices.insert(indices.end(), {a, c2, b, b, c2, d});
        }
    return indices;
}

// One pixel of an 8-, 24- or 32-bit image as blue, green, red.
void ReadBgr(const uint8_t* pixel, uint32_t bits, uint8_t out[3])
{
    if (bits == 8)
        out[0] = out[1] = out[2] = pixel[0];
    else
    {
        out[0] = pixel[0];
        out[1] = pixel[1];
        out[2] = pixel[2];
    }
}

} // namespace

void kaTerrain::_FillSingleLayerQuad(kaTerrainQuad& quad, const _QuadExtent& extent, uint32_t fvf,
                                     std::vector<float>& scratch) const
{
    const bool lit = fvf == kSingleLayerLitFVF;
    scratch.clear();
    for (int32_t r = 0; r <= extent.cellsDown; ++r)
        for (int32_t c = 0; c <= extent.cellsAcross; ++c)
        {
            const int32_t col = extent.firstColumn + c;
            const int32_t row = extent.firstRow + r;
            const Vector3& p = m_Positions[size_t(row) * size_t(m_Columns) + size_t(col)];
            scratch.insert(scratch.end(), {p.x, p.y, p.z});
            if (lit)
            {
                const Vector3 n = GetVertexNormal(col, row);
                scratch.insert(scratch.end(), {n.x, n.y, n.z});
            }
            scratch.insert(scratch.end(), {float(c) * kBaseStep, float(r) * kBaseStep,
                                           float(col) * kDetailRepeat, float(row) * kDetailRepeat});
        }
    quad.SetVertices(scratch.data(), 0);
}

void kaTerrain::BuildSingleLayer()
{
    _ClearQuads();
    m_Layered = 0;
    m_Kind = Kind::SingleLayer;
    if (m_Positions.empty())
    {
        ComputeEdgeBaseHeight();
        return;
    }
    m_QuadColumns = QuadCountFor(m_Columns);
    m_QuadRows = QuadCountFor(m_Rows);
    const uint32_t fvf = m_VertexLighting ? kSingleLayerLitFVF : kSingleLayerFVF;
    std::vector<float> scratch;
    scratch.reserve(size_t(kaTerrainQuad::kGridSide) * kaTerrainQuad::kGridSide * 10);
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            const _QuadExtent extent = _ExtentOf(qx, qz);
            const uint32_t cells = uint32_t(extent.cellsAcross) * uint32_t(extent.cellsDown);
            const uint32_t vertices = uint32_t(extent.cellsAcross + 1) * uint32_t(extent.cellsDown + 1);
            auto quad = std::make_unique<kaTerrainQuad>(fvf, cells * 2, vertices);
            _FillSingleLayerQuad(*quad, extent, fvf, scratch);
            // The shared level sets fit only full quads; a partial one keeps its own cells at level 0.
            const bool full = extent.cellsAcross == kQuadCells && extent.cellsDown == kQuadCells;
            if (full)
                quad->SetIndices(LodIndexSet(0).data(), 0);
            else
                quad->SetIndices(PlainIndexSet(extent.cellsAcross, extent.cellsDown).data(), 0);
            quad->TakeBoundingSphereFromMesh();
            quad->SetLevelsEnabled(full);
            if (full)
                for (int level = 1; level < kaTerrainQuad::kLevelCount; ++level)
                    quad->AddLodSubset(LodIndexSet(level));
            m_Quads.push_back(std::move(quad));
        }
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            kaTerrainQuad* quad = GetQuad(qx, qz);
            quad->SetNeighbour(kaTerrainQuad::kLeft, GetQuad(qx - 1, qz));
            quad->SetNeighbour(kaTerrainQuad::kRight, GetQuad(qx + 1, qz));
            quad->SetNeighbour(kaTerrainQuad::kNextRow, GetQuad(qx, qz + 1));
            quad->SetNeighbour(kaTerrainQuad::kPreviousRow, GetQuad(qx, qz - 1));
        }
    _MakeBaseTiles();
    _ApplySingleLayerTextures();
    // The normals now live in the vertex buffers; whatever needs one later computes it from the positions.
    std::vector<Vector3>().swap(m_Normals);
    ComputeEdgeBaseHeight();
    m_HeightScale = (m_Height + kHeightFloor) / kHeightSteps;
}

void kaTerrain::_MakeBaseTiles()
{
    m_TileTextures.assign(m_Quads.size(), nullptr);
    if (!m_pBaseImage)
        return;
    std::unique_ptr<kaImage> image = std::move(m_pBaseImage);
    m_BaseImageWidth = float(image->GetWidth());
    const uint32_t bits = image->GetBitsPerPixel();
    const uint32_t tileWidth = image->GetWidth() / uint32_t(m_QuadColumns);
    const uint32_t tileHeight = image->GetHeight() / uint32_t(m_QuadRows);
    const uint32_t pitch = image->GetRowBytes();
    platform::GfxDevice* device = g_pGraphicsManager ? g_pGraphicsManager->GetDevice() : nullptr;
    if (tileWidth == 0 || tileHeight == 0 || (bits != 8 && bits != 24 && bits != 32) || !device ||
        image->GetPixelBytes() < size_t(pitch) * image->GetHeight())
    {
        platform::DebugPrintf(
            "[kaTerrain::BuildSingleLayer] No base tiles from %s: %u x %u at %u bits for %d x "
            "%d quads\n",
            m_BaseTexturePath.c_str(), image->GetWidth(), image->GetHeight(), bits, m_QuadColumns,
            m_QuadRows);
        return;
    }
    const uint32_t bytes = bits / 8;
    std::vector<uint8_t> tile(size_t(tileWidth) * tileHeight * 3);
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            for (uint32_t y = 0; y < tileHeight; ++y)
            {
                const uint8_t* source = image->GetPixels() + size_t(uint32_t(qz) * tileHeight + y) * pitch +
                                        size_t(uint32_t(qx) * tileWidth) * bytes;
                for (uint32_t x = 0; x < tileWidth; ++x)
                    ReadBgr(source + size_t(x) * bytes, bits, &tile[(size_t(y) * tileWidth + x) * 3]);
            }
            kaTGAImage picture;
            auto* texture = new kaTexture;
            // The terrain's own reference; the quads' render states take theirs.
            texture->AddRef();
            // A full chain: the creation sets the texture to keep every level, then the tile fills them.
            const bool made = picture.Create(tileWidth, tileHeight, 24, 0, tile.data()) &&
                              texture->Create(tileWidth, tileHeight, device, platform::FMT_A8R8G8B8, 0, 0,
                                              platform::POOL_MANAGED) &&
                              texture->CreateFromImage(picture, device, tileWidth, tileHeight, 24, 0, 0,
                                                       platform::POOL_MANAGED);
            if (!made)
            {
                texture->Release();
                continue;
            }
            m_TileTextures[size_t(qz) * size_t(m_QuadColumns) + size_t(qx)] = texture;
        }
}

void kaTerrain::_ApplySingleLayerTextures()
{
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            kaTerrainQuad* quad = GetQuad(qx, qz);
            kaTexture* tile = GetTileTexture(qx, qz);
            // Every level draws the same textures.
            for (uint32_t i = 0; i < quad->GetSubsetCount(); ++i)
            {
                kaRenderState* state = quad->GetSubset(i)->GetRenderState();
                if (!state)
                    continue;
                state->m_Lighting = m_VertexLighting;
                if (tile)
                    state->AddTexture(tile, 0, kaTextureStage::kModulate, 0, false, false);
                state->AddTextureFromFile(m_DetailTexturePath, false, 0, kaTextureStage::kModulate, 1, false,
                                          false, 0);
                state->SetAmbient(1.0f, 1.0f, 1.0f, 1.0f);
            }
        }
}
