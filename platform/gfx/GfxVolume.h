#pragma once

#include "platform/gfx/GfxResource.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

// One level of a volume texture.
class GfxVolume : public GfxResource
{
public:
    virtual GfxResult GetDesc(VolumeDesc* desc) const = 0;
    virtual GfxResult LockBox(LockedBox* locked, const GfxBox* box, uint32_t flags) = 0;
    virtual GfxResult UnlockBox() = 0;
};

} // namespace platform
