#pragma once

#include "platform/gfx/GfxBaseTexture.h"

namespace platform
{

class GfxSurface;

class GfxTexture : public GfxBaseTexture
{
public:
    virtual GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const = 0;
    // A null rectangle locks the whole level; a rectangle points Bits at its corner, rows a full pitch apart.
    virtual GfxResult LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags) = 0;
    virtual GfxResult UnlockRect(uint32_t level) = 0;
    // The surface holds a reference on the texture; the caller releases the surface.
    virtual GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) = 0;
};

} // namespace platform
