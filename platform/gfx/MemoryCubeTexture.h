#pragma once

#include "platform/gfx/GfxCubeTexture.h"
#include "platform/gfx/MemoryTextureBase.h"

namespace platform
{

// A cube texture kept in CPU memory: six faces, each with the same levels.
class MemoryCubeTexture : public MemoryTextureBase<GfxCubeTexture>
{
public:
    MemoryCubeTexture(StateDevice* device, uint32_t edgeLength, uint32_t levels, uint32_t usage,
                      uint32_t format, uint32_t pool);

    uint32_t GetType() const override { return RTYPE_CUBETEXTURE; }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override;
    GfxResult LockRect(uint32_t face, uint32_t level, LockedRect* locked, const GfxRect* rect,
                       uint32_t flags) override;
    GfxResult UnlockRect(uint32_t face, uint32_t level) override;
    GfxResult GetCubeMapSurface(uint32_t face, uint32_t level, GfxSurface** surface) override;

protected:
    virtual void OnLevelUnlocked(uint32_t face, uint32_t level) { (void)face, (void)level; }
};

} // namespace platform
