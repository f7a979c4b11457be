#include "platform/gfx/MemoryVolume.h"

namespace platform
{

MemoryVolume::MemoryVolume(GfxObject* container, TextureStorage* storage, uint32_t level, uint32_t usage,
                           uint32_t pool, UnlockHook onUnlock)
    : m_Container(container), m_Storage(storage), m_Level(level), m_Usage(usage), m_Pool(pool),
      m_OnUnlock(std::move(onUnlock))
{
    m_Container->AddRef();
}

MemoryVolume::~MemoryVolume()
{
    m_Container->Release();
}

GfxResult MemoryVolume::GetDesc(VolumeDesc* desc) const
{
    if (!desc)
        return GFXERR_INVALIDCALL;
    const TextureStorage::Level& level = m_Storage->LevelInfo(m_Level);
    *desc = VolumeDesc();
    desc->Format = m_Storage->Format();
    desc->Usage = m_Usage;
    desc->Pool = m_Pool;
    desc->Width = level.Width;
    desc->Height = level.Height;
    desc->Depth = level.Depth;
    return GFX_OK;
}

GfxResult MemoryVolume::LockBox(LockedBox* locked, const GfxBox* box, uint32_t flags)
{
    (void)flags;
    return m_Storage->Lock(0, m_Level, box, locked);
}

GfxResult MemoryVolume::UnlockBox()
{
    const GfxResult result = m_Storage->Unlock(0, m_Level);
    if (GfxSucceeded(result) && m_OnUnlock)
        m_OnUnlock(m_Level);
    return result;
}

} // namespace platform
