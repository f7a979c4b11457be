#pragma once

#include "platform/gfx/GLBuffer.h"
#include "platform/gfx/MemoryVertexBuffer.h"

namespace platform
{

// The CPU copy plus a GL array buffer.
class GLVertexBuffer : public GLBuffer<MemoryVertexBuffer, VertexBufferDesc, GL_ARRAY_BUFFER>
{
public:
    using GLBuffer::GLBuffer;
};

} // namespace platform
