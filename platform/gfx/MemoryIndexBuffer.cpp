#include "platform/gfx/MemoryIndexBuffer.h"

#include <cstring>

namespace platform
{

uint32_t MemoryIndexBuffer::Scan(uint32_t first, uint32_t count) const
{
    uint32_t largest = 0;
    if (Desc().Format == FMT_INDEX32)
    {
        const uint8_t* data = Data() + static_cast<size_t>(first) * 4;
        for (uint32_t i = 0; i < count; ++i)
        {
            uint32_t index;
            std::memcpy(&index, data + static_cast<size_t>(i) * 4, 4);
            largest = index > largest ? index : largest;
        }
        return largest;
    }
    const uint8_t* data = Data() + static_cast<size_t>(first) * 2;
    for (uint32_t i = 0; i < count; ++i)
    {
        uint16_t index;
        std::memcpy(&index, data + static_cast<size_t>(i) * 2, 2);
        largest = index > largest ? index : largest;
    }
    return largest;
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
