#pragma once

#include "engine/render/kaDeviceBuffer.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{
class GfxDevice;
class GfxIndexBuffer;
} // namespace platform

// A buffer of 16-bit indices, locked by the same policy as the vertex buffers.
class kaIndexBuffer : public kaDeviceBuffer<platform::GfxIndexBuffer>
{
public:
    static constexpr uint32_t kIndexSize = 2;

    uint32_t GetStride() const override { return kIndexSize; }
    void* BeginWrite(uint32_t start, uint32_t count) override;
    void EndWrite() override { Unlock(); }

    void WriteIndex(uint16_t index);

    uint32_t GetIndicesWritten() const { return m_IndicesWritten; }
    const platform::IndexBufferDesc& GetDesc() const { return m_Desc; }

protected:
    kaIndexBuffer(platform::GfxDevice* device, uint32_t capacity, uint32_t pool, bool dynamic);

private:
    uint16_t* m_pCursor = nullptr;
    uint16_t* m_pLockedBase = nullptr;
    uint16_t* m_pLockedEnd = nullptr;
    uint32_t m_IndicesWritten = 0;
    platform::IndexBufferDesc m_Desc;
};
