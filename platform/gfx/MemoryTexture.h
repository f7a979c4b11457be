#pragma once

#include "platform/gfx/GfxTexture.h"
#include "platform/gfx/MemoryTextureBase.h"

namespace platform
{

// A 2D texture kept in CPU memory; every level readable.
class MemoryTexture : public MemoryTextureBase<GfxTexture>
{
public:
    MemoryTexture(StateDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                  uint32_t format, uint32_t pool, uint8_t* storageRoom = nullptr);

    // The texture with its storage's block right behind it, in one allocation.
    static MemoryTexture* Make(StateDevice* device, uint32_t width, uint32_t height, uint32_t levels,
                               uint32_t usage, uint32_t format, uint32_t pool);

    // Unsized on purpose: a texture from Make is larger than its type says. Back ends' textures come through
    // the plain new.
    static void* operator new(size_t size) { return ::operator new(size); }
    static void operator delete(void* memory) noexcept { ::operator delete(memory); }

    uint32_t GetType() const override { return RTYPE_TEXTURE; }
    GfxResult GetLevelDesc(uint32_t level, SurfaceDesc* desc) const override;
    GfxResult LockRect(uint32_t level, LockedRect* locked, const GfxRect* rect, uint32_t flags) override;
    GfxResult UnlockRect(uint32_t level) override;
    GfxResult GetSurfaceLevel(uint32_t level, GfxSurface** surface) override;

protected:
    // A back end copies the level to its own texture here.
    virtual void OnLevelUnlocked(uint32_t level) { (void)level; }
};

} // namespace platform
