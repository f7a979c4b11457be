#include "engine/render/kaPoolRoomIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <vector>

namespace
{

// The first key whose room holds the count, found by walking every key as the pools used to be walked.
int32_t WalkedFirst(const std::map<uint16_t, uint32_t>& rooms, uint32_t count)
{
    for (const auto& [key, room] : rooms)
        if (room >= count)
            return key;
    return -1;
}

TEST(kaPoolRoomIndex, FindsTheLowestKeyWithRoomForTheCount)
{
    const struct
    {
        std::map<uint16_t, uint32_t> rooms;
        uint32_t count;
        int32_t first;
    } cases[] = {
        {{}, 1, -1},
        {{{0, 10}}, 10, 0},
        {{{0, 10}}, 11, -1},
        {{{0, 5}, {1, 20}, {2, 30}}, 6, 1},
        {{{0, 5}, {1, 20}, {2, 30}}, 21, 2},
        {{{3, 7}, {40, 9}, {41, 100}}, 8, 40},
        {{{0, 0}, {17, 1}}, 1, 17},
        {{{0, 50}, {65535, 60}}, 55, 65535}, // the last key a handle can carry
        {{{2, 4}}, 0, -1},                   // no run is empty
        // Rooms past the sign bit still order as the unsigned counts they are.
        {{{0, 0x7FFFFFFF}, {1, 0x80000000}, {2, 0xFFFFFFFF}}, 0x80000000, 1},
        {{{0, 0x7FFFFFFF}, {1, 0x80000000}, {2, 0xFFFFFFFF}}, 0xFFFFFFFF, 2},
        {{{5, 0xFFFFFFFF}}, 1, 5},
    };
    for (const auto& c : cases)
    {
        kaPoolRoomIndex index;
        for (const auto& [key, room] : c.rooms)
            index.Set(key, room);
        EXPECT_EQ(index.FindFirst(c.count), c.first) << c.count;
    }
}

TEST(kaPoolRoomIndex, ShrinkingAndRemovedRoomsAreForgotten)
{
    kaPoolRoomIndex index;
    index.Set(1, 100);
    index.Set(9, 100);
    index.Set(1, 30);
    EXPECT_EQ(index.FindFirst(50), 9);
    EXPECT_EQ(index.FindFirst(30), 1);
    index.Set(1, 0);
    EXPECT_EQ(index.FindFirst(30), 9);
    EXPECT_EQ(index.GetRoom(1), 0u);
    index.Set(9, 0);
    EXPECT_EQ(index.FindFirst(1), -1);
    index.Set(5000, 0); // removing a key never set changes nothing
    EXPECT_EQ(index.FindFirst(1), -1);
}

// Keys on either side of each point where the index grows by a level, set in rising and falling order.
TEST(kaPoolRoomIndex, KeysAtEachGrowthBoundaryAreFoundInOrder)
{
    const uint16_t keys[] = {0, 15, 16, 255, 256, 4095, 4096, 65535};
    for (const bool rising : {true, false})
    {
        kaPoolRoomIndex index;
        std::map<uint16_t, uint32_t> rooms;
        for (size_t i = 0; i < std::size(keys); ++i)
        {
            const uint16_t key = rising ? keys[i] : keys[std::size(keys) - 1 - i];
            // Later keys have more room, so each count has its own first key.
            const uint32_t room =
                10 * (1 + uint32_t(std::find(std::begin(keys), std::end(keys), key) - keys));
            index.Set(key, room);
            rooms[key] = room;
        }
        for (uint32_t count = 1; count <= 90; count += 7)
            EXPECT_EQ(index.FindFirst(count), WalkedFirst(rooms, count))
                << count << (rising ? " rising" : "");
        for (const uint16_t key : keys)
        {
            EXPECT_EQ(index.GetRoom(key), rooms[key]);
            index.Set(key, 0);
            rooms[key] = 0;
            EXPECT_EQ(index.FindFirst(1), WalkedFirst(rooms, 1)) << key;
        }
    }
}

// Growing the index past its size keeps every room set before.
TEST(kaPoolRoomIndex, AgreesWithAWalkOverEveryKeyAsItGrows)
{
    std::mt19937 random(7);
    kaPoolRoomIndex index;
    std::map<uint16_t, uint32_t> rooms;
    for (int step = 0; step < 20000; ++step)
    {
        const uint16_t key = uint16_t(random() % (step < 10000 ? 300 : 65536));
        const uint32_t room = random() % 4 == 0 ? 0 : random() % 2000;
        index.Set(key, room);
        rooms[key] = room;
        const uint32_t count = 1 + random() % 2000;
        ASSERT_EQ(index.FindFirst(count), WalkedFirst(rooms, count)) << step;
        ASSERT_EQ(index.GetRoom(key), room);
    }
}

// An index emptied and filled again far along the key space, or given keys below the ones it holds, still
// finds the lowest key with room and keeps every room at its key.
TEST(kaPoolRoomIndex, KeysFarFromAndBelowTheHeldOnesKeepKeyOrder)
{
    struct Step
    {
        uint16_t key;
        uint32_t room;
    };
    const struct
    {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"emptied, then far along", {{3, 50}, {3, 0}, {40000, 20}, {40017, 70}, {40001, 30}}},
        {"below the held keys", {{50000, 40}, {50001, 10}, {7, 25}, {49999, 60}, {0, 5}}},
        {"wrapped past the last key", {{65530, 30}, {65535, 80}, {0, 20}, {1, 90}, {65535, 0}}},
        {"the lowest key then the highest", {{0, 10}, {65535, 30}, {0, 0}, {4096, 20}}},
        {"a held key kept while others come and go",
         {{300, 90}, {301, 10}, {301, 0}, {5000, 30}, {5000, 0}, {60000, 50}, {299, 15}}},
        {"emptied below the base", {{9000, 40}, {200, 30}, {9000, 0}, {200, 0}, {100, 0}, {100, 12}}},
        {"a room removed for a key never held", {{20000, 40}, {19999, 0}, {40000, 0}, {20000, 35}}},
    };
    for (const auto& c : cases)
    {
        kaPoolRoomIndex index;
        std::map<uint16_t, uint32_t> rooms;
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            index.Set(c.steps[i].key, c.steps[i].room);
            rooms[c.steps[i].key] = c.steps[i].room;
            for (const uint32_t count : {1u, 11u, 21u, 26u, 31u, 41u, 51u, 61u, 71u, 81u, 91u})
                EXPECT_EQ(index.FindFirst(count), WalkedFirst(rooms, count))
                    << c.what << ", step " << i << ", count " << count;
            for (const auto& [key, room] : rooms)
                EXPECT_EQ(index.GetRoom(key), room) << c.what << ", step " << i << ", key " << key;
        }
    }
}

