#pragma once

#include "platform/gfx/GLHeaders.h"
#include "platform/gfx/MemoryVertexBuffer.h"

namespace platform
{

class GLDevice;

// The CPU copy plus a GL buffer; the written range is uploaded on the last unlock.
class GLVertexBuffer : public MemoryVertexBuffer
{
public:
    GLVertexBuffer(GLDevice* device, const VertexBufferDesc& desc);
    ~GLVertexBuffer() override;

    GLuint Name() const { return m_Name; }
    void Orphan() { m_Device = nullptr; }

protected:
    void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) override;

private:
    GLDevice* m_Device;
    GLuint m_Name = 0;
};

} // namespace platform
