#pragma once

#include "platform/gfx/GfxBaseTexture.h"

namespace platform
{

class GfxSurface;

class GfxCubeTexture : public GfxBaseTexture
{
public:
    virtual GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const = 0;
    virtual GfxResult LockRect(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect,
                               uint32_t flags) = 0;
    virtual GfxResult UnlockRect(uint32_t face, uint32_t level) = 0;
    virtual GfxResult GetCubeMapSurface(uint32_t face, uint32_t level, GfxSurface** surface) = 0;
};

} // namespace platform
