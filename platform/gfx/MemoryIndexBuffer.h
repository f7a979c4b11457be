#pragma once

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/MemoryBuffer.h"

namespace platform
{

// An index buffer kept in CPU memory; always readable, write-only ones too.
class MemoryIndexBuffer : public MemoryBuffer<GfxIndexBuffer, IndexBufferDesc>
{
public:
    MemoryIndexBuffer(StateDevice* device, const IndexBufferDesc& desc)
        : MemoryBuffer(device, desc, "IndexBuffer::Lock", "IndexBuffer::Unlock")
    {
    }

    uint32_t GetType() const override { return RTYPE_INDEXBUFFER; }

    // The largest index of the whole buffer, read again only after a write.
    uint32_t LargestIndex();
    // The largest of `count` indices from `first` (which must lie inside); the last range asked for is
    // remembered until the next write.
    uint32_t LargestIndex(uint32_t first, uint32_t count);

private:
    struct Cached
    {
        bool valid = false;
        uint32_t writes = 0;
        uint32_t first = 0;
        uint32_t count = 0;
        uint32_t largest = 0;
    };

    uint32_t Scan(uint32_t first, uint32_t count) const;

    Cached m_Whole;
    Cached m_Range;
};

} // namespace platform
