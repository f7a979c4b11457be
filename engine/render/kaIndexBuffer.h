#pragma once

#include "engine/render/kaBuffer.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{
class GfxDevice;
class GfxIndexBuffer;
} // namespace platform

// A buffer of 16-bit indices, with the same lock policies as the vertex buffers: static buffers lock
// where they were sought to, dynamic ones append and discard when a run no longer fits.
class kaIndexBuffer : public kaBuffer
{
public:
    static constexpr uint32_t kIndexSize = 2;

    ~kaIndexBuffer() override;

    uint32_t GetStride() const override { return kIndexSize; }
    void* Lock(uint32_t& count, uint32_t& start, uint32_t flags) override;
    void Unlock() override;
    void Seek(uint32_t position) override { m_WritePosition = position; }
    void* BeginWrite(uint32_t start, uint32_t count) override;
    void EndWrite() override { Unlock(); }

    platform::GfxIndexBuffer* GetD3DBuffer() const { return m_pBuffer; }
    void* GetLockedData() const { return m_pLockedData; }
    void WriteIndex(uint16_t index);

    bool IsDynamic() const { return m_Dynamic; }
    bool IsLocked() const { return m_Locked; }
    uint32_t GetWritePosition() const { return m_WritePosition; }
    uint32_t GetIndicesWritten() const { return m_IndicesWritten; }
    const platform::IndexBufferDesc& GetDesc() const { return m_Desc; }

protected:
    kaIndexBuffer(platform::GfxDevice* device, uint32_t capacity, uint32_t pool, bool dynamic);

private:
    bool m_Dynamic = false;
    uint16_t* m_pCursor = nullptr;
    uint16_t* m_pLockedBase = nullptr;
    uint16_t* m_pLockedEnd = nullptr;
    uint32_t m_IndicesWritten = 0;
    platform::GfxIndexBuffer* m_pBuffer = nullptr;
    uint32_t m_WritePosition = 0;
    bool m_Locked = false;
    bool m_DiscardPending = false;
    platform::IndexBufferDesc m_Desc;
    void* m_pLockedData = nullptr;
};
