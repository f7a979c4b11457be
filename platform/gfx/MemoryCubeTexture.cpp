#include "platform/gfx/MemoryCubeTexture.h"

#include "platform/gfx/MemorySurface.h"
#include "platform/gfx/StateDevice.h"

namespace platform
{

MemoryCubeTexture::MemoryCubeTexture(StateDevice* device, uint32_t edgeLength, uint32_t levels,
                                     uint32_t usage, uint32_t format, uint32_t pool)
    : MemoryTextureBase(device, pool, usage, format, edgeLength, edgeLength, 1, levels, 6)
{
}

GfxResult MemoryCubeTexture::GetLevelDesc(uint32_t level, SurfaceDesc* desc) const
{
    return m_Storage.GetLevelDesc(level, m_Usage, GetPool(), desc);
}

GfxResult MemoryCubeTexture::LockRect(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect,
                                      uint32_t flags)
{
    (void)flags;
    return m_Storage.LockRect(face, level, rect, locked);
}

GfxResult MemoryCubeTexture::UnlockRect(uint32_t face, uint32_t level)
{
    const GfxResult result = m_Storage.Unlock(face, level);
    if (GfxSucceeded(result) && m_Link.Device())
        OnLevelUnlocked(face, level);
    return result;
}

GfxResult MemoryCubeTexture::GetCubeMapSurface(uint32_t face, uint32_t level, GfxSurface** surface)
{
    if (!surface || face >= 6 || level >= GetLevelCount())
        return GFXERR_INVALIDCALL;
    *surface = new MemorySurface(this, &m_Storage, face, level, m_Usage, GetPool(),
                                 [this](uint32_t f, uint32_t l)
                                 {
                                     if (m_Link.Device())
                                         OnLevelUnlocked(f, l);
                                 });
    return GFX_OK;
}

} // namespace platform
