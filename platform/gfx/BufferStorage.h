#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>
#include <vector>

namespace platform
{

// CPU memory of a vertex or index buffer with nested locks and the byte range written since the last
// complete unlock.
class BufferStorage
{
public:
    explicit BufferStorage(uint32_t size) : m_Data(size, 0) {}

    // A size of 0 means to the end; a range past the end fails.
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags);
    // Returns true when the last outstanding lock ended; dirtyBegin/End then give the range to upload.
    GfxResult Unlock(bool* lastLock, uint32_t* dirtyBegin, uint32_t* dirtyEnd);

    const uint8_t* Data() const { return m_Data.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(m_Data.size()); }
    int LockCount() const { return m_LockCount; }

private:
    std::vector<uint8_t> m_Data;
    int m_LockCount = 0;
    uint32_t m_DirtyBegin = UINT32_MAX;
    uint32_t m_DirtyEnd = 0;
};

} // namespace platform
