#include "engine/terrain/kaLayeredTerrainQuad.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"

#include <cstring>

kaLayeredTerrainQuad::kaLayeredTerrainQuad() = default;

kaLayeredTerrainQuad::~kaLayeredTerrainQuad() = default;

void kaLayeredTerrainQuad::CreateLayerSubsets(int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        AddSubset(kaCountedPtr<kaMeshSubset>(new kaLayeredMeshSubset));
}

void kaLayeredTerrainQuad::AllocateGridPoints(int32_t cellsAcross, int32_t cellsDown)
{
    m_GridPoints.assign(size_t(cellsAcross + 1) * size_t(cellsDown + 1), GridPointRecord());
}

kaLayeredMeshSubset* kaLayeredTerrainQuad::GetLayerSubset(int32_t layer) const
{
    return layer < 0 ? nullptr : dynamic_cast<kaLayeredMeshSubset*>(GetSubset(uint32_t(layer)));
}

void kaLayeredTerrainQuad::AddLayerTriangleA(int32_t layer, const Corner (&corners)[3])
{
    _AddTriangle(layer, corners, {kWideWindow, kNarrowWindow, kWideWindow});
}

void kaLayeredTerrainQuad::AddLayerTriangleB(int32_t layer, const Corner (&corners)[3])
{
    _AddTriangle(layer, corners, {kNarrowWindow, 0, kWideWindow});
}

void kaLayeredTerrainQuad::_AddTriangle(int32_t layer, const Corner (&corners)[3],
                                        const uint32_t (&windows)[3])
{
    kaLayeredMeshSubset* subset = GetLayerSubset(layer);
    if (!subset)
        return;
    uint32_t indices[3];
    for (int i = 0; i < 3; ++i)
    {
        const int32_t found = subset->FindRecent(corners[i].gridPoint, windows[i]);
        if (found >= 0)
        {
            indices[i] = uint32_t(found);
            continue;
        }
        indices[i] = subset->AddVertex(corners[i].vertex, corners[i].gridPoint);
        if (corners[i].gridPoint >= 0 && size_t(corners[i].gridPoint) < m_GridPoints.size())
            m_GridPoints[size_t(corners[i].gridPoint)].emplace_back(layer, int32_t(indices[i]));
    }
    subset->AddTriangle(indices[0], indices[1], indices[2]);
}

void kaLayeredTerrainQuad::CreateLayerBuffers()
{
    for (uint32_t i = 0; i < GetSubsetCount(); ++i)
        if (kaLayeredMeshSubset* subset = GetLayerSubset(int32_t(i)))
            if (subset->GetBuildVertexCount() > 0)
                subset->CreateBuffers();
}

void kaLayeredTerrainQuad::SetLayerTexture(int32_t layer, const std::string& texturePath)
{
    kaLayeredMeshSubset* subset = GetLayerSubset(layer);
    kaRenderState* state = subset ? subset->GetRenderState() : nullptr;
    if (!state)
        return;
    if (!state->GetStages().empty())
        state->SetTextureFromFile(texturePath);
    else
        state->AddTextureFromFile(texturePath, false, 0, 0, 0, false, false, 0);
}

void kaLayeredTerrainQuad::RewriteLayerTexCoords(int32_t layer, float scale)
{
    kaLayeredMeshSubset* subset = GetLayerSubset(layer);
    if (!subset || subset->m_VertexCount == 0 || !g_pGraphicsManager)
        return;
    kaGraphicsManager& manager = *g_pGraphicsManager;
    std::vector<Vertex> vertices(subset->m_VertexCount);
    const void* read = manager.LockVertexBuffer(subset->m_SysVertexBuffer);
    if (!read)
        return;
    std::memcpy(vertices.data(), read, vertices.size() * sizeof(Vertex));
    manager.UnlockVertexBuffer(subset->m_SysVertexBuffer);
    for (Vertex& vertex : vertices)
    {
        vertex.u = vertex.position.x * scale;
        vertex.v = vertex.position.z * scale;
    }
    subset->WriteVertices(vertices.data(), uint32_t(vertices.size() * sizeof(Vertex)));
}
