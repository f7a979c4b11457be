// Flattening kaTerrain in place: heights, positions, normals and every vertex copy in the quads' buffers.
#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaLayeredTerrainQuad.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>

using platform::Vector3;

namespace
{

// trunc(coordinate / step) held to -1 .. limit, so that no value converts out of range; NaN gives -1.
int32_t GridLine(float coordinate, float step, int32_t limit)
{
    const double line = double(coordinate) / double(step);
    if (!(line > -1.0))
        return -1;
    if (line >= double(limit))
        return limit;
    return int32_t(line);
}

// Copies bytes into one vertex of both of the subset's buffers, at an offset inside the vertex.
void WriteIntoVertex(const kaMeshSubset& subset, uint32_t vertex, uint32_t offset, const void* data,
                     uint32_t bytes)
{
    kaGraphicsManager& manager = *g_pGraphicsManager;
    for (kaResourceHandle handle : {subset.m_VertexBuffer, subset.m_SysVertexBuffer})
    {
        if (!handle)
            continue;
        const uint32_t stride = manager.GetVertexStride(handle);
        if (vertex >= subset.m_FirstVertex + subset.m_VertexCount || offset + bytes > stride)
            continue;
        if (auto* target = static_cast<uint8_t*>(manager.LockVertexBuffer(handle)))
        {
            std::memcpy(target + size_t(vertex) * stride + offset, data, bytes);
            manager.UnlockVertexBuffer(handle);
        }
    }
}

} // namespace

void kaTerrain::_WriteSampleToQuads(int32_t col, int32_t row)
{
    const size_t at = size_t(row) * size_t(m_Columns) + size_t(col);
    const Vector3& position = m_Positions[at];
    const Vector3 normal = GetVertexNormal(col, row);
    // A point on a quad border is held by the quads on both sides, at a corner by four.
    for (int32_t qz = row / kQuadCells - 1; qz <= row / kQuadCells; ++qz)
        for (int32_t qx = col / kQuadCells - 1; qx <= col / kQuadCells; ++qx)
        {
            kaTerrainQuad* quad = GetQuad(qx, qz);
            if (!quad)
                continue;
            const _QuadExtent extent = _ExtentOf(qx, qz);
            const int32_t localCol = col - extent.firstColumn;
            const int32_t localRow = row - extent.firstRow;
            if (localCol < 0 || localRow < 0 || localCol > extent.cellsAcross || localRow > extent.cellsDown)
                continue;
            const int32_t gridPoint = localCol + localRow * (extent.cellsAcross + 1);
            if (m_Layered)
            {
                auto* layered = dynamic_cast<kaLayeredTerrainQuad*>(quad);
                if (!layered || size_t(gridPoint) >= layered->GetGridPoints().size())
                    continue;
                for (const auto& [layer, vertex] : layered->GetGridPoints()[size_t(gridPoint)])
                    if (const kaLayeredMeshSubset* subset = layered->GetLayerSubset(layer))
                    {
                        WriteIntoVertex(*subset, uint32_t(vertex), 0, &position, sizeof(Vector3));
                        WriteIntoVertex(*subset, uint32_t(vertex), sizeof(Vector3), &normal, sizeof(Vector3));
                    }
            }
            else if (const kaMeshSubset* subset = quad->GetSubset(0))
            {
                // Every level shares this vertex buffer.
                WriteIntoVertex(*subset, uint32_t(gridPoint), 0, &position, sizeof(Vector3));
                if (quad->GetFVF() == kSingleLayerLitFVF)
                    WriteIntoVertex(*subset, uint32_t(gridPoint), sizeof(Vector3), &normal, sizeof(Vector3));
            }
        }
}

void kaTerrain::FlattenArea(float height, const Vector3& boxMin, const Vector3& boxMax, bool exact)
{
    if (m_Positions.empty() || m_Columns < 2 || m_Rows < 2 || !std::isfinite(height) ||
        std::isnan(boxMin.x) || std::isnan(boxMin.z) || std::isnan(boxMax.x) || std::isnan(boxMax.z))
        return;
    Vector3 low = boxMin;
    Vector3 high = boxMax;
    if (low.x >= high.x && low.z >= high.z)
        std::swap(low, high);
    const float rowStep = _RowStep();
    const int32_t firstCol = GridLine(low.x, m_CellSize, m_Columns);
    const int32_t firstRow = GridLine(low.z, rowStep, m_Rows);
    int32_t endCol = GridLine(high.x, m_CellSize, m_Columns);
    int32_t endRow = GridLine(high.z, rowStep, m_Rows);
    if (!exact)
    {
        endCol = std::min(endCol + 2, m_Columns - 1);
        endRow = std::min(endRow + 2, m_Rows - 1);
    }
    endCol = std::min(endCol, m_Columns - 1);
    endRow = std::min(endRow, m_Rows - 1);

    // What the 16-bit store can keep; beyond it the saved heights would wrap.
    const float stepHeight = (m_Height + kHeightFloor) * kInverseHeightSteps;
    const float y = std::clamp(height, 0.0f, 65535.0f * stepHeight);
    const uint16_t stored = uint16_t(
        std::clamp(int32_t(double(y) / double(m_Height + kHeightFloor) * double(kHeightSteps)), 0, 65535));

    std::set<std::pair<int32_t, int32_t>> rewrite;
    for (int32_t row = std::max(firstRow, 0); row < endRow; ++row)
        for (int32_t col = std::max(firstCol, 0); col < endCol; ++col)
        {
            const size_t at = size_t(row) * size_t(m_Columns) + size_t(col);
            m_Positions[at].y = y;
            m_Heights[at] = stored;
            // Its own normal and its neighbours' lean with it.
            for (const auto& [dc, dr] : {std::pair{0, 0}, {-1, 0}, {1, 0}, {0, -1}, {0, 1}})
                if (col + dc >= 0 && col + dc < m_Columns && row + dr >= 0 && row + dr < m_Rows)
                    rewrite.emplace(row + dr, col + dc);
        }
    if (rewrite.empty())
        return;
    m_HeightsEdited = true;
    m_LowestHeight = std::min(m_LowestHeight, y);
    m_HighestHeight = std::max(m_HighestHeight, y);
    if (!m_Normals.empty())
        for (const auto& [row, col] : rewrite)
            m_Normals[size_t(row) * size_t(m_Columns) + size_t(col)] = ComputeVertexNormal(col, row);
    if (m_Quads.empty() || !g_pGraphicsManager)
        return;
    std::set<kaTerrainQuad*> touched;
    for (const auto& [row, col] : rewrite)
    {
        _WriteSampleToQuads(col, row);
        for (int32_t qz = row / kQuadCells - 1; qz <= row / kQuadCells; ++qz)
            for (int32_t qx = col / kQuadCells - 1; qx <= col / kQuadCells; ++qx)
                if (kaTerrainQuad* quad = GetQuad(qx, qz))
                    touched.insert(quad);
    }
    // Raised ground must not be culled by the old spheres.
    for (int32_t qz = 0; qz < m_QuadRows; ++qz)
        for (int32_t qx = 0; qx < m_QuadColumns; ++qx)
        {
            kaTerrainQuad* quad = GetQuad(qx, qz);
            if (!touched.count(quad))
                continue;
            if (m_Layered)
            {
                const _QuadExtent extent = _ExtentOf(qx, qz);
                quad->ComputeBoundingSphere(extent.firstColumn, extent.firstRow, extent.cellsAcross,
                                            extent.cellsDown, m_Columns, m_Positions);
            }
            else
                quad->TakeBoundingSphereFromMesh();
        }
}
