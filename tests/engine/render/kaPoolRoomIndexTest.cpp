#include "engine/render/kaPoolRoomIndex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <map>
#include <random>

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

} // namespace
