#pragma once

#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/MemoryCubeTexture.h"

namespace platform
{

class GLDevice;

// The CPU copy plus a GL texture, updated level by level on unlock.
class GLCubeTexture : public MemoryCubeTexture, public GLTextureSource
{
public:
    GLCubeTexture(GLDevice* device, uint32_t edge, uint32_t levels, uint32_t usage, uint32_t format,
                  uint32_t pool);

    GLTextureObject& GLObject() override
    {
        m_GL.SendUnsent(Storage());
        return m_GL;
    }
    uint32_t SamplingLod() const override { return GetLOD(); }
    void Orphan() { m_GL.Orphan(); }

protected:
    void OnLevelUnlocked(uint32_t face, uint32_t level) override { m_GL.Upload(Storage(), face, level); }

private:
    GLTextureObject m_GL;
};

} // namespace platform
