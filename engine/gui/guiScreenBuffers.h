#pragma once

#include "engine/render/kaResourceHandle.h"

#include <cstdint>

// A pair of screen-space device runs, vertices of one format and 16-bit indices, made from the dynamic
// pool. Counts are kept while no run exists, so a resize before the device is there takes effect when
// the runs are made.
class guiScreenBuffers
{
public:
    static constexpr uint32_t kDynamicPool = 2;

    guiScreenBuffers(uint32_t vertexCount, uint32_t indexCount, uint32_t fvf);
    virtual ~guiScreenBuffers();
    guiScreenBuffers(const guiScreenBuffers&) = delete;
    guiScreenBuffers& operator=(const guiScreenBuffers&) = delete;

    void MakeBuffers();
    void ReleaseBuffers();
    void ResizeBuffers(uint32_t vertexCount, uint32_t indexCount);

    bool HasBuffers() const { return m_VertexBuffer != 0 && m_IndexBuffer != 0; }
    uint32_t GetVertexCount() const { return m_VertexCount; }
    uint32_t GetIndexCount() const { return m_IndexCount; }

    // Copies at most the runs' lengths; false without runs.
    bool WriteVertices(const void* vertices, uint32_t count, uint32_t stride);
    bool WriteIndices(const uint16_t* indices, uint32_t count);
    // One indexed triangle list from the start of the runs, within their lengths.
    void DrawTriangles(uint32_t vertexCount, uint32_t triangleCount) const;

private:
    kaResourceHandle m_VertexBuffer = 0;
    kaResourceHandle m_IndexBuffer = 0;
    uint32_t m_VertexCount;
    uint32_t m_IndexCount;
    uint32_t m_FVF;
};
