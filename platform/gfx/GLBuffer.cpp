#include "platform/gfx/GLBuffer.h"

#include "platform/gfx/GLDevice.h"
#include "platform/gfx/MemoryIndexBuffer.h"
#include "platform/gfx/MemoryVertexBuffer.h"

#include <algorithm>

namespace platform
{

template <class Memory, class DescType, GLenum Target>
GLBuffer<Memory, DescType, Target>::GLBuffer(GLDevice* device, const DescType& desc)
    : Memory(device, desc), m_Device(device)
{
    m_Device->Activate();
    glGenBuffers(1, &m_Name);
    m_Device->BindBuffer(Target, m_Name);
    // Storage only: the CPU copy (written, or zero where not) goes up whole before the first draw that
    // reads the GL copy, so a pool is not sent as zeros now and then again as written.
    glBufferData(Target, static_cast<GLsizeiptr>(this->Size()), nullptr,
                 (desc.Usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
    m_PendingEnd = this->Size();
    this->SetDeviceName(m_Name);
}

template <class Memory, class DescType, GLenum Target> GLBuffer<Memory, DescType, Target>::~GLBuffer()
{
    if (m_Device && this->Device())
    {
        m_Device->Activate();
        m_Device->ForgetBuffer(m_Name);
        glDeleteBuffers(1, &m_Name);
    }
}

template <class Memory, class DescType, GLenum Target>
void GLBuffer<Memory, DescType, Target>::OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd)
{
    if (!m_Device)
        return;
    if (m_PendingEnd > m_PendingBegin)
    {
        dirtyBegin = std::min(dirtyBegin, m_PendingBegin);
        dirtyEnd = std::max(dirtyEnd, m_PendingEnd);
    }
    m_PendingBegin = dirtyBegin;
    m_PendingEnd = dirtyEnd;
    m_WrittenFrame = m_Device->Frame();
}

template <class Memory, class DescType, GLenum Target>
uint32_t GLBuffer<Memory, DescType, Target>::DrawName(uint64_t frame)
{
    if (m_PendingEnd <= m_PendingBegin)
        return m_Name;
    if (!m_Device || m_WrittenFrame == frame)
        return 0;
    m_Device->Activate();
    m_Device->BindBuffer(Target, m_Name);
    glBufferSubData(Target, m_PendingBegin, m_PendingEnd - m_PendingBegin, this->Data() + m_PendingBegin);
    m_PendingBegin = m_PendingEnd = 0;
    return m_Name;
}

template class GLBuffer<MemoryVertexBuffer, VertexBufferDesc, GL_ARRAY_BUFFER>;
template class GLBuffer<MemoryIndexBuffer, IndexBufferDesc, GL_ELEMENT_ARRAY_BUFFER>;

} // namespace platform
