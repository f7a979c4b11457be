// What hides kaTerrain's borders: the flat edge panels of the single-layer terrain and the layered
// terrain's apron of ever coarser rings.
#include "engine/model/kaMesh.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTextureStage.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainLayer.h"

#include "platform/gfx/GfxTypes.h"

#include <algorithm>
#include <cmath>

using platform::Vector3;

namespace
{

struct PanelVertex
{
    Vector3 position;
    Vector3 normal;
    float u0, v0;
    float u1, v1;
};
static_assert(sizeof(PanelVertex) == 40, "the edge panel vertex format");

struct ApronVertex
{
    Vector3 position;
    Vector3 normal;
    float u, v;
};
static_assert(sizeof(ApronVertex) == 32, "the apron vertex format");

// The panel texture repeats once over the ground that this many pixels of the base image cover.
constexpr float kPanelTexels = 256.0f;
// The detail texture repeats every so many cells, as on the ground.
constexpr float kDetailCells = 12.0f;

// Appends the triangle facing up as the terrain's own do (clockwise seen from above); a triangle without
// area adds nothing.
void AddUpTriangle(std::vector<uint16_t>& indices, const std::vector<ApronVertex>& vertices, uint16_t a,
                   uint16_t b, uint16_t c)
{
    const Vector3 e1 = vertices[b].position - vertices[a].position;
    const Vector3 e2 = vertices[c].position - vertices[a].position;
    const float turn = e1.x * e2.z - e1.z * e2.x;
    if (turn == 0.0f)
        return;
    if (turn < 0.0f)
        indices.insert(indices.end(), {a, b, c});
    else
        indices.insert(indices.end(), {a, c, b});
}

// One subset with its own buffers holding exactly these vertices and indices.
kaCountedPtr<kaMeshSubset> MakeApronSubset(const std::vector<ApronVertex>& vertices,
                                           const std::vector<uint16_t>& indices)
{
    kaCountedPtr<kaMeshSubset> subset(new kaMeshSubset);
    kaGraphicsManager& manager = *g_pGraphicsManager;
    const uint32_t vertexCount = uint32_t(vertices.size());
    const uint32_t indexCount = uint32_t(indices.size());
    manager.CreateVertexBuffer(subset->m_VertexBuffer, vertexCount, kaTerrain::kApronFVF,
                               platform::POOL_MANAGED);
    manager.CreateVertexBuffer(subset->m_SysVertexBuffer, vertexCount, kaTerrain::kApronFVF,
                               platform::POOL_SYSTEMMEM);
    manager.CreateIndexBuffer(subset->m_IndexBuffer, indexCount, platform::POOL_MANAGED);
    manager.CreateIndexBuffer(subset->m_SysIndexBuffer, indexCount, platform::POOL_SYSTEMMEM);
    subset->m_VertexCount = vertexCount;
    subset->m_IndexCount = indexCount;
    const bool written =
        subset->WriteVertices(vertices.data(), vertexCount * uint32_t(sizeof(ApronVertex))) &&
        subset->WriteIndices(indices.data(), indexCount);
    subset->m_PrimitiveCount = written ? indexCount / 3 : 0;
    return subset;
}

} // namespace

