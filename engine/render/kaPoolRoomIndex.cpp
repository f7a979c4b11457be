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

void kaPoolRoomIndex::_Restart(uint16_t key)
{
    // Every room is 0 here, so the storage already reads as an empty tree.
    if (m_Levels.empty())
        m_Levels.emplace_back();
    m_Levels.front().assign(kFanOut, 0);
    m_Depth = 1;
    m_Base = key & ~uint32_t(kFanOut - 1);
}

void kaPoolRoomIndex::_Cover(uint32_t base, uint16_t key)
{
    std::vector<uint32_t>& leaves = m_Levels.front();
    const size_t shift = m_Base - base;
    // The leaves that hold a room, moved up by the shift, and the new key must fit.
    size_t used = leaves.size();
    while (used > 0 && leaves[used - 1] == 0)
        --used;
    const size_t needed = std::max(used + shift, size_t(key - base) + 1);
    // Grown by whole levels, so a kind with few pools keeps a small tree.
    size_t grown = kFanOut;
    while (grown < needed)
        grown *= kFanOut;
    leaves.resize(std::max(grown, leaves.size()), 0);
    if (shift > 0)
    {
        std::copy_backward(leaves.begin(), leaves.begin() + used, leaves.begin() + used + shift);
        std::fill_n(leaves.begin(), shift, 0);
    }
    leaves.resize(grown);
    m_Base = base;
    size_t depth = 1;
    for (size_t size = grown; size > kFanOut; ++depth)
    {
        size /= kFanOut;
        if (m_Levels.size() <= depth)
            m_Levels.emplace_back();
        const std::vector<uint32_t>& below = m_Levels[depth - 1];
        std::vector<uint32_t>& above = m_Levels[depth];
        above.resize(size);
        for (size_t i = 0; i < size; ++i)
            above[i] = LargestOf(&below[i * kFanOut], kFanOut);
    }
    m_Depth = depth;
}

void kaPoolRoomIndex::Set(uint16_t key, uint32_t room)
{
    if (m_Held == 0)
    {
        if (room == 0)
            return;
        _Restart(key);
    }
    if (key < m_Base || key - m_Base >= m_Levels.front().size())
    {
        if (room == 0)
            return;
        _Cover(std::min(m_Base, uint32_t(key) & ~uint32_t(kFanOut - 1)), key);
    }
    size_t at = key - m_Base;
    uint32_t before = m_Levels.front()[at];
    uint32_t after = room;
    m_Levels.front()[at] = room;
    if (before == 0 && room != 0)
        ++m_Held;
    else if (before != 0 && room == 0)
        --m_Held;
    // A node changes only when its child rose above it, or when the child that was its largest fell; the
    // climb stops at the first node that keeps its value.
    for (size_t level = 1; level < m_Depth; ++level)
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
    if (m_Held == 0 || count == 0)
        return -1;
    const std::vector<uint32_t>& top = m_Levels[m_Depth - 1];
    size_t at = FirstHolding(top.data(), top.size(), count);
    if (at == top.size())
        return -1;
    // Each node's largest room holds the run, so one of its children does: the first such, level by level.
    for (size_t level = m_Depth - 1; level-- > 0;)
        at = at * kFanOut + FirstHolding(&m_Levels[level][at * kFanOut], kFanOut, count);
    return int32_t(m_Base + at);
}

uint32_t kaPoolRoomIndex::GetRoom(uint16_t key) const
{
    if (m_Held == 0 || key < m_Base || key - m_Base >= m_Levels.front().size())
        return 0;
    return m_Levels.front()[key - m_Base];
}
