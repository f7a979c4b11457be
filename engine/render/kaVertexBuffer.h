#pragma once

#include "engine/render/kaDeviceBuffer.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{
class GfxDevice;
class GfxVertexBuffer;
} // namespace platform

// A vertex buffer of one fixed-function format. The byte layout of a vertex is worked out from the
// format once, so that callers can write attributes one vertex at a time: attributes first, the position
// last, which completes the vertex and moves to the next.
class kaVertexBuffer : public kaDeviceBuffer<platform::GfxVertexBuffer>
{
public:
    static constexpr uint32_t kTexCoordSetSize = 8;

    // The layout of one vertex of a format; offsets of absent parts are 0.
    struct Layout
    {
        uint32_t stride = 0;
        uint32_t positionSize = 0;
        uint32_t normalOffset = 0;
        uint32_t diffuseOffset = 0;
        uint32_t specularOffset = 0;
        uint32_t texCoordOffset = 0;
        uint32_t texCoordBytes = 0;
    };
    static Layout ComputeLayout(uint32_t fvf);

    uint32_t GetStride() const override { return m_Layout.stride; }
    void* BeginWrite(uint32_t start, uint32_t count) override;
    void EndWrite() override { Unlock(); }

    // Dynamic buffers: the next lock starts a fresh buffer at 0.
    void Discard() { _DiscardOnNextLock(); }
    // Locks count vertices at the write position for writing; returns the first vertex of the run.
    uint32_t Append(uint32_t count);

    void WriteDiffuse(uint32_t color);
    void WriteTexCoord(float u, float v);
    // Completes the vertex: x, y, z for untransformed formats, and w as well for transformed ones.
    void WritePosition(float x, float y, float z, float w = 1.0f);

    uint32_t GetFVF() const { return m_Fvf; }
    const Layout& GetLayout() const { return m_Layout; }
    uint32_t GetVerticesWritten() const { return m_VerticesWritten; }
    const platform::VertexBufferDesc& GetDesc() const { return m_Desc; }

protected:
    kaVertexBuffer(platform::GfxDevice* device, uint32_t fvf, uint32_t capacity, uint32_t pool, bool dynamic);

private:
    void _StartWriting(void* data, uint32_t count);
    // The current vertex when another attribute of size bytes at offset fits inside the locked run.
    uint8_t* _Field(uint32_t offset, uint32_t size) const;

    uint32_t m_Fvf = 0;
    Layout m_Layout;
    platform::VertexBufferDesc m_Desc;

    uint8_t* m_pCursor = nullptr;
    uint8_t* m_pLockedBase = nullptr;
    uint8_t* m_pLockedEnd = nullptr;
    uint32_t m_CurrentSet = 0;
    uint32_t m_VerticesWritten = 0;
};
