#include "platform/gfx/GLVertexBuffer.h"

#include "platform/gfx/GLDevice.h"

namespace platform
{

GLVertexBuffer::GLVertexBuffer(GLDevice* device, const VertexBufferDesc& desc)
    : MemoryVertexBuffer(device, desc), m_Device(device)
{
    m_Device->Activate();
    glGenBuffers(1, &m_Name);
    glBindBuffer(GL_ARRAY_BUFFER, m_Name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Size()), Data(),
                 (desc.Usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

GLVertexBuffer::~GLVertexBuffer()
{
    if (m_Device && Device())
    {
        m_Device->Activate();
        glDeleteBuffers(1, &m_Name);
    }
}

void GLVertexBuffer::OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd)
{
    if (!m_Device)
        return;
    m_Device->Activate();
    glBindBuffer(GL_ARRAY_BUFFER, m_Name);
    glBufferSubData(GL_ARRAY_BUFFER, dirtyBegin, dirtyEnd - dirtyBegin, Data() + dirtyBegin);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

} // namespace platform
