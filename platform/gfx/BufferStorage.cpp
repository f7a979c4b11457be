#include "platform/gfx/BufferStorage.h"

#include <cstring>

namespace platform
{

void BufferStorage::ClearTo(uint32_t end) const
{
    if (end <= m_Cleared)
        return;
    std::memset(m_Data.get() + m_Cleared, 0, end - m_Cleared);
    m_Cleared = end;
}

GfxResult BufferStorage::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (!data)
        return GFXERR_INVALIDCALL;
    const uint64_t length = m_Size;
    if (offset > length || (offset == length && size == 0 && length != 0))
        return GFXERR_INVALIDCALL;
    const uint64_t count = size == 0 ? length - offset : size;
    if (offset + count > length)
        return GFXERR_INVALIDCALL;
    // What the caller can see reads as zero unless written, or unless the caller writes it all now.
    const uint32_t end = static_cast<uint32_t>(offset + count);
    if ((flags & LOCK_DISCARD) && !(flags & LOCK_READONLY))
    {
        ClearTo(offset);
        m_Cleared = end > m_Cleared ? end : m_Cleared;
    }
    else
        ClearTo(end);
    *data = m_Data.get() + offset;
    ++m_LockCount;
    if (!(flags & LOCK_READONLY) && count > 0)
    {
        m_DirtyBegin = offset < m_DirtyBegin ? offset : m_DirtyBegin;
        m_DirtyEnd = end > m_DirtyEnd ? end : m_DirtyEnd;
    }
    return GFX_OK;
}

GfxResult BufferStorage::Unlock(bool* lastLock, uint32_t* dirtyBegin, uint32_t* dirtyEnd)
{
    *lastLock = false;
    if (m_LockCount == 0)
        return GFXERR_INVALIDCALL;
    if (--m_LockCount == 0)
    {
        *lastLock = true;
        *dirtyBegin = m_DirtyBegin == UINT32_MAX ? 0 : m_DirtyBegin;
        *dirtyEnd = m_DirtyEnd;
        m_DirtyBegin = UINT32_MAX;
        m_DirtyEnd = 0;
    }
    return GFX_OK;
}

} // namespace platform
