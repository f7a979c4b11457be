#include "engine/render/kaPoolRoomIndex.h"

#include <algorithm>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{

// The largest of a node's children.
uint32_t LargestOf(const uint32_t* children, size_t count)
{
    uint32_t largest = 0;
    for (size_t i = 0; i < count; ++i)
        largest = std::max(largest, children[i]);
    return largest;
}

// Entries compared at once: one node's children.
constexpr size_t kBlock = 16;

// A bit per entry of a block that holds the run.
uint32_t HoldingMask(const uint32_t* entries, uint32_t run)
{
#if defined(__SSE2__)
    // Unsigned order through signed compares: both sides moved by the sign bit.
    const __m128i bias = _mm_set1_epi32(INT32_MIN);
    const __m128i wanted = _mm_xor_si128(_mm_set1_epi32(static_cast<int32_t>(run)), bias);
    uint32_t below = 0;
    for (size_t quad = 0; quad < kBlock / 4; ++quad)
    {
        const __m128i room =
            _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + 4 * quad)), bias);
        below |= static_cast<uint32_t>(_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(wanted, room))))
                 << (4 * quad);
    }
    return ~below & ((1u << kBlock) - 1);
#else
    uint32_t mask = 0;
    for (size_t i = 0; i < kBlock; ++i)
        mask |= static_cast<uint32_t>(entries[i] >= run) << i;
    return mask;
#endif
}

// The first of count entries holding at least the run; count when none does. Whole blocks are compared
// at once, as every search of the tree looks through a full node at each level.
size_t FirstHolding(const uint32_t* entries, size_t count, uint32_t run)
{
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock)
        if (const uint32_t mask = HoldingMask(entries + i, run))
            return i + static_cast<size_t>(__builtin_ctz(mask));
    while (i < count && entries[i] < run)
        ++i;
    return i;
}

} // namespace

void kaPoolRoomIndex::Set(uint16_t key, uint32_t room)
{
    const size_t leaves = m_Levels.empty() ? 0 : m_Levels.front().size();
    if (key >= leaves)
    {
        if (room == 0)
            return;
        // Grown by whole levels, so a program with few pools keeps a small tree.
        size_t grown = std::max(leaves, kFanOut);
        while (grown <= key)
            grown *= kFanOut;
        std::vector<uint32_t> rooms(grown, 0);
        if (leaves > 0)
            std::copy(m_Levels.front().begin(), m_Levels.front().end(), rooms.begin());
        m_Levels.clear();
        m_Levels.push_back(std::move(rooms));
        while (m_Levels.back().size() > kFanOut)
        {
            const std::vector<uint32_t>& below = m_Levels.back();
            std::vector<uint32_t> above(below.size() / kFanOut);
            for (size_t i = 0; i < above.size(); ++i)
                above[i] = LargestOf(&below[i * kFanOut], kFanOut);
            m_Levels.push_back(std::move(above));
        }
    }
    size_t at = key;
    uint32_t before = m_Levels.front()[at];
    uint32_t after = room;
    m_Levels.front()[at] = room;
    // A node changes only when its child rose above it, or when the child that was its largest fell; the
    // climb stops at the first node that keeps its value.
    for (size_t level = 1; level < m_Levels.size(); ++level)
    {
        const size_t node = at / kFanOut;
        uint32_t& largest = m_Levels[level][node];
        const uint32_t was = largest;
        if (after > was)
            largest = after;
        else if (after < before && before == was)
            largest = LargestOf(&m_Levels[level - 1][node * kFanOut], kFanOut);
        if (largest == was)
            break;
        before = was;
        after = largest;
        at = node;
    }
}

int32_t kaPoolRoomIndex::FindFirst(uint32_t count) const
{
    if (m_Levels.empty() || count == 0)
        return -1;
    const std::vector<uint32_t>& top = m_Levels.back();
    size_t at = FirstHolding(top.data(), top.size(), count);
    if (at == top.size())
        return -1;
    // Each node's largest room holds the run, so one of its children does: the first such, level by level.
    for (size_t level = m_Levels.size() - 1; level-- > 0;)
        at = at * kFanOut + FirstHolding(&m_Levels[level][at * kFanOut], kFanOut, count);
    return int32_t(at);
}

uint32_t kaPoolRoomIndex::GetRoom(uint16_t key) const
{
    return !m_Levels.empty() && key < m_Levels.front().size() ? m_Levels.front()[key] : 0;
}
