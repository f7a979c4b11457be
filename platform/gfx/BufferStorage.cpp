#include "platform/gfx/BufferStorage.h"

#include <cstring>

namespace platform
{

namespace
{

// A few dropped blocks per thread. Trivially destructible, so that it stays usable by storages that die after
// the thread's other objects; SpareRelease frees what it still holds when the thread ends.
struct SpareBlocks
{
    static constexpr uint32_t kCount = 8;
    // Larger blocks are rare (a pool sized for one big run) and go back to the heap.
    static constexpr uint32_t kLargest = 1u << 20;
    uint8_t* data[kCount];
    uint32_t size[kCount];
    uint32_t held;
    bool closed;
};

thread_local SpareBlocks t_Spare{};

struct SpareRelease
{
    bool armed = false;
    ~SpareRelease()
    {
        for (uint32_t i = 0; i < t_Spare.held; ++i)
            delete[] t_Spare.data[i];
        t_Spare.held = 0;
        t_Spare.closed = true;
    }
};

thread_local SpareRelease t_SpareRelease;

// The latest kept block of at least size bytes that wastes at most an eighth, or null.
uint8_t* TakeSpare(uint32_t size, uint32_t& blockSize)
{
    SpareBlocks& spare = t_Spare;
    for (uint32_t i = spare.held; i-- > 0;)
    {
        if (spare.size[i] < size || spare.size[i] - size > size / 8)
            continue;
        uint8_t* data = spare.data[i];
        blockSize = spare.size[i];
        --spare.held;
        for (uint32_t j = i; j < spare.held; ++j)
        {
            spare.data[j] = spare.data[j + 1];
            spare.size[j] = spare.size[j + 1];
        }
        return data;
    }
    return nullptr;
}

void KeepOrFree(uint8_t* data, uint32_t size)
{
    SpareBlocks& spare = t_Spare;
    if (data && !spare.closed && size <= SpareBlocks::kLargest)
    {
        // Reaching the releaser registers its end-of-thread clean-up.
        t_SpareRelease.armed = true;
        // The latest blocks are the likeliest to be asked for again: the oldest makes room.
        if (spare.held == SpareBlocks::kCount)
        {
            delete[] spare.data[0];
            --spare.held;
            for (uint32_t i = 0; i < spare.held; ++i)
            {
                spare.data[i] = spare.data[i + 1];
                spare.size[i] = spare.size[i + 1];
            }
        }
        spare.data[spare.held] = data;
        spare.size[spare.held] = size;
        ++spare.held;
        return;
    }
    delete[] data;
}

} // namespace

BufferStorage::BufferStorage(uint32_t size) : m_Data(nullptr), m_Size(size)
{
    m_Data = TakeSpare(size, m_BlockSize);
    if (!m_Data)
    {
        m_Data = new uint8_t[size];
        m_BlockSize = size;
    }
}

BufferStorage::~BufferStorage()
{
    KeepOrFree(m_Data, m_BlockSize);
}

void BufferStorage::ClearTo(uint32_t end) const
{
    if (end <= m_Cleared)
        return;
    std::memset(m_Data + m_Cleared, 0, end - m_Cleared);
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
    *data = m_Data + offset;
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
