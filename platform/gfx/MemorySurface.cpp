#include "platform/gfx/MemorySurface.h"

namespace platform
{

MemorySurface::MemorySurface(GfxObject* container, TextureStorage* storage, uint32_t face, uint32_t level,
                             uint32_t usage, uint32_t pool, UnlockHook onUnlock)
    : m_Container(container), m_Storage(storage), m_Face(face), m_Level(level), m_Usage(usage), m_Pool(pool),
      m_OnUnlock(std::move(onUnlock))
{
    if (m_Container)
        m_Container->AddRef();
}

MemorySurface::MemorySurface(uint32_t format, uint32_t width, uint32_t height, uint32_t usage, uint32_t pool)
    : m_Owned(std::make_unique<TextureStorage>(format, width, height, 1, 1, 1)), m_Storage(m_Owned.get()),
      m_Usage(usage), m_Pool(pool)
{
}

MemorySurface::~MemorySurface()
{
    if (m_Container)
        m_Container->Release();
}

GfxResult MemorySurface::GetDesc(SurfaceDesc* desc) const
{
    return m_Storage->GetLevelDesc(m_Level, m_Usage, m_Pool, desc);
}

GfxResult MemorySurface::LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    (void)flags;
    return m_Storage->LockRect(m_Face, m_Level, rect, locked);
}

GfxResult MemorySurface::UnlockRect()
{
    const GfxResult result = m_Storage->Unlock(m_Face, m_Level);
    if (GfxSucceeded(result) && m_OnUnlock)
        m_OnUnlock(m_Face, m_Level);
    return result;
}

} // namespace platform
