#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/TextureStorage.h"

namespace platform
{

class StateDevice;

// A 2D texture kept in CPU memory; every level readable.
class MemoryTexture : public GfxTexture
{
public:
    // The caller has validated the format and sizes; levels is the final count.
    MemoryTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                  uint32_t format, uint32_t pool);

    uint32_t GetLevelCount() const override { return m_Storage.LevelCount(); }
    uint32_t SetLOD(uint32_t lod) override;
    uint32_t GetLOD() const override { return m_Lod; }
    uint32_t GetFormat() const override { return m_Storage.Format(); }
    uint32_t GetType() const override { return RTYPE_TEXTURE; }
    uint32_t GetPool() const override { return m_Link.Pool(); }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override;
    GfxResult LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags) override;
    GfxResult UnlockRect(uint32_t level) override;
    GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) override;

    const TextureStorage& Storage() const { return m_Storage; }
    uint32_t Usage() const { return m_Usage; }

protected:
    // A back end copies the level to its own texture here.
    virtual void OnLevelUnlocked(uint32_t level) { (void)level; }
    StateDevice* Device() const { return m_Link.Device(); }

private:
    DeviceChild m_Link;
    TextureStorage m_Storage;
    uint32_t m_Usage;
    uint32_t m_Lod = 0;
};

} // namespace platform