void kaTerrain::BuildEdgePanels(const std::string& texturePath)
{
    m_EdgePanelPath = texturePath;
    if (!g_pGraphicsManager)
        return;
    auto mesh = std::make_unique<kaMesh>(kPanelFVF, 8, 8, 1, false);
    kaMeshSubset* subset = mesh->GetSubset(0);
    if (!subset)
        return;
    const float w = m_Width, l = m_Length, r = kPanelReach;
    const float xs[8] = {0.0f, w, 0.0f, w, -r, w + r, -r, w + r};
    const float zs[8] = {l, l, 0.0f, 0.0f, l + r, l + r, -r, -r};
    // One repeat spans the ground that a panel texture's worth of base-image pixels would cover there.
    const float baseWidth = m_BaseImageWidth > 0.0f ? m_BaseImageWidth : kUnknownBaseWidth;
    float repeat = m_Width * kPanelTexels / baseWidth;
    if (!(repeat > 0.0f) || !std::isfinite(repeat))
        repeat = 1.0f;
    const float detail = m_CellSize > 0.0f ? repeat / (kDetailCells * m_CellSize) : 1.0f;
    PanelVertex vertices[8];
    for (int i = 0; i < 8; ++i)
    {
        PanelVertex& vertex = vertices[i];
        vertex.position = Vector3(xs[i], m_EdgeBaseHeight, zs[i]);
        vertex.normal = Vector3(0.0f, 1.0f, 0.0f);
        vertex.u0 = xs[i] / repeat;
        vertex.v0 = zs[i] / repeat;
        vertex.u1 = vertex.u0 * detail;
        vertex.v1 = vertex.v0 * detail;
    }
    // Far side, right, near side, left: each border's inner edge to the frame's outer one.
    const uint16_t indices[24] = {0, 4, 5, 0, 5, 1, 1, 5, 7, 1, 7, 3, 3, 7, 6, 3, 6, 2, 2, 6, 4, 2, 4, 0};
    mesh->SetVertices(vertices, 0);
    mesh->SetIndices(indices, 0);
    if (kaRenderState* state = subset->GetRenderState())
    {
        state->AddTextureFromFile(texturePath, false, 0, kaTextureStage::kModulate, 0, false, false, 0);
        state->AddTextureFromFile(m_DetailTexturePath, false, 0, kaTextureStage::kModulate, 1, false, false,
                                  0);
        state->m_Lighting = true;
    }
    mesh->SetRenderOrder(kPanelRenderOrder);
    mesh->ComputeBounds();
    m_pEdgeMesh = std::move(mesh);
}

