#include "platform/gfx/GLTexture.h"

#include "platform/gfx/GLDevice.h"

#include <utility>

namespace platform
{

GLTexture::GLTexture(GLDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                     uint32_t format, uint32_t pool)
    : MemoryTexture(device, width, height, levels, usage, format, pool),
      m_GL(device, GL_TEXTURE_2D, Storage()), m_Locked(Storage().LevelCount())
{
}

GfxResult GLTexture::LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    const GfxResult result = MemoryTexture::LockRect(level, locked, rect, flags);
    if (GfxSucceeded(result) && level < m_Locked.size())
        m_Locked[level] = rect != nullptr ? *rect : GfxRect();
    return result;
}

void GLTexture::OnLevelUnlocked(uint32_t level)
{
    // A texture shared by many pictures (an atlas page) is written a picture at a time: sending the whole
    // level for each would cost the level's size every time.
    GfxRect rect;
    if (level < m_Locked.size())
        std::swap(rect, m_Locked[level]);
    if (rect.Right > rect.Left && rect.Bottom > rect.Top)
        m_GL.UploadRect(Storage(), level, rect);
    else
        m_GL.Upload(Storage(), 0, level);
}

} // namespace platform
