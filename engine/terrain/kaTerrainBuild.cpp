// The layered build of kaTerrain: one subset per texture layer in every quad.
#include "engine/core/kaClock.h"
#include "engine/render/kaImage.h"
#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"

#include "platform/system/DebugOutput.h"

using platform::Vector3;

namespace
{
constexpr int kAbsoluteTime = 4;
}

std::vector<bool> kaTerrain::_UsableLayers() const
{
    std::vector<bool> usable(m_Layers.size(), false);
    for (size_t i = 0; i < m_Layers.size(); ++i)
    {
        const kaImage* mask = m_Layers[i]->GetMask();
        const char* path = m_Layers[i]->GetMaskPath().c_str();
        // Masks are read at the height map's sample index, so only one of the same size fits; the
        // designer is told both sizes, since the layer draws nothing otherwise.
        if (!mask)
            platform::DebugPrintf("[kaTerrain::Build] Layer %zu skipped: mask %s could not be read\n", i,
                                  path);
        else if (int64_t(mask->GetWidth()) != m_Columns || int64_t(mask->GetHeight()) != m_Rows)
            platform::DebugPrintf(
                "[kaTerrain::Build] Layer %zu skipped: mask %s is %u x %u samples, the height "
                "map %d x %d; a mask must match the height map's size\n",
                i, path, mask->GetWidth(), mask->GetHeight(), m_Columns, m_Rows);
        else if (mask->GetBitsPerPixel() != 8 || mask->GetPixelBytes() < size_t(m_Columns) * size_t(m_Rows))
            platform::DebugPrintf("[kaTerrain::Build] Layer %zu skipped: mask %s is not 8-bit grey\n", i,
                                  path);
        else
            usable[i] = true;
    }
    return usable;
}

void kaTerrain::_LayerPass(kaLayeredTerrainQuad& quad, const _QuadExtent& extent,
                           const std::vector<bool>& usable) const
{
    const int32_t pointsAcross = extent.cellsAcross + 1;
    for (int32_t row = extent.firstRow; row < extent.firstRow + extent.cellsDown; ++row)
        for (int32_t col = extent.firstColumn; col < extent.firstColumn + extent.cellsAcross; ++col)
        {
            // Corners a, b, c, d of the cell; triangle A over a, c, b and B over c, d, b.
            const int32_t cols[4] = {col, col + 1, col, col + 1};
            const int32_t rows[4] = {row, row, row + 1, row + 1};
            size_t sample[4];
            for (int i = 0; i < 4; ++i)
                sample[i] = size_t(rows[i]) * size_t(m_Columns) + size_t(cols[i]);
            bool covered[2] = {false, false};
            constexpr int kTriangles[2][3] = {{0, 2, 1}, {2, 3, 1}};
            for (int32_t layer = GetLayerCount() - 1; layer >= 0 && !(covered[0] && covered[1]); --layer)
            {
                if (!usable[size_t(layer)])
                    continue;
                const kaTerrainLayer& record = *m_Layers[size_t(layer)];
                const uint8_t* mask = record.GetMask()->GetPixels();
                const float inverse = record.GetInverseStretch();
                for (int t = 0; t < 2; ++t)
                {
                    const int* corners = kTriangles[t];
                    uint32_t values[3];
                    for (int i = 0; i < 3; ++i)
                        values[i] = mask[sample[corners[i]]];
                    const bool present = record.IsHardEdge() ? (values[0] && values[1] && values[2])
                                                             : (values[0] || values[1] || values[2]);
                    if (present && !covered[t])
                    {
                        kaLayeredTerrainQuad::Corner triangle[3];
                        for (int i = 0; i < 3; ++i)
                        {
                            const int corner = corners[i];
                            kaLayeredTerrainQuad::Corner& out = triangle[i];
                            out.gridPoint = (cols[corner] - extent.firstColumn) +
                                            (rows[corner] - extent.firstRow) * pointsAcross;
                            out.vertex.position = m_Positions[sample[corner]];
                            out.vertex.normal = GetVertexNormal(cols[corner], rows[corner]);
                            out.vertex.color = kLayerWhite | (values[i] << 24);
                            out.vertex.u = out.vertex.position.x / m_CellSize * inverse;
                            out.vertex.v = out.vertex.position.z / m_CellSize * inverse;
                        }
                        if (t == 0)
                            quad.AddLayerTriangleA(layer, triangle);
                        else
                            quad.AddLayerTriangleB(layer, triangle);
                    }
                    if (values[0] == kMaskOpaque && values[1] == kMaskOpaque && values[2] == kMaskOpaque)
                        covered[t] = true;
                }
            }
        }
}

void kaTerrain::Build()
{
    const double started = GetTime(kAbsoluteTime);
    m_Layered = 1;
    m_Kind = Kind::Layered;
    _ClearQuads();
    if (m_Positions.empty())
    {
        ComputeEdgeBaseHeight();
        return;
    }
    m_QuadColumns = QuadCountFor(m_Columns);
    m_QuadRows = QuadCountFor(m_Rows);
    const std::vector<bool> usable = _UsableLayers();
    std::vector<kaLayeredTerrainQuad*> quads;
    for (int32_t i = 0; i < m_QuadColumns * m_QuadRows; ++i)
    {
        auto quad = std::make_unique<kaLayeredTerrainQuad>();
        quad->CreateLayerSubsets(GetLayerCount());
        quads.push_back(quad.get());
        m_Quads.push_back(std::move(quad));
    }
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            kaLayeredTerrainQuad& quad = *quads[size_t(qz) * size_t(m_QuadColumns) + size_t(qx)];
            const _QuadExtent extent = _ExtentOf(qx, qz);
            quad.AllocateGridPoints(extent.cellsAcross, extent.cellsDown);
            _LayerPass(quad, extent, usable);
            quad.CreateLayerBuffers();
            quad.ComputeBoundingSphere(extent.firstColumn, extent.firstRow, extent.cellsAcross,
                                       extent.cellsDown, m_Columns, m_Positions);
        }
    for (int32_t layer = 0; layer < GetLayerCount(); ++layer)
        if (usable[size_t(layer)])
            for (kaLayeredTerrainQuad* quad : quads)
                quad->SetLayerTexture(layer, m_Layers[size_t(layer)]->GetTexturePath());
    for (kaLayeredTerrainQuad* quad : quads)
        quad->SetLighting(m_VertexLighting);
    ComputeEdgeBaseHeight();
    platform::DebugPrintf("%s%f\n", kBuildTimeText, GetTime(kAbsoluteTime) - started);
}
