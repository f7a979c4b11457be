#pragma once

#include "platform/gfx/GfxResource.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

// One level (or one cube face of one level) of a texture, or the back buffer.
class GfxSurface : public GfxResource
{
public:
    virtual GfxResult GetDesc(SurfaceDesc* desc) const = 0;
    // A null rectangle locks the whole surface; a rectangle points Bits at its top-left corner.
    virtual GfxResult LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags) = 0;
    virtual GfxResult UnlockRect() = 0;
};

} // namespace platform
