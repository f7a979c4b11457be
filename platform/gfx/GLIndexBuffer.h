#pragma once

#include "platform/gfx/GLBuffer.h"
#include "platform/gfx/MemoryIndexBuffer.h"

namespace platform
{

// The CPU copy plus a GL element buffer.
class GLIndexBuffer : public GLBuffer<MemoryIndexBuffer, IndexBufferDesc, GL_ELEMENT_ARRAY_BUFFER>
{
public:
    using GLBuffer::GLBuffer;
};

} // namespace platform
