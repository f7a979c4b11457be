#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/TextureStorage.h"

namespace platform
{

class StateDevice;

// A volume texture kept in CPU memory.
class MemoryVolumeTexture : public GfxVolumeTexture
{
public:
    MemoryVolumeTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                        uint32_t usage, uint32_t format, uint32_t pool);

    uint32_t GetLevelCount() const override { return m_Storage.LevelCount(); }
    uint32_t SetLOD(uint32_t lod) override;
    uint32_t GetLOD() const override { return m_Lod; }
    uint32_t GetFormat() const override { return m_Storage.Format(); }
    uint32_t GetType() const override { return RTYPE_VOLUMETEXTURE; }
    uint32_t GetPool() const override { return m_Link.Pool(); }
    GfxResult GetLevelDesc(uint32_t level, VolumeDesc* desc) const override;
    GfxResult LockBox(uint32_t level, LockedBox* locked, const GfxBox* box, uint32_t flags) override;
    GfxResult UnlockBox(uint32_t level) override;
    GfxResult GetVolumeLevel(uint32_t level, GfxVolume** volume) override;

    const TextureStorage& Storage() const { return m_Storage; }

protected:
    virtual void OnLevelUnlocked(uint32_t level) { (void)level; }
    StateDevice* Device() const { return m_Link.Device(); }

private:
    DeviceChild m_Link;
    TextureStorage m_Storage;
    uint32_t m_Usage;
    uint32_t m_Lod = 0;
};

} // namespace platform
