// Draws handed over during the frame: the sorted-draw list, drawn record by record after the roots, and the
// transparent subsets, drawn last and sorted per triangle.
#include "engine/render/kaGraphicsManager.h"

#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cstring>
#include <tuple>

using namespace platform;

// One triangle of a queued subset, with its farthest view-space depth.
struct kaGraphicsManager::SortedTriangle
{
    uint16_t indices[3];
    float depth;
    uint32_t record;
};

void kaGraphicsManager::QueueSortedDraw(const kaDrawRecord& record, const Matrix& world)
{
    m_SortedDraws.emplace_back(record, world);
}

void kaGraphicsManager::DrawSortedDraws()
{
    if (!m_pDevice)
    {
        m_SortedDraws.clear();
        return;
    }
    // Any order that keeps the draws of one record together: by block, then buffers, then the run.
    auto key = [](const kaDrawRecord& r)
    {
        return std::make_tuple(r.renderState, r.vertexBuffer, r.indexBuffer, r.minIndex, r.vertexCount,
                               r.primitiveCount);
    };
    std::stable_sort(m_SortedDraws.begin(), m_SortedDraws.end(),
                     [&key](const auto& a, const auto& b) { return key(a.first) < key(b.first); });
    for (const auto& [record, world] : m_SortedDraws)
    {
        kaVertexBuffer* vertices = GetVertexBuffer(record.vertexBuffer);
        kaIndexBuffer* indices = GetIndexBuffer(record.indexBuffer);
        if (!vertices || !indices || !record.renderState || record.primitiveCount == 0)
            continue;
        m_pDevice->SetTransform(TS_WORLD, &world);
        if (!record.renderState->Apply(m_pDevice, 0))
            continue;
        SetFVF(vertices->GetFVF());
        m_pDevice->SetStreamSource(0, vertices->GetD3DBuffer(), 0, vertices->GetStride());
        m_pDevice->SetIndices(indices->GetD3DBuffer());
        m_pDevice->DrawIndexedPrimitive(
            PT_TRIANGLELIST, static_cast<int32_t>(GetVertexBufferStart(record.vertexBuffer)), record.minIndex,
            record.vertexCount, GetIndexBufferStart(record.indexBuffer), record.primitiveCount);
        m_TriangleCounts[0] += record.primitiveCount;
    }
    m_SortedDraws.clear();
    m_SortedDraws.shrink_to_fit();
}

void kaGraphicsManager::QueueMeshDraw(const Matrix& world, const kaDrawRecord& subset, bool strip,
                                      int32_t drawOrder)
{
    kaQueuedMeshDraw draw;
    draw.world = world;
    draw.vertexBuffer = GetVertexBuffer(subset.vertexBuffer);
    draw.indexBuffer = GetIndexBuffer(subset.indexBuffer);
    if (!draw.vertexBuffer || !draw.indexBuffer || !subset.renderState)
    {
        DebugPrintf(
            "[kaGraphicsManager::QueueMeshDraw] : subset without buffers or render state not queued\n");
        return;
    }
    draw.triangleCount = subset.primitiveCount;
    draw.vertexCount = subset.vertexCount;
    draw.minIndex = subset.minIndex;
    draw.indexStart = GetIndexBufferStart(subset.indexBuffer);
    draw.vertexStart = GetVertexBufferStart(subset.vertexBuffer);
    draw.renderState = subset.renderState;
    draw.frame = subset.renderState->m_Frame;
    draw.strip = strip;
    draw.drawOrder = drawOrder;
    m_QueuedMeshDraws.push_back(draw);
}

