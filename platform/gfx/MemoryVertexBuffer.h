#pragma once

#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/MemoryBuffer.h"

namespace platform
{

// A vertex buffer kept in CPU memory; always readable, write-only ones too.
class MemoryVertexBuffer : public MemoryBuffer<GfxVertexBuffer, VertexBufferDesc>
{
public:
    MemoryVertexBuffer(StateDevice* device, const VertexBufferDesc& desc)
        : MemoryBuffer(device, desc, "VertexBuffer::Lock", "VertexBuffer::Unlock")
    {
    }

    uint32_t GetType() const override { return RTYPE_VERTEXBUFFER; }
};

} // namespace platform
