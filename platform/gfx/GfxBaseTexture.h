#pragma once

#include "platform/gfx/GfxResource.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

class GfxBaseTexture : public GfxResource
{
public:
    virtual uint32_t GetLevelCount() const = 0;
    // The most detailed level used when sampling; returns the previous value.
    virtual uint32_t SetLOD(uint32_t lod) = 0;
    virtual uint32_t GetLOD() const = 0;
    virtual uint32_t GetFormat() const = 0;
};

} // namespace platform
