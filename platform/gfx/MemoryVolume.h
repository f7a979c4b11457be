#pragma once

#include "platform/gfx/GfxVolume.h"
#include "platform/gfx/TextureStorage.h"

#include <functional>

namespace platform
{

// One level of a volume texture's storage; holds a reference on the texture.
class MemoryVolume : public GfxVolume
{
public:
    using UnlockHook = std::function<void(uint32_t level)>;

    MemoryVolume(GfxObject* container, TextureStorage* storage, uint32_t level, uint32_t usage, uint32_t pool,
                 UnlockHook onUnlock);
    ~MemoryVolume() override;

    GfxResult GetDesc(VolumeDesc* desc) const override;
    GfxResult LockBox(LockedBox* locked, const GfxBox* box, uint32_t flags) override;
    GfxResult UnlockBox() override;
    uint32_t GetType() const override { return RTYPE_VOLUME; }
    uint32_t GetPool() const override { return m_Pool; }

private:
    GfxObject* m_Container;
    TextureStorage* m_Storage;
    uint32_t m_Level;
    uint32_t m_Usage;
    uint32_t m_Pool;
    UnlockHook m_OnUnlock;
};

} // namespace platform
