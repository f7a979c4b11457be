#include "engine/terrain/kaTerrainQuad.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"

#include "platform/gfx/GfxTypes.h"

#include <algorithm>
#include <cmath>

using platform::Vector3;

kaTerrainQuad::kaTerrainQuad() = default;

kaTerrainQuad::kaTerrainQuad(uint32_t fvf, uint32_t triangles, uint32_t vertices)
    : kaMesh(fvf, triangles, vertices, 1, false)
{
}

kaTerrainQuad::~kaTerrainQuad() = default;

void kaTerrainQuad::ComputeBoundingSphere(int32_t firstColumn, int32_t firstRow, int32_t cellsAcross,
                                          int32_t cellsDown, int32_t columns,
                                          const std::vector<Vector3>& positions)
{
    Vector3 low(1e30f, 1e30f, 1e30f);
    Vector3 high(-1e30f, -1e30f, -1e30f);
    bool any = false;
    auto visit = [&](auto&& each)
    {
        for (int32_t row = firstRow; row <= firstRow + cellsDown; ++row)
            for (int32_t col = firstColumn; col <= firstColumn + cellsAcross; ++col)
            {
                const size_t at = size_t(row) * size_t(columns) + size_t(col);
                if (col < columns && at < positions.size())
                    each(positions[at]);
            }
    };
    visit(
        [&](const Vector3& p)
        {
            any = true;
            low = Vector3(std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z));
            high = Vector3(std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z));
        });
    if (!any)
        return;
    m_SphereCentre = (low + high) * 0.5f;
    float largest = 0.0f;
    visit([&](const Vector3& p) { largest = std::max(largest, platform::Vec3LengthSq(p - m_SphereCentre)); });
    m_SphereRadius = std::sqrt(largest);
}

void kaTerrainQuad::TakeBoundingSphereFromMesh()
{
    ComputeBounds();
    m_SphereCentre = GetCentre();
    m_SphereRadius = GetRadius();
}

void kaTerrainQuad::AddLodSubset(const std::vector<uint16_t>& indices)
{
    kaMeshSubset* first = GetSubset(0);
    if (!first || indices.empty() || !g_pGraphicsManager)
        return;
    kaGraphicsManager& manager = *g_pGraphicsManager;
    kaCountedPtr<kaMeshSubset> level(new kaMeshSubset);
    level->m_Name = first->m_Name;
    level->m_VertexBuffer = first->m_VertexBuffer;
    level->m_SysVertexBuffer = first->m_SysVertexBuffer;
    manager.AddRefVertexBuffer(level->m_VertexBuffer);
    manager.AddRefVertexBuffer(level->m_SysVertexBuffer);
    level->m_FirstVertex = first->m_FirstVertex;
    level->m_VertexCount = first->m_VertexCount;
    if (first->GetRenderState())
        level->SetRenderState(new kaRenderState(*first->GetRenderState()));
    const uint32_t count = uint32_t(indices.size());
    manager.CreateIndexBuffer(level->m_IndexBuffer, count, platform::POOL_MANAGED);
    manager.CreateIndexBuffer(level->m_SysIndexBuffer, count, platform::POOL_SYSTEMMEM);
    level->m_IndexCount = count;
    level->m_PrimitiveCount = level->WriteIndices(indices.data(), count) ? count / 3 : 0;
    AddSubset(level);
}

bool kaTerrainQuad::SetLevel(int32_t level)
{
    if (level < 0 || level >= kLevelCount || (level > 0 && !m_LevelsEnabled))
        return false;
    if (level == m_Level)
        return true;
    m_Level = level;
    m_EdgesDirty = true;
    for (kaTerrainQuad* neighbour : m_Neighbours)
        if (neighbour)
            neighbour->MarkEdgesDirty();
    return true;
}
