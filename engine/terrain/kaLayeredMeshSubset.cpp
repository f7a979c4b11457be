#include "engine/terrain/kaLayeredMeshSubset.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaRenderState.h"

#include "platform/gfx/GfxTypes.h"

kaLayeredMeshSubset::kaLayeredMeshSubset()
{
    m_BuildVertices.reserve(kReservedVertices);
    m_BuildGridPoints.reserve(kReservedVertices);
    m_BuildIndices.reserve(kReservedIndices);
}

kaLayeredMeshSubset::~kaLayeredMeshSubset() = default;

int32_t kaLayeredMeshSubset::FindRecent(int32_t gridPoint, uint32_t window) const
{
    const size_t count = m_BuildGridPoints.size();
    for (size_t back = 1; back <= window && back <= count; ++back)
        if (m_BuildGridPoints[count - back] == gridPoint)
            return int32_t(count - back);
    return -1;
}

uint32_t kaLayeredMeshSubset::AddVertex(const Vertex& vertex, int32_t gridPoint)
{
    m_BuildVertices.push_back(vertex);
    m_BuildGridPoints.push_back(gridPoint);
    return uint32_t(m_BuildVertices.size() - 1);
}

void kaLayeredMeshSubset::AddTriangle(uint32_t a, uint32_t b, uint32_t c)
{
    m_BuildIndices.push_back(uint16_t(a));
    m_BuildIndices.push_back(uint16_t(b));
    m_BuildIndices.push_back(uint16_t(c));
    ++m_BuildTriangles;
}

bool kaLayeredMeshSubset::CreateBuffers()
{
    if (m_BuildVertices.empty() || !g_pGraphicsManager)
        return false;
    const uint32_t vertices = uint32_t(m_BuildVertices.size());
    const uint32_t indices = uint32_t(m_BuildIndices.size());
    kaGraphicsManager& manager = *g_pGraphicsManager;
    manager.CreateVertexBuffer(m_VertexBuffer, vertices, kFVF, platform::POOL_MANAGED);
    manager.CreateVertexBuffer(m_SysVertexBuffer, vertices, kFVF, platform::POOL_SYSTEMMEM);
    manager.CreateIndexBuffer(m_IndexBuffer, indices, platform::POOL_MANAGED);
    manager.CreateIndexBuffer(m_SysIndexBuffer, indices, platform::POOL_SYSTEMMEM);
    m_FirstVertex = 0;
    m_VertexCount = vertices;
    m_IndexCount = indices;
    m_PrimitiveCount = m_BuildTriangles;
    const bool written = WriteVertices(m_BuildVertices.data(), vertices * uint32_t(sizeof(Vertex))) &&
                         WriteIndices(m_BuildIndices.data(), indices);
    if (m_pRenderState)
        m_pRenderState->m_AlphaBlend = true;
    std::vector<Vertex>().swap(m_BuildVertices);
    std::vector<int32_t>().swap(m_BuildGridPoints);
    std::vector<uint16_t>().swap(m_BuildIndices);
    if (!written)
        m_PrimitiveCount = 0;
    return written;
}
