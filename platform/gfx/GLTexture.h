#pragma once

#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/MemoryTexture.h"

#include <vector>

namespace platform
{

class GLDevice;

// The CPU copy plus a GL texture, updated on unlock: the whole level, or only the rectangle its lock named.
class GLTexture : public MemoryTexture, public GLTextureSource
{
public:
    GLTexture(GLDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
              uint32_t format, uint32_t pool);

    GfxResult LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags) override;

    GLTextureObject& GLObject() override
    {
        m_GL.SendUnsent(Storage());
        return m_GL;
    }
    uint32_t SamplingLod() const override { return GetLOD(); }
    void Orphan() { m_GL.Orphan(); }

protected:
    void OnLevelUnlocked(uint32_t level) override;

private:
    GLTextureObject m_GL;
    // Per level, the rectangle its open lock covers; an empty one stands for the whole level.
    std::vector<GfxRect> m_Locked;
};

} // namespace platform
