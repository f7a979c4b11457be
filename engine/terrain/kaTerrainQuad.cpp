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

std::vector<uint16_t> kaTerrainQuad::StitchedIndices() const
{
    constexpr int kLast = kGridSide - 1;
    const int step = 1 << m_Level;
    const int cells = kLast / step;
    std::vector<uint16_t> indices;
    indices.reserve(size_t(cells) * size_t(cells) * 6);
    const auto vertex = [](int c, int r) { return uint16_t(c + kGridSide * r); };
    for (int r = 1; r < cells - 1; ++r)
        for (int c = 1; c < cells - 1; ++c)
        {
            const int c0 = c * step, r0 = r * step, c1 = c0 + step, r1 = r0 + step;
            indices.insert(indices.end(), {vertex(c0, r0), vertex(c0, r1), vertex(c1, r0), vertex(c1, r0),
                                           vertex(c0, r1), vertex(c1, r1)});
        }

    // Each border is the left one's triangles carried over: mirrored borders swap a triangle's last two
    // corners so that every triangle keeps the interior's winding.
    struct Border
    {
        int side;
        bool swap;
        void (*map)(int& c, int& r);
    };
    const Border borders[4] = {
        {kLeft, false, [](int&, int&) {}},
        {kRight, true, [](int& c, int&) { c = kLast - c; }},
        {kNextRow, true,
         [](int& c, int& r)
         {
             const int oldC = c;
             c = kLast - r;
             r = kLast - oldC;
         }},
        {kPreviousRow, false,
         [](int& c, int& r)
         {
             const int oldC = c;
             c = kLast - r;
             r = oldC;
         }},
    };
    for (const Border& border : borders)
    {
        const kaTerrainQuad* neighbour = m_Neighbours[border.side];
        const int other = neighbour ? neighbour->m_Level : m_Level;
        const int f = 1 << std::max(0, other - m_Level);
        const int g = f * step;
        const int segments = kLast / g;
        const auto triangle = [&](int c0, int r0, int c1, int r1, int c2, int r2)
        {
            border.map(c0, r0);
            border.map(c1, r1);
            border.map(c2, r2);
            if (border.swap)
                indices.insert(indices.end(), {vertex(c0, r0), vertex(c2, r2), vertex(c1, r1)});
            else
                indices.insert(indices.end(), {vertex(c0, r0), vertex(c1, r1), vertex(c2, r2)});
        };
        const int s = step;
        for (int i = 1; i < f; ++i)
            triangle(0, kLast, s, kLast - i * s, s, kLast - (i + 1) * s);
        triangle(0, kLast, s, kLast - g, 0, kLast - g);
        for (int i = 1; i < f; ++i)
            triangle(0, 0, s, (i + 1) * s, s, i * s);
        triangle(0, 0, 0, g, s, g);
        for (int j = 0; j <= segments - 3; ++j)
        {
            const int top = kLast - (j + 1) * g;
            for (int i = 0; i < f; ++i)
                triangle(0, top, s, kLast - ((j + 1) * f + i) * s, s, kLast - ((j + 1) * f + i + 1) * s);
            triangle(0, top, s, kLast - (j + 2) * g, 0, kLast - (j + 2) * g);
        }
    }
    return indices;
}

void kaTerrainQuad::UpdateLodEdges()
{
    m_EdgesDirty = false;
    kaMeshSubset* subset = GetSubset(uint32_t(m_Level));
    if (!subset)
        return;
    const std::vector<uint16_t> indices = StitchedIndices();
    // Never more than the plain border cells: the level's buffer holds them.
    if (indices.size() > subset->m_IndexCount ||
        !subset->WriteIndices(indices.data(), uint32_t(indices.size())))
        return;
    subset->m_PrimitiveCount = uint32_t(indices.size()) / 3;
}
