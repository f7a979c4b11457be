#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{

// CPU memory of a vertex or index buffer with nested locks and the byte range written since the last
// complete unlock. Bytes read as zero until written; they are cleared only when a lock or a reader first
// reaches them, since pools are made far larger than their first run and the run is written at once. A
// LOCK_DISCARD lock promises that every byte of its range is written before anyone reads it, so that range
// is not cleared at all.
//
// Pools are made and dropped with every set of models, nearly all of one size: a dropped storage's block is
// kept on its thread for the next storage of about that size, as memory only. Nothing of it is shown before
// it is cleared or written, so a kept block never lets one buffer read another's bytes.
class BufferStorage
{
public:
    explicit BufferStorage(uint32_t size);
    ~BufferStorage();
    BufferStorage(const BufferStorage&) = delete;
    BufferStorage& operator=(const BufferStorage&) = delete;

    // A size of 0 means to the end; a range past the end fails.
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    // Returns true when the last outstanding lock ended; dirtyBegin/End then give the range to upload.
    GfxResult Unlock(bool* lastLock, uint32_t* dirtyBegin, uint32_t* dirtyEnd);

    // The whole buffer, every byte either written or zero.
    const uint8_t* Data() const
    {
        if (m_Cleared < m_Size)
            ClearTo(m_Size);
        return m_Data;
    }
    uint32_t Size() const { return m_Size; }
    int LockCount() const { return m_LockCount; }
    // How far from the start the bytes have been cleared or handed out (the rest is not yet memory anyone
    // has seen).
    uint32_t ClearedBytes() const { return m_Cleared; }

private:
    void ClearTo(uint32_t end) const;

    uint8_t* m_Data;
    uint32_t m_Size;
    // The block's own length, at least m_Size when it was kept from a larger storage.
    uint32_t m_BlockSize = 0;
    mutable uint32_t m_Cleared = 0;
    int m_LockCount = 0;
    uint32_t m_DirtyBegin = UINT32_MAX;
    uint32_t m_DirtyEnd = 0;
};

} // namespace platform
