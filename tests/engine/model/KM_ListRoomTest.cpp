#include "engine/model/KM_ListRoom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <memory_resource>
#include <thread>
#include <utility>
#include <vector>

namespace
{

struct Request
{
    size_t bytes, alignment;
};

// Every request gets room of its own, aligned as asked and kept intact by the requests after it; the
// requests that fit what was reserved are carved one after another from one block, the rest are not.
void ExpectRoomAfterReserve(KM_ListRoom& room, size_t reserved, const std::vector<Request>& requests)
{
    room.Reserve(reserved);
    std::vector<std::pair<unsigned char*, size_t>> given;
    size_t carved = 0;
    for (size_t i = 0; i < requests.size(); ++i)
    {
        auto* at = static_cast<unsigned char*>(room.allocate(requests[i].bytes, requests[i].alignment));
        ASSERT_NE(at, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(at) % requests[i].alignment, 0u) << "request " << i;
        std::memset(at, static_cast<int>(i + 1), requests[i].bytes);
        given.emplace_back(at, requests[i].bytes);
        // Carved room runs on from the request before it, at most the alignment's padding apart.
        const bool fits = carved + requests[i].bytes <= reserved;
        if (i > 0 && fits && carved > 0)
        {
            const unsigned char* end = given[i - 1].first + given[i - 1].second;
            EXPECT_GE(at, end) << "request " << i;
            EXPECT_LT(at, end + requests[i].alignment) << "request " << i;
        }
        if (fits)
            carved += requests[i].bytes;
    }
    for (size_t i = 0; i < given.size(); ++i)
        for (size_t b = 0; b < given[i].second; ++b)
            ASSERT_EQ(given[i].first[b], static_cast<unsigned char>(i + 1))
                << "request " << i << " byte " << b;
    // Given back in any order: carved room stays with its block, the rest goes back to the heap (a
    // sanitized run reports a wrong free).
    for (size_t i = given.size(); i-- > 0;)
        room.deallocate(given[i].first, requests[i].bytes, requests[i].alignment);
}

} // namespace