// Keys given in turn as the graphics manager gives them, loads after loads far past the last key, with a
// few pools that outlive many loads: the index agrees with a walk at every step.
TEST(kaPoolRoomIndex, AgreesWithAWalkAsKeysComeInTurnPastTheLastKey)
{
    std::mt19937 random(11);
    kaPoolRoomIndex index;
    // Only keys with room, so that every step can check them all.
    std::map<uint16_t, uint32_t> rooms;
    const auto set = [&](uint16_t key, uint32_t room)
    {
        index.Set(key, room);
        if (room != 0)
            rooms[key] = room;
        else
            rooms.erase(key);
        EXPECT_EQ(index.GetRoom(key), room) << key;
    };
    uint32_t next = 0;
    uint32_t wraps = 0;
    for (int load = 0; load < 3000; ++load)
    {
        std::vector<uint16_t> opened;
        const uint32_t pools = 1 + random() % 40;
        for (uint32_t i = 0; i < pools; ++i)
        {
            const uint16_t key = uint16_t(next);
            next = (next + 1 + (random() % 8 == 0 ? random() % 300 : 0)) % 0x10000;
            wraps += next < key;
            if (rooms.count(key))
                continue; // still held by a pool kept from earlier
            set(key, 1 + random() % 1000);
            opened.push_back(key);
            const uint32_t count = 1 + random() % 1000;
            ASSERT_EQ(index.FindFirst(count), WalkedFirst(rooms, count)) << "load " << load;
        }
        // Runs taken from the pools shrink their rooms.
        for (const uint16_t key : opened)
        {
            set(key, rooms.count(key) ? rooms[key] - random() % (rooms[key] + 1) : 0);
            const uint32_t count = 1 + random() % 1000;
            ASSERT_EQ(index.FindFirst(count), WalkedFirst(rooms, count)) << "load " << load;
        }
        // The load goes; now and then one pool stays for many loads, and kept ones go at last.
        for (const uint16_t key : opened)
            if (random() % 50 != 0)
                set(key, 0);
        if (random() % 20 == 0)
        {
            std::vector<uint16_t> kept;
            for (const auto& held : rooms)
                kept.push_back(held.first);
            for (const uint16_t key : kept)
                if (random() % 2 == 0)
                    set(key, 0);
        }
        for (const uint32_t count : {1u, 500u, 1000u})
            ASSERT_EQ(index.FindFirst(count), WalkedFirst(rooms, count)) << "load " << load;
        for (const auto& [key, room] : rooms)
            ASSERT_EQ(index.GetRoom(key), room) << "load " << load << ", key " << key;
        ASSERT_FALSE(HasFailure()) << "load " << load;
    }
    EXPECT_GE(wraps, 2u);
}

} // namespace
