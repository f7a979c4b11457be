#include "engine/render/kaPoolKeyCounter.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <vector>

namespace
{

using Table = std::map<uint16_t, int>;

// Takes a key and enters it in the table, as the graphics manager does with a new pool.
uint16_t Open(kaPoolKeyCounter& keys, Table& table)
{
    uint16_t key = 0;
    EXPECT_TRUE(keys.Take(table, key));
    EXPECT_EQ(table.count(key), 0u) << "key " << key << " is already held";
    table[key] = 1;
    return key;
}

TEST(kaPoolKeyCounter, KeysComeInTurnAndWrapPastTheLast)
{
    kaPoolKeyCounter keys;
    const Table empty;
    uint16_t key = 0;
    for (uint32_t turn = 0; turn < kaPoolKeyCounter::kKeyCount + 3; ++turn)
    {
        ASSERT_TRUE(keys.Take(empty, key));
        ASSERT_EQ(key, turn % kaPoolKeyCounter::kKeyCount);
    }
}

TEST(kaPoolKeyCounter, SkipsTheKeysTheTableHolds)
{
    const struct
    {
        const char* what;
        uint32_t taken;             // keys taken from an empty table first, to move the counter on
        std::vector<uint16_t> held; // then the table holds these
        std::vector<uint16_t> expected;
    } cases[] = {
        {"a run at the counter", 0, {0, 1, 2, 4}, {3, 5, 6}},
        {"nothing held", 0, {}, {0, 1, 2}},
        {"held keys behind the counter", 10, {0, 1, 2}, {10, 11, 12}},
        {"a run to the last key wraps", 65533, {65533, 65534, 65535, 0, 1}, {2, 3}},
        {"the last key free", 65534, {65534, 0}, {65535, 1, 2}},
        {"the counter wrapped onto held keys", 65536, {0, 1, 5}, {2, 3, 4, 6}},
    };
    for (const auto& c : cases)
    {
        kaPoolKeyCounter keys;
        const Table empty;
        uint16_t key = 0;
        for (uint32_t i = 0; i < c.taken; ++i)
            ASSERT_TRUE(keys.Take(empty, key));
        Table table;
        for (uint16_t held : c.held)
            table[held] = 1;
        std::vector<uint16_t> got;
        for (size_t i = 0; i < c.expected.size(); ++i)
            got.push_back(Open(keys, table));
        EXPECT_EQ(got, c.expected) << c.what;
    }
}

TEST(kaPoolKeyCounter, RefusesOnlyWhileEveryKeyIsHeld)
{
    kaPoolKeyCounter keys;
    Table table;
    for (uint32_t i = 0; i < kaPoolKeyCounter::kKeyCount; ++i)
        ASSERT_EQ(Open(keys, table), i);

    uint16_t key = 4321;
    EXPECT_FALSE(keys.Take(table, key));
    EXPECT_EQ(key, 4321) << "a refusal leaves the key alone";

    // Any freed key serves the next request, wherever the counter stands.
    for (const uint16_t freed : {uint16_t(0), uint16_t(1234), uint16_t(65535)})
    {
        table.erase(freed);
        EXPECT_EQ(Open(keys, table), freed);
        EXPECT_FALSE(keys.Take(table, key));
    }
}

TEST(kaPoolKeyCounter, AChurnFarPastTheKeySpaceNeverHandsOutAHeldKey)
{
    // Pools opened and freed in a shuffled order with up to a few thousand alive at once, as courses
    // and editor loads come and go; some pools live through the whole run.
    std::mt19937 random(7);
    kaPoolKeyCounter keys;
    Table table;
    std::vector<uint16_t> alive;
    const std::vector<uint16_t> longLived = {Open(keys, table), Open(keys, table), Open(keys, table)};
    uint32_t wraps = 0;
    uint16_t last = longLived.back();
    for (int step = 0; step < 300000; ++step)
    {
        const bool open = alive.empty() || (alive.size() < 3000 && random() % 2 == 0);
        if (open)
        {
            const uint16_t key = Open(keys, table);
            ASSERT_FALSE(HasFailure()) << "step " << step;
            if (key < last)
                ++wraps;
            last = key;
            alive.push_back(key);
        }
        else
        {
            const size_t at = random() % alive.size();
            table.erase(alive[at]);
            alive[at] = alive.back();
            alive.pop_back();
        }
    }
    EXPECT_GE(wraps, 2u);
    for (uint16_t key : longLived)
        EXPECT_EQ(table.count(key), 1u);
}

} // namespace
