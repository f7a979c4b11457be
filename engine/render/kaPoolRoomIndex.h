#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The room left in each pool of one kind (vertex format and memory pool), by pool key, so that the first
// pool in key order with room for a run is found without walking every pool: a program with tens of
// thousands of pools (a large terrain) would otherwise walk them all for every run it asks for.
class kaPoolRoomIndex
{
public:
    // A room of 0 takes the key out.
    void Set(uint16_t key, uint32_t room);
    // The lowest key whose room is at least count (count above 0); -1 when none has.
    int32_t FindFirst(uint32_t count) const;
    uint32_t GetRoom(uint16_t key) const;

private:
    // Children per node: sixteen rooms fill one cache line, so a search over every key a handle can carry
    // reads four lines rather than sixteen.
    static constexpr size_t kFanOut = 16;

    // Leaves for the keys from base on, the base a multiple of kFanOut; a kind whose pools all went starts
    // again at the next key it is given. Pool keys come in turn, so the keys alive at once lie close
    // together while the counter sweeps the whole key space: covering only those keeps the tree shallow and
    // its few lines warm.
    void _Restart(uint16_t key);
    // Leaves from the new base on (at most the current base) covering the key, every room kept at its key.
    void _Cover(uint32_t base, uint16_t key);

    // A max-tree over the keys, level 0 the rooms by key and each level above the largest of each run of
    // kFanOut below it; the top level (m_Depth - 1) has kFanOut entries at most. Levels past the depth keep
    // their storage for the next growth.
    std::vector<std::vector<uint32_t>> m_Levels;
    size_t m_Depth = 0;
    uint32_t m_Base = 0;
    // Keys whose room is above 0.
    size_t m_Held = 0;
};
