#include "platform/gfx/MemoryVolumeTexture.h"

#include "platform/gfx/MemoryVolume.h"
#include "platform/gfx/StateDevice.h"

namespace platform
{

MemoryVolumeTexture::MemoryVolumeTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t depth,
                                         uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool)
    : MemoryTextureBase(device, pool, usage, format, width, height, depth, levels, 1)
{
}

GfxResult MemoryVolumeTexture::GetLevelDesc(uint32_t level, VolumeDesc* desc) const
{
    if (!desc || level >= GetLevelCount())
        return GFXERR_INVALIDCALL;
    const TextureStorage::Level& info = m_Storage.LevelInfo(level);
    *desc = VolumeDesc();
    desc->Format = GetFormat();
    desc->Usage = m_Usage;
    desc->Pool = GetPool();
    desc->Width = info.Width;
    desc->Height = info.Height;
    desc->Depth = info.Depth;
    return GFX_OK;
}

GfxResult MemoryVolumeTexture::LockBox(uint32_t level, LockedBox* locked, const GfxBox* box, uint32_t flags)
{
    (void)flags;
    return m_Storage.Lock(0, level, box, locked);
}

GfxResult MemoryVolumeTexture::UnlockBox(uint32_t level)
{
    const GfxResult result = m_Storage.Unlock(0, level);
    if (GfxSucceeded(result) && m_Link.Device())
        OnLevelUnlocked(level);
    return result;
}

GfxResult MemoryVolumeTexture::GetVolumeLevel(uint32_t level, GfxVolume** volume)
{
    if (!volume || level >= GetLevelCount())
        return GFXERR_INVALIDCALL;
    *volume = new MemoryVolume(this, &m_Storage, level, m_Usage, GetPool(),
                               [this](uint32_t l)
                               {
                                   if (m_Link.Device())
                                       OnLevelUnlocked(l);
                               });
    return GFX_OK;
}

} // namespace platform
