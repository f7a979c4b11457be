#pragma once

#include <cstdint>

// Hands out the 16-bit keys of one pool table in turn, wrapping past the last and skipping keys the table
// still holds. A long session opens and frees far more pools than there are keys (every course load makes
// its buffers again), so freed keys must come back; taking them in turn brings a key back as late as
// possible, which keeps a handle kept past its release from meeting a new pool soon.
class kaPoolKeyCounter
{
public:
    static constexpr uint32_t kKeyCount = 0x10000;

    // The next key in turn that the table (ordered by key) does not hold; false, with the counter and key
    // unchanged, when it holds every key.
    template <class Table> bool Take(const Table& table, uint16_t& key)
    {
        if (table.size() >= kKeyCount)
            return false;
        uint32_t candidate = m_Next;
        auto held = table.lower_bound(static_cast<uint16_t>(candidate));
        while (held != table.end() && held->first == candidate)
        {
            ++held;
            ++candidate;
        }
        if (candidate == kKeyCount)
        {
            // Every key from the counter on is held: a free one lies before it.
            candidate = 0;
            for (held = table.begin(); held != table.end() && held->first == candidate; ++held)
                ++candidate;
        }
        key = static_cast<uint16_t>(candidate);
        m_Next = (candidate + 1) % kKeyCount;
        return true;
    }

private:
    uint32_t m_Next = 0;
};
