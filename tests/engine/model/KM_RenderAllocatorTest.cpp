#include "engine/model/KM_RoomAllocator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory_resource>
#include <vector>

namespace
{

// Hands its requests on to the heap and counts the bytes taken, so a test can tell where a list lives.
class CountingRoom : public std::pmr::memory_resource
{
public:
    size_t taken = 0;

private:
    void* do_allocate(size_t bytes, size_t alignment) override
    {
        taken += bytes;
        return std::pmr::new_delete_resource()->allocate(bytes, alignment);
    }
    void do_deallocate(void* at, size_t bytes, size_t alignment) override
    {
        std::pmr::new_delete_resource()->deallocate(at, bytes, alignment);
    }
    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override
    {
        return this == &other;
    }
};

template <typename T> using List = std::vector<T, KM_RenderAllocator<T>>;

} // namespace

// However a list of lists grows, every inner list lives in the outer one's room (it is made as the room's
// ordinary allocator makes it, not left unset); a copy holds the same values on the heap.
TEST(RenderAllocatorTest, ListsOfListsGrowInTheirRoomAndCopiesTakeTheHeap)
{
    const struct
    {
        const char* how;
        void (*grow)(List<List<float>>&);
    } cases[] = {
        {"resized", [](List<List<float>>& lists) { lists.resize(3); }},
        {"emplaced",
         [](List<List<float>>& lists)
         {
             lists.emplace_back();
             lists.emplace_back();
         }},
        {"resized after one was emplaced",
         [](List<List<float>>& lists)
         {
             lists.emplace_back();
             lists.resize(4);
         }},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.how);
        CountingRoom room;
        List<List<float>> lists(&room);
        c.grow(lists);
        ASSERT_FALSE(lists.empty());
        const size_t outer = room.taken;
        EXPECT_GT(outer, 0u);
        float next = 1.0f;
        for (List<float>& inner : lists)
        {
            EXPECT_EQ(inner.get_allocator().resource(), &room);
            inner.resize(5);
            for (float& value : inner)
                value = next++;
        }
        EXPECT_GE(room.taken, outer + lists.size() * 5 * sizeof(float));

        const size_t before = room.taken;
        const List<List<float>> copy(lists);
        EXPECT_EQ(room.taken, before) << "a copy took room from the list it was copied from";
        EXPECT_EQ(copy.get_allocator().resource(), std::pmr::get_default_resource());
        ASSERT_EQ(copy.size(), lists.size());
        for (size_t i = 0; i < copy.size(); ++i)
        {
            EXPECT_EQ(copy[i].get_allocator().resource(), std::pmr::get_default_resource());
            EXPECT_EQ(std::vector<float>(copy[i].begin(), copy[i].end()),
                      std::vector<float>(lists[i].begin(), lists[i].end()));
        }
    }
}

// Values already written survive growth and shrinking; entries grown with a value given take that value.
TEST(RenderAllocatorTest, GrowingKeepsWrittenValuesAndFillsWithAGivenOne)
{
    const struct
    {
        size_t written, grownTo;
    } cases[] = {{0, 1}, {1, 2}, {7, 8}, {8, 9}, {33, 100}, {100, 33}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.written << " grown to " << c.grownTo);
        CountingRoom room;
        List<uint32_t> list(&room);
        list.resize(c.written);
        for (size_t i = 0; i < c.written; ++i)
            list[i] = static_cast<uint32_t>(i * 2654435761u);
        list.resize(c.grownTo);
        ASSERT_EQ(list.size(), c.grownTo);
        for (size_t i = 0; i < std::min(c.written, c.grownTo); ++i)
            ASSERT_EQ(list[i], static_cast<uint32_t>(i * 2654435761u)) << i;
        list.resize(c.grownTo + 5, 0xABCDu);
        for (size_t i = c.grownTo; i < list.size(); ++i)
            EXPECT_EQ(list[i], 0xABCDu) << i;
        EXPECT_EQ(list.get_allocator().resource(), &room);
    }
}

// The file lists' allocator fills what a list grows by, even over room that held other bytes, whichever
// way it grows; only a record made from Unfilled keeps the bytes it lands on.
TEST(RenderAllocatorTest, FileListsFillWhatTheyGrowByOverUsedRoom)
{
    using FileList = std::vector<uint32_t, KM_ListAllocator<uint32_t>>;
    using Unfilled = KM_ListAllocator<uint32_t>::Unfilled;
    const struct
    {
        const char* name;
        void (*grow)(FileList&);
        uint32_t expected;
    } cases[] = {
        {"resize", [](FileList& list) { list.resize(9); }, 0u},
        {"resize with a value", [](FileList& list) { list.resize(9, 7u); }, 7u},
        {"assign", [](FileList& list) { list.assign(9, 0u); }, 0u},
        {"unfilled",
         [](FileList& list)
         {
             KM_ListAllocator<uint32_t> allocator = list.get_allocator();
             list.reserve(9);
             uint32_t* at = list.data();
             for (size_t i = 0; i < 9; ++i)
                 allocator.construct(at + i, Unfilled());
             list.resize(0);
         },
         0xABABABABu},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        alignas(std::max_align_t) unsigned char used[256];
        std::memset(used, 0xAB, sizeof used);
        std::pmr::monotonic_buffer_resource room(used, sizeof used, std::pmr::null_memory_resource());
        FileList list(&room);
        c.grow(list);
        if (list.empty())
        {
            // The unfilled records were made in the room the list reserved: its first bytes.
            uint32_t first;
            std::memcpy(&first, used, sizeof first);
            EXPECT_EQ(first, c.expected);
            continue;
        }
        ASSERT_EQ(list.size(), 9u);
        for (uint32_t value : list)
            EXPECT_EQ(value, c.expected);
    }
}
