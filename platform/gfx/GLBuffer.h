#pragma once

#include "platform/gfx/GLHeaders.h"

#include <cstdint>

namespace platform
{

class GLDevice;

// The CPU copy plus a GL buffer, bound at target through the device, which keeps track of the binding.
// Written ranges are uploaded when a draw needs the GL copy: a buffer written during a frame is drawn
// from its CPU copy until the frame ends, since changing a GL buffer that queued draws still read makes
// the driver finish them first. Vertex and index buffers differ only in their CPU side and target
// (instantiated in GLBuffer.cpp).
template <class Memory, class DescType, GLenum Target> class GLBuffer : public Memory
{
public:
    GLBuffer(GLDevice* device, const DescType& desc);
    ~GLBuffer() override;

    GLuint Name() const { return m_Name; }
    void Orphan() { m_Device = nullptr; }
    uint32_t DrawName(uint64_t frame) override;

protected:
    void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) override;

private:
    GLDevice* m_Device;
    GLuint m_Name = 0;
    // The written range the GL copy lacks, and the frame of the last write.
    uint32_t m_PendingBegin = 0;
    uint32_t m_PendingEnd = 0;
    uint64_t m_WrittenFrame = 0;
};

} // namespace platform
