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
};

} // namespace platform
