#include "platform/gfx/GLBuffer.h"

#include "platform/gfx/GLDevice.h"
#include "platform/gfx/MemoryIndexBuffer.h"
#include "platform/gfx/MemoryVertexBuffer.h"

namespace platform
{

template <class Memory, class DescType, GLenum Target>
GLBuffer<Memory, DescType, Target>::GLBuffer(GLDevice* device, const DescType& desc)
    : Memory(device, desc), m_Device(device)
{
    m_Device->Activate();
    glGenBuffers(1, &m_Name);
    m_Device->BindBuffer(Target, m_Name);
    glBufferData(Target, static_cast<GLsizeiptr>(this->Size()), this->Data(),
                 (desc.Usage & USAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW);
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
    m_Device->Activate();
    m_Device->BindBuffer(Target, m_Name);
    glBufferSubData(Target, dirtyBegin, dirtyEnd - dirtyBegin, this->Data() + dirtyBegin);
}

template class GLBuffer<MemoryVertexBuffer, VertexBufferDesc, GL_ARRAY_BUFFER>;
template class GLBuffer<MemoryIndexBuffer, IndexBufferDesc, GL_ELEMENT_ARRAY_BUFFER>;

} // namespace platform
