#include "engine/render/kaPoolRoomIndex.h"

#include <gtest/gtest.h>

#include <cstdint>
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
