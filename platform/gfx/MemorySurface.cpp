#include "platform/gfx/MemorySurface.h"

namespace platform
{

bool RectToBox(const GfxRect* rect, GfxBox* box)
{
    if (rect->Left < 0 || rect->Top < 0 || rect->Right <= rect->Left || rect->Bottom <= rect->Top)
        return false;
    *box = GfxBox{static_cast<uint32_t>(rect->Left),
                  static_cast<uint32_t>(rect->Top),
                  static_cast<uint32_t>(rect->Right),
                  static_cast<uint32_t>(rect->Bottom),
                  0,
                  1};
    return true;
}

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
    if (!desc)
        return GFXERR_INVALIDCALL;
    const TextureStorage::Level& level = m_Storage->LevelInfo(m_Level);
    *desc = SurfaceDesc();
    desc->Format = m_Storage->Format();
    desc->Usage = m_Usage;
    desc->Pool = m_Pool;
    desc->Width = level.Width;
    desc->Height = level.Height;
    return GFX_OK;
}

GfxResult MemorySurface::LockRect(LockedRect* locked, const GfxRect* rect, uint32_t flags)
{
    (void)flags;
    if (!locked)
        return GFXERR_INVALIDCALL;
    GfxBox box;
    if (rect && !RectToBox(rect, &box))
        return GFXERR_INVALIDCALL;
    LockedBox lockedBox;
    const GfxResult result = m_Storage->Lock(m_Face, m_Level, rect ? &box : nullptr, &lockedBox);
    if (GfxFailed(result))
        return result;
    locked->Pitch = lockedBox.RowPitch;
    locked->Bits = lockedBox.Bits;
    return GFX_OK;
}

GfxResult MemorySurface::UnlockRect()
{
    const GfxResult result = m_Storage->Unlock(m_Face, m_Level);
    if (GfxSucceeded(result) && m_OnUnlock)
        m_OnUnlock(m_Face, m_Level);
    return result;
}

} // namespace platform
