#include "engine/gui/guiScreenBuffers.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"

#include <algorithm>
#include <cstring>

guiScreenBuffers::guiScreenBuffers(uint32_t vertexCount, uint32_t indexCount, uint32_t fvf)
    : m_VertexCount(vertexCount), m_IndexCount(indexCount), m_FVF(fvf)
{
}

guiScreenBuffers::~guiScreenBuffers()
{
    ReleaseBuffers();
}

void guiScreenBuffers::MakeBuffers()
{
    ReleaseBuffers();
    if (g_pGraphicsManager == nullptr || m_VertexCount == 0 || m_IndexCount == 0)
        return;
    kaResourceHandle vertices = 0;
    kaResourceHandle indices = 0;
    m_VertexBuffer = g_pGraphicsManager->CreateVertexBuffer(vertices, m_VertexCount, m_FVF, kDynamicPool);
    m_IndexBuffer = g_pGraphicsManager->CreateIndexBuffer(indices, m_IndexCount, kDynamicPool);
}

void guiScreenBuffers::ReleaseBuffers()
{
    if (g_pGraphicsManager != nullptr)
    {
        if (m_VertexBuffer != 0)
            g_pGraphicsManager->ReleaseVertexBuffer(m_VertexBuffer);
        if (m_IndexBuffer != 0)
            g_pGraphicsManager->ReleaseIndexBuffer(m_IndexBuffer);
    }
    m_VertexBuffer = 0;
    m_IndexBuffer = 0;
}

void guiScreenBuffers::ResizeBuffers(uint32_t vertexCount, uint32_t indexCount)
{
    m_VertexCount = vertexCount;
    m_IndexCount = indexCount;
    if (m_VertexBuffer != 0 || m_IndexBuffer != 0)
        MakeBuffers();
}

bool guiScreenBuffers::WriteVertices(const void* vertices, uint32_t count, uint32_t stride)
{
    if (g_pGraphicsManager == nullptr || m_VertexBuffer == 0)
        return false;
    void* run = g_pGraphicsManager->LockVertexBuffer(m_VertexBuffer);
    if (run == nullptr)
        return false;
    const uint32_t written = std::min(count, m_VertexCount);
    std::memcpy(run, vertices, static_cast<std::size_t>(written) * stride);
    g_pGraphicsManager->UnlockVertexBuffer(m_VertexBuffer);
    return true;
}

bool guiScreenBuffers::WriteIndices(const uint16_t* indices, uint32_t count)
{
    if (g_pGraphicsManager == nullptr || m_IndexBuffer == 0)
        return false;
    void* run = g_pGraphicsManager->LockIndexBuffer(m_IndexBuffer);
    if (run == nullptr)
        return false;
    const uint32_t written = std::min(count, m_IndexCount);
    std::memcpy(run, indices, static_cast<std::size_t>(written) * sizeof(uint16_t));
    g_pGraphicsManager->UnlockIndexBuffer(m_IndexBuffer);
    return true;
}

void guiScreenBuffers::DrawTriangles(uint32_t vertexCount, uint32_t triangleCount) const
{
    kaGraphicsManager* manager = g_pGraphicsManager;
    if (manager == nullptr || !HasBuffers() || triangleCount == 0)
        return;
    platform::GfxDevice* device = manager->GetDevice();
    kaVertexBuffer* vertices = manager->GetVertexBuffer(m_VertexBuffer);
    kaIndexBuffer* indices = manager->GetIndexBuffer(m_IndexBuffer);
    if (device == nullptr || vertices == nullptr || indices == nullptr)
        return;
    vertexCount = std::min(vertexCount, m_VertexCount);
    triangleCount = std::min(triangleCount, m_IndexCount / 3);
    device->SetIndices(indices->GetD3DBuffer());
    device->SetStreamSource(0, vertices->GetD3DBuffer(), 0, vertices->GetStride());
    device->SetVertexShader(nullptr);
    manager->SetFVF(m_FVF);
    device->DrawIndexedPrimitive(platform::PT_TRIANGLELIST,
                                 static_cast<int32_t>(manager->GetVertexBufferStart(m_VertexBuffer)), 0,
                                 vertexCount, manager->GetIndexBufferStart(m_IndexBuffer), triangleCount);
    manager->AddTriangleCount(triangleCount);
}
