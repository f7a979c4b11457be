#pragma once

#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/MemoryVolumeTexture.h"

namespace platform
{

class GLDevice;

// The CPU copy plus a GL texture, updated level by level on unlock.
class GLVolumeTexture : public MemoryVolumeTexture, public GLTextureSource
{
public:
    GLVolumeTexture(GLDevice* device, uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                    uint32_t usage, uint32_t format, uint32_t pool);

    GLTextureObject& GLObject() override
    {
        m_GL.SendUnsent(Storage());
        return m_GL;
    }
    uint32_t SamplingLod() const override { return GetLOD(); }
    void Orphan() { m_GL.Orphan(); }

protected:
    void OnLevelUnlocked(uint32_t level) override { m_GL.Upload(Storage(), 0, level); }

private:
    GLTextureObject m_GL;
};

} // namespace platform
