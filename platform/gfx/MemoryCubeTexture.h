#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/TextureStorage.h"

namespace platform
{

class StateDevice;

// A cube texture kept in CPU memory: six faces, each with the same levels.
class MemoryCubeTexture : public GfxCubeTexture
{
public:
    MemoryCubeTexture(StateDevice* device, uint32_t edgeLength, uint32_t levels, uint32_t usage,
                      uint32_t format, uint32_t pool);

    uint32_t GetLevelCount() const override { return m_Storage.LevelCount(); }
    uint32_t SetLOD(uint32_t lod) override;
    uint32_t GetLOD() const override { return m_Lod; }
    uint32_t GetFormat() const override { return m_Storage.Format(); }
    uint32_t GetType() const override { return RTYPE_CUBETEXTURE; }
    uint32_t GetPool() const override { return m_Link.Pool(); }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override;
    GfxResult LockRect(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect,
                       uint32_t flags) override;
    GfxResult UnlockRect(uint32_t face, uint32_t level) override;
    GfxResult GetCubeMapSurface(uint32_t face, uint32_t level, GfxSurface** surface) override;

    const TextureStorage& Storage() const { return m_Storage; }

protected:
    virtual void OnLevelUnlocked(uint32_t face, uint32_t level) { (void)face, (void)level; }
    StateDevice* Device() const { return m_Link.Device(); }

private:
    DeviceChild m_Link;
    TextureStorage m_Storage;
    uint32_t m_Usage;
    uint32_t m_Lod = 0;
};

} // namespace platform
