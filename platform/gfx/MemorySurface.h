#pragma once

#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/TextureStorage.h"

#include <functional>
#include <memory>

namespace platform
{

// A surface over one face and level of a texture's storage, or over storage of its own (the back buffer).
class MemorySurface : public GfxSurface
{
public:
    using UnlockHook = std::function<void(uint32_t face, uint32_t level)>;

    // A view: holds a reference on the container so the storage outlives the surface.
    MemorySurface(GfxObject* container, TextureStorage* storage, uint32_t face, uint32_t level,
                  uint32_t usage, uint32_t pool, UnlockHook onUnlock);
    // Owns its storage.
    MemorySurface(uint32_t format, uint32_t width, uint32_t height, uint32_t usage, uint32_t pool);
    ~MemorySurface() override;

    GfxResult GetDesc(SurfaceDesc* desc) const override;
    GfxResult LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags) override;
    GfxResult UnlockRect() override;
    uint32_t GetType() const override { return RTYPE_SURFACE; }
    uint32_t GetPool() const override { return m_Pool; }

    TextureStorage& Storage() { return *m_Storage; }
    uint8_t* Bits() { return m_Storage->LevelData(m_Face, m_Level); }
    uint32_t Pitch() const { return m_Storage->LevelInfo(m_Level).RowPitch; }

private:
    GfxObject* m_Container = nullptr;
    std::unique_ptr<TextureStorage> m_Owned;
    TextureStorage* m_Storage;
    uint32_t m_Face = 0;
    uint32_t m_Level = 0;
    uint32_t m_Usage;
    uint32_t m_Pool;
    UnlockHook m_OnUnlock;
};

} // namespace platform
