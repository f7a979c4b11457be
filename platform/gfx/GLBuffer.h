#pragma once

#include "platform/gfx/GLHeaders.h"

#include <cstdint>

namespace platform
{

class GLDevice;

// The CPU copy plus a GL buffer, bound at target through the device, which keeps track of the binding;
// the written range is uploaded on the last unlock. Vertex and index buffers differ only in their CPU
// side and target (instantiated in GLBuffer.cpp).
template <class Memory, class DescType, GLenum Target> class GLBuffer : public Memory
{
public:
    GLBuffer(GLDevice* device, const DescType& desc);
    ~GLBuffer() override;

    GLuint Name() const { return m_Name; }
    void Orphan() { m_Device = nullptr; }

protected:
    void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) override;

private:
    GLDevice* m_Device;
    GLuint m_Name = 0;
};

} // namespace platform
