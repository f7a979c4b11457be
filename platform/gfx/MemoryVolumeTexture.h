#pragma once

#include "platform/gfx/GfxVolumeTexture.h"
#include "platform/gfx/MemoryTextureBase.h"

namespace platform
{

// A volume texture kept in CPU memory.
class MemoryVolumeTexture : public MemoryTextureBase<GfxVolumeTexture>
{
public:
    MemoryVolumeTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t depth, uint32_t levels,
                        uint32_t usage, uint32_t format, uint32_t pool);

    uint32_t GetType() const override { return RTYPE_VOLUMETEXTURE; }
    GfxResult GetLevelDesc(uint32_t level, VolumeDesc* desc) const override;
    GfxResult LockBox(uint32_t level, LockedBox* locked, const GfxBox* box, uint32_t flags) override;
    GfxResult UnlockBox(uint32_t level) override;
    GfxResult GetVolumeLevel(uint32_t level, GfxVolume** volume) override;

protected:
    virtual void OnLevelUnlocked(uint32_t level) { (void)level; }
};

} // namespace platform
