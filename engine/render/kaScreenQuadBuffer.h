#pragma once

#include "engine/core/kaSingleton.h"

#include <cstdint>
#include <memory>

namespace platform
{
class GfxDevice;
} // namespace platform

class kaVertexBuffer;

// A screen-space vertex buffer that lives and dies with the device. One static instance lives for the
// whole program; the graphics manager makes the buffer with its other shared buffers and drops it before
// a reset and at release.
class kaScreenQuadBuffer : public kaSingleton<kaScreenQuadBuffer>
{
public:
    static constexpr uint32_t kVertexCount = 200;

    kaScreenQuadBuffer();
    ~kaScreenQuadBuffer();

    void CreateBuffer(platform::GfxDevice* device);
    void ReleaseForReset();
    void ReleaseAll();

    kaVertexBuffer* GetBuffer() const { return m_Buffer.get(); }

private:
    std::unique_ptr<kaVertexBuffer> m_Buffer;
};