void kaGraphicsManager::_CollectTriangles(const kaQueuedMeshDraw& draw, uint32_t record, const Matrix& view,
                                          std::vector<SortedTriangle>& triangles)
{
    if (draw.triangleCount == 0)
        return;
    kaIndexBuffer* indexBuffer = draw.indexBuffer;
    kaVertexBuffer* vertexBuffer = draw.vertexBuffer;
    const uint64_t indexCount = draw.strip ? static_cast<uint64_t>(draw.triangleCount) + 2
                                           : static_cast<uint64_t>(draw.triangleCount) * 3;
    const uint64_t vertexEnd = static_cast<uint64_t>(draw.minIndex) + draw.vertexCount;
    if (draw.indexStart + indexCount > indexBuffer->GetCapacity() ||
        draw.vertexStart + vertexEnd > vertexBuffer->GetCapacity() || vertexEnd == 0)
    {
        DebugPrintf("[kaGraphicsManager::DrawQueuedMeshes] : subset runs past its buffers; not drawn\n");
        return;
    }

    indexBuffer->Seek(draw.indexStart);
    uint32_t lockedIndices = static_cast<uint32_t>(indexCount);
    uint32_t start = 0;
    const auto* indices =
        static_cast<const uint16_t*>(indexBuffer->Lock(lockedIndices, start, LOCK_READONLY));
    vertexBuffer->Seek(draw.vertexStart);
    uint32_t lockedVertices = static_cast<uint32_t>(vertexEnd);
    const auto* vertices =
        static_cast<const uint8_t*>(vertexBuffer->Lock(lockedVertices, start, LOCK_READONLY));
    const uint32_t stride = vertexBuffer->GetStride();

    if (indices && vertices && lockedIndices == indexCount && lockedVertices == vertexEnd)
    {
        const Matrix toView = draw.world * view;
        for (uint32_t t = 0; t < draw.triangleCount; ++t)
        {
            SortedTriangle triangle;
            if (draw.strip)
            {
                // Every other triangle of a strip runs the other way round; drawn as a list it is turned
                // back.
                const bool odd = (t & 1) != 0;
                triangle.indices[0] = indices[odd ? t + 1 : t];
                triangle.indices[1] = indices[odd ? t : t + 1];
                triangle.indices[2] = indices[t + 2];
            }
            else
            {
                std::memcpy(triangle.indices, indices + 3 * static_cast<size_t>(t), sizeof(triangle.indices));
            }

            bool inside = true;
            float depth = 0.0f;
            for (int corner = 0; corner < 3 && inside; ++corner)
            {
                const uint16_t index = triangle.indices[corner];
                if (index < draw.minIndex || index >= vertexEnd)
                {
                    inside = false;
                    break;
                }
                Vector3 position;
                std::memcpy(&position, vertices + static_cast<size_t>(index) * stride, sizeof(float) * 3);
                Vector3 viewPosition;
                Vec3TransformCoord(&viewPosition, &position, &toView);
                depth = corner == 0 ? viewPosition.z : std::max(depth, viewPosition.z);
            }
            if (!inside)
                continue;
            triangle.depth = depth;
            triangle.record = record;
            triangles.push_back(triangle);
        }
    }
    indexBuffer->Unlock();
    vertexBuffer->Unlock();
}

void kaGraphicsManager::_DrawMeshRun(const kaQueuedMeshDraw& draw, uint32_t indexCount)
{
    kaIndexBuffer* stream = m_DynamicIB[1].get();
    if (indexCount == 0 || !draw.renderState->Apply(m_pDevice, 0))
        return;
    m_pDevice->SetTransform(TS_WORLD, &draw.world);
    SetFVF(draw.vertexBuffer->GetFVF());
    m_pDevice->SetStreamSource(0, draw.vertexBuffer->GetD3DBuffer(), 0, draw.vertexBuffer->GetStride());
    m_pDevice->SetIndices(stream->GetD3DBuffer());
    m_pDevice->DrawIndexedPrimitive(PT_TRIANGLELIST, static_cast<int32_t>(draw.vertexStart), draw.minIndex,
                                    draw.vertexCount, 0, indexCount / 3);
    m_TriangleCounts[0] += indexCount / 3;
}

void kaGraphicsManager::DrawQueuedMeshes()
{
    kaIndexBuffer* stream = m_DynamicIB[1].get();
    if (!m_pDevice || !stream || m_QueuedMeshDraws.empty())
    {
        m_QueuedMeshDraws.clear();
        return;
    }

    Matrix view;
    m_pDevice->GetTransform(TS_VIEW, &view);
    std::vector<SortedTriangle> triangles;
    for (uint32_t i = 0; i < m_QueuedMeshDraws.size(); ++i)
        _CollectTriangles(m_QueuedMeshDraws[i], i, view, triangles);

    // Lower draw orders first; within one order the farthest triangles first, whichever subset they are of.
    std::stable_sort(triangles.begin(), triangles.end(),
                     [this](const SortedTriangle& a, const SortedTriangle& b)
                     {
                         const int32_t keyA = m_QueuedMeshDraws[a.record].drawOrder;
                         const int32_t keyB = m_QueuedMeshDraws[b.record].drawOrder;
                         if (keyA != keyB)
                             return keyA < keyB;
                         return a.depth > b.depth;
                     });

    const uint32_t capacity = stream->GetCapacity();
    const kaQueuedMeshDraw* current = nullptr;
    uint16_t* run = nullptr;
    uint32_t count = 0;
    for (const SortedTriangle& triangle : triangles)
    {
        const kaQueuedMeshDraw* draw = &m_QueuedMeshDraws[triangle.record];
        if (draw != current || !run || count + 3 >= capacity)
        {
            if (current)
            {
                stream->Unlock();
                _DrawMeshRun(*current, count);
            }
            uint32_t locked = capacity;
            uint32_t start = 0;
            run = static_cast<uint16_t*>(stream->Lock(locked, start, 0));
            if (run && locked < capacity)
                run = nullptr;
            current = draw;
            count = 0;
        }
        if (run)
        {
            std::memcpy(run + count, triangle.indices, sizeof(triangle.indices));
            count += 3;
        }
    }
    if (current)
    {
        stream->Unlock();
        if (count > 0)
        {
            current->renderState->m_Frame = current->frame;
            _DrawMeshRun(*current, count);
        }
    }
    m_QueuedMeshDraws.clear();
}