void kaTerrain::BuildLayeredEdgeApron()
{
    if (m_Layers.empty() || m_Positions.empty() || m_Columns < 2 || m_Rows < 2 || !g_pGraphicsManager)
        return;
    m_pEdgeMesh.reset();
    // Every border gets the same rings, so that the corner pieces meet them; none has fewer than 2 vertices.
    int32_t rings = 0;
    for (int32_t count = std::min(m_Columns, m_Rows); rings < kApronRings && (count - 1) / 2 + 1 >= 2;
         count = (count - 1) / 2 + 1)
        ++rings;
    if (rings == 0)
        return;
    // Ring 0 continues the first layer's own coordinates exactly.
    const float inverse = m_Layers.front()->GetInverseStretch() / m_CellSize;
    // Ring k lies 2 (2^k - 1) cells out; its texture repeat is 2^k times the layer's.
    const auto offsetOf = [this](int32_t ring) { return 2.0f * m_CellSize * float((1 << ring) - 1); };
    const auto vertexAt = [&](const Vector3& position, const Vector3& normal, int32_t ring)
    {
        const float scale = inverse / float(1 << ring);
        return ApronVertex{position, normal, position.x * scale, position.z * scale};
    };

    auto mesh = std::make_unique<kaMesh>(kApronFVF, 0, 0, 0, false);
    struct Border
    {
        int32_t firstCol, firstRow, stepCol, stepRow, count;
        Vector3 outward;
    };
    const Border borders[4] = {
        {0, 0, 0, 1, m_Rows, Vector3(-1.0f, 0.0f, 0.0f)},
        {m_Columns - 1, 0, 0, 1, m_Rows, Vector3(1.0f, 0.0f, 0.0f)},
        {0, 0, 1, 0, m_Columns, Vector3(0.0f, 0.0f, -1.0f)},
        {0, m_Rows - 1, 1, 0, m_Columns, Vector3(0.0f, 0.0f, 1.0f)},
    };
    for (const Border& border : borders)
    {
        std::vector<ApronVertex> vertices;
        std::vector<uint16_t> indices;
        // Where along the border each vertex of the previous and the current ring lies.
        std::vector<float> alongPrevious;
        std::vector<uint16_t> previous;
        for (int32_t i = 0; i < border.count; ++i)
        {
            const int32_t col = border.firstCol + border.stepCol * i;
            const int32_t row = border.firstRow + border.stepRow * i;
            previous.push_back(uint16_t(vertices.size()));
            alongPrevious.push_back(float(i));
            vertices.push_back(vertexAt(m_Positions[size_t(row) * size_t(m_Columns) + size_t(col)],
                                        GetVertexNormal(col, row), 0));
        }
        for (int32_t ring = 1; ring <= rings; ++ring)
        {
            const size_t before = previous.size();
            const size_t count = (before - 1) / 2 + 1;
            const float distance = offsetOf(ring) - offsetOf(ring - 1);
            std::vector<uint16_t> current;
            std::vector<float> along;
            for (size_t i = 0; i < count; ++i)
            {
                // Every second vertex; the last one stays the border's end, so the ring spans it whole.
                const size_t from = i + 1 == count ? before - 1 : 2 * i;
                const ApronVertex& source = vertices[previous[from]];
                current.push_back(uint16_t(vertices.size()));
                along.push_back(alongPrevious[from]);
                vertices.push_back(
                    vertexAt(source.position + border.outward * distance, source.normal, ring));
            }
            // Zip the two rings together, always stepping the one whose next vertex comes first.
            size_t i = 0, j = 0;
            while (i + 1 < before || j + 1 < count)
            {
                const bool stepInner =
                    j + 1 >= count || (i + 1 < before && alongPrevious[i + 1] <= along[j + 1]);
                if (stepInner)
                {
                    AddUpTriangle(indices, vertices, previous[i], current[j], previous[i + 1]);
                    ++i;
                }
                else
                {
                    AddUpTriangle(indices, vertices, previous[i], current[j], current[j + 1]);
                    ++j;
                }
            }
            previous = std::move(current);
            alongPrevious = std::move(along);
        }
        mesh->AddSubset(MakeApronSubset(vertices, indices));
    }

    // The corners: between two borders' rings, a square ring per apron ring at the corner sample's height.
    const int32_t cornerCols[4] = {0, m_Columns - 1, 0, m_Columns - 1};
    const int32_t cornerRows[4] = {0, 0, m_Rows - 1, m_Rows - 1};
    for (int corner = 0; corner < 4; ++corner)
    {
        const int32_t col = cornerCols[corner], row = cornerRows[corner];
        const Vector3 acrossX(col == 0 ? -1.0f : 1.0f, 0.0f, 0.0f);
        const Vector3 acrossZ(0.0f, 0.0f, row == 0 ? -1.0f : 1.0f);
        const Vector3 sample = m_Positions[size_t(row) * size_t(m_Columns) + size_t(col)];
        const Vector3 normal = GetVertexNormal(col, row);
        std::vector<ApronVertex> vertices{vertexAt(sample, normal, 0)};
        std::vector<uint16_t> indices;
        // Ring k: beside the X border, the diagonal corner, beside the Z border.
        uint16_t inner[3] = {0, 0, 0};
        for (int32_t ring = 1; ring <= rings; ++ring)
        {
            const float out = offsetOf(ring);
            const uint16_t first = uint16_t(vertices.size());
            vertices.push_back(vertexAt(sample + acrossX * out, normal, ring));
            vertices.push_back(vertexAt(sample + (acrossX + acrossZ) * out, normal, ring));
            vertices.push_back(vertexAt(sample + acrossZ * out, normal, ring));
            const uint16_t outer[3] = {first, uint16_t(first + 1), uint16_t(first + 2)};
            for (int side = 0; side < 2; ++side)
            {
                AddUpTriangle(indices, vertices, inner[side], outer[side], outer[side + 1]);
                AddUpTriangle(indices, vertices, inner[side], outer[side + 1], inner[side + 1]);
            }
            std::copy(outer, outer + 3, inner);
        }
        mesh->AddSubset(MakeApronSubset(vertices, indices));
    }

    const std::string& texture = m_Layers.front()->GetTexturePath();
    for (uint32_t i = 0; i < mesh->GetSubsetCount(); ++i)
        if (kaRenderState* state = mesh->GetSubset(i)->GetRenderState())
        {
            state->AddTextureFromFile(texture, false, 0, kaTextureStage::kModulate, 0, false, false, 0);
            state->m_Lighting = true;
        }
    mesh->ComputeBounds();
    m_pEdgeMesh = std::move(mesh);
}
