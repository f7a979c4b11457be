#pragma once

#include "platform/gfx/GfxBaseTexture.h"

namespace platform
{

class GfxVolume;

class GfxVolumeTexture : public GfxBaseTexture
{
public:
    virtual GfxResult GetLevelDesc(uint32_t level, VolumeDesc* desc) const = 0;
    // A null box locks the whole level.
    virtual GfxResult LockBox(uint32_t level, LockedBox* locked, const GfxBox* box, uint32_t flags) = 0;
    virtual GfxResult UnlockBox(uint32_t level) = 0;
    virtual GfxResult GetVolumeLevel(uint32_t level, GfxVolume** volume) = 0;
};

} // namespace platform
