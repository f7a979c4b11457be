#include "engine/model/KM_ListRoom.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory_resource>
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