TEST(ListRoomTest, ReservedRoomIsCarvedInOrderAndTheRestComesFromTheHeap)
{
    const struct
    {
        const char* name;
        size_t reserved;
        std::vector<Request> requests;
    } cases[] = {
        {"all fit", 256, {{12, 4}, {48, 4}, {16, 8}, {4, 4}, {64, 16}}},
        {"last spills", 64, {{16, 4}, {16, 4}, {16, 4}, {40, 4}}},
        {"first too large", 16, {{32, 4}, {8, 4}, {8, 8}}},
        {"nothing reserved", 0, {{1, 1}, {24, 8}, {3, 1}}},
        {"odd sizes and alignments", 200, {{1, 1}, {7, 4}, {3, 2}, {33, 16}, {5, 8}, {90, 4}}},
        {"empty request", 32, {{0, 1}, {8, 4}, {0, 8}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        KM_ListRoom room;
        ExpectRoomAfterReserve(room, c.reserved, c.requests);
        // Released and reserved again, the room serves as new.
        room.Release();
        ExpectRoomAfterReserve(room, c.reserved, c.requests);
    }
    KM_ListRoom room, other;
    EXPECT_TRUE(room.is_equal(room));
    EXPECT_FALSE(room.is_equal(other));
}

// Lists grown past their reservation, or filled again and again, move to the heap and give it back, while
// the lists carved before them keep their values.
TEST(ListRoomTest, ListsGrownPastTheReservationKeepEveryValue)
{
    KM_ListRoom room;
    room.Reserve(64 * sizeof(uint32_t) + 2 * alignof(std::max_align_t));
    std::pmr::vector<uint32_t> first(&room), second(&room);
    first.reserve(32);
    second.reserve(32);
    for (uint32_t i = 0; i < 32; ++i)
        first.push_back(i);
    for (int round = 0; round < 50; ++round)
    {
        second.clear();
        second.shrink_to_fit();
        for (uint32_t i = 0; i < 1000; ++i)
            second.push_back(i * 3u + static_cast<uint32_t>(round));
        ASSERT_EQ(second[999], 999u * 3u + static_cast<uint32_t>(round));
    }
    for (uint32_t i = 0; i < 32; ++i)
        ASSERT_EQ(first[i], i);
}

namespace
{

// Fills a list carved from the room with values only this list holds.
void FillList(std::pmr::vector<uint32_t>& list, size_t count, uint32_t seed)
{
    list.reserve(count);
    for (size_t i = 0; i < count; ++i)
        list.push_back(seed + static_cast<uint32_t>(i) * 7u);
}

bool ListHolds(const std::pmr::vector<uint32_t>& list, size_t count, uint32_t seed)
{
    if (list.size() != count)
        return false;
    for (size_t i = 0; i < count; ++i)
        if (list[i] != seed + static_cast<uint32_t>(i) * 7u)
            return false;
    return true;
}

} // namespace

// A room's blocks go to the next room on the thread once released, never while the room still has them:
// rooms alive at once keep their own lists whatever order they are reserved and released in.
TEST(ListRoomTest, RoomsAliveAtOnceKeepTheirOwnListsWhileBlocksMoveOn)
{
    const struct
    {
        const char* name;
        size_t firstCount, secondCount;
    } cases[] = {
        {"same sizes", 100, 100},
        {"second larger", 40, 300},
        {"second smaller", 300, 40},
        {"single values", 1, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A thread of its own starts with nothing kept.
        std::thread(
            [&c]
            {
                for (int round = 0; round < 3; ++round)
                {
                    auto first = std::make_unique<KM_ListRoom>();
                    auto second = std::make_unique<KM_ListRoom>();
                    first->Reserve(c.firstCount * sizeof(uint32_t));
                    std::pmr::vector<uint32_t> a(first.get());
                    FillList(a, c.firstCount, 1000u + static_cast<uint32_t>(round));
                    second->Reserve(c.secondCount * sizeof(uint32_t));
                    std::pmr::vector<uint32_t> b(second.get());
                    FillList(b, c.secondCount, 5000u + static_cast<uint32_t>(round));
                    const uint32_t* const aAt = a.data();
                    const uint32_t* const bAt = b.data();
                    EXPECT_TRUE(aAt + c.firstCount <= bAt || bAt + c.secondCount <= aAt);

                    // The first room's block goes on to a third room while the second still holds its lists.
                    a = std::pmr::vector<uint32_t>(first.get());
                    first->Release();
                    KM_ListRoom third;
                    third.Reserve(c.firstCount * sizeof(uint32_t));
                    std::pmr::vector<uint32_t> d(&third);
                    FillList(d, c.firstCount, 9000u);
                    EXPECT_EQ(d.data(), aAt) << "a released block is taken again";
                    EXPECT_TRUE(ListHolds(b, c.secondCount, 5000u + static_cast<uint32_t>(round)));
                    EXPECT_TRUE(ListHolds(d, c.firstCount, 9000u));
                    b = std::pmr::vector<uint32_t>(second.get());
                    d = std::pmr::vector<uint32_t>(&third);
                    second.reset();
                    first.reset();
                }
            })
            .join();
    }
}

// A kept block is taken only by a room asking for about its size: a small list does not hold a block many
// times larger, and a list larger than the block gets a new one.
TEST(ListRoomTest, KeptBlocksGoOnlyToRoomsOfAboutTheirSize)
{
    const struct
    {
        const char* name;
        size_t keptBytes, askedBytes;
        bool taken;
    } cases[] = {
        {"same", 64 * 1024, 64 * 1024, true},
        {"a little smaller", 64 * 1024, 48 * 1024, true},
        {"far smaller", 64 * 1024, 1024, false},
        {"larger", 64 * 1024, 64 * 1024 + 16, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // A thread of its own starts with nothing kept.
        bool taken = !c.taken;
        std::thread(
            [&]
            {
                const void* keptAt = nullptr;
                {
                    KM_ListRoom room;
                    room.Reserve(c.keptBytes);
                    keptAt = room.allocate(16, 16);
                    room.Release();
                }
                KM_ListRoom room;
                room.Reserve(c.askedBytes);
                taken = room.allocate(16, 16) == keptAt;
            })
            .join();
        EXPECT_EQ(taken, c.taken);
    }
}

// A room released on a thread that then ends leaves nothing behind (a sanitized run reports a leak).
TEST(ListRoomTest, BlocksKeptOnAThreadGoWithIt)
{
    std::vector<uint32_t> seen;
    std::thread worker(
        [&seen]
        {
            for (int round = 0; round < 4; ++round)
            {
                KM_ListRoom room;
                room.Reserve(256 * sizeof(uint32_t));
                std::pmr::vector<uint32_t> list(&room);
                FillList(list, 256, static_cast<uint32_t>(round));
                seen.push_back(list[255]);
            }
        });
    worker.join();
    ASSERT_EQ(seen.size(), 4u);
    for (uint32_t round = 0; round < 4; ++round)
        EXPECT_EQ(seen[round], round + 255u * 7u);
}
