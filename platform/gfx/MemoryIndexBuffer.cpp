#include "platform/gfx/MemoryIndexBuffer.h"

#include <cstring>

namespace platform
{

namespace
{

// The bytes need not be aligned for the index type: each one is copied out.
template <class Index> uint32_t LargestOf(const uint8_t* data, uint32_t first, uint32_t count)
{
    uint32_t largest = 0;
    data += static_cast<size_t>(first) * sizeof(Index);
    for (uint32_t i = 0; i < count; ++i)
    {
        Index index;
        std::memcpy(&index, data + static_cast<size_t>(i) * sizeof(Index), sizeof(Index));
        largest = index > largest ? index : largest;
    }
    return largest;
}

} // namespace

uint32_t MemoryIndexBuffer::Scan(uint32_t first, uint32_t count) const
{
    if (Desc().Format == FMT_INDEX32)
        return LargestOf<uint32_t>(Data(), first, count);
    return LargestOf<uint16_t>(Data(), first, count);
}

uint32_t MemoryIndexBuffer::LargestIndex()
{
    if (!m_Whole.valid || m_Whole.writes != WriteCount())
        m_Whole = {true, WriteCount(), 0, 0, Scan(0, Size() / (Desc().Format == FMT_INDEX32 ? 4 : 2))};
    return m_Whole.largest;
}

uint32_t MemoryIndexBuffer::LargestIndex(uint32_t first, uint32_t count)
{
    if (!m_Range.valid || m_Range.writes != WriteCount() || m_Range.first != first || m_Range.count != count)
        m_Range = {true, WriteCount(), first, count, Scan(first, count)};
    return m_Range.largest;
}

} // namespace platform
