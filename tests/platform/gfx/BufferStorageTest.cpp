#include "platform/gfx/BufferStorage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

using namespace platform;

namespace
{

struct Write
{
    uint32_t offset, size;
    uint8_t value;
    // LOCK_DISCARD: the writer fills the range whole, so what the lock shows before is not looked at.
    uint32_t flags = 0;
};

// Every byte a lock hands out or the buffer gives its readers is what was last written there, or zero;
// bytes no lock has reached are not cleared until a reader asks for the whole buffer. A discarding lock
// leaves its own range to the writer, but the gap before it and what follows still read as zero.
TEST(BufferStorageTest, UnwrittenBytesReadAsZeroAndAreClearedOnlyWhenReached)
{
    const struct
    {
        const char* name;
        uint32_t size;
        std::vector<Write> writes;
        uint32_t clearedAfterWrites;
    } cases[] = {
        {"nothing written", 64, {}, 0},
        {"a run at the start", 4096, {{0, 96, 0xA1}}, 96},
        {"a run past a gap", 4096, {{128, 32, 0xB2}}, 160},
        {"two runs in order", 4096, {{0, 40, 0x11}, {40, 40, 0x22}}, 80},
        {"a later run first", 4096, {{200, 8, 0x33}, {16, 8, 0x44}}, 208},
        {"the whole buffer", 256, {{0, 0, 0x55}}, 256},
        {"a discarded run at the start", 4096, {{0, 96, 0xA1, LOCK_DISCARD}}, 96},
        {"a discarded run past a gap", 4096, {{128, 32, 0xB2, LOCK_DISCARD}}, 160},
        {"discarded runs in order", 4096, {{0, 40, 0x11, LOCK_DISCARD}, {40, 40, 0x22, LOCK_DISCARD}}, 80},
        {"a discarded run over a written one", 4096, {{0, 40, 0x11}, {20, 40, 0x22, LOCK_DISCARD}}, 60},
        {"a plain run after a discarded one", 4096, {{0, 16, 0x66, LOCK_DISCARD}, {32, 8, 0x77}}, 40},
        {"a discarded run before a later one", 4096, {{200, 8, 0x33}, {16, 8, 0x44, LOCK_DISCARD}}, 208},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        BufferStorage storage(c.size);
        std::vector<uint8_t> expected(c.size, 0);
        for (const Write& w : c.writes)
        {
            void* data = nullptr;
            ASSERT_EQ(storage.Lock(w.offset, w.size, &data, w.flags), GFX_OK);
            const uint32_t size = w.size == 0 ? c.size - w.offset : w.size;
            // What the lock shows before the write: earlier writes, otherwise zero.
            if (!(w.flags & LOCK_DISCARD))
            {
                ASSERT_EQ(std::memcmp(data, expected.data() + w.offset, size), 0);
            }
            std::memset(data, w.value, size);
            std::memset(expected.data() + w.offset, w.value, size);
            bool last = false;
            uint32_t begin = 0, end = 0;
            ASSERT_EQ(storage.Unlock(&last, &begin, &end), GFX_OK);
            EXPECT_TRUE(last);
            EXPECT_EQ(begin, w.offset);
            EXPECT_EQ(end, w.offset + size);
        }
        EXPECT_EQ(storage.ClearedBytes(), c.clearedAfterWrites);
        // A read-only lock of the whole buffer and the buffer's readers see the same bytes.
        void* whole = nullptr;
        ASSERT_EQ(storage.Lock(0, 0, &whole, LOCK_READONLY), GFX_OK);
        EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(whole), static_cast<uint8_t*>(whole) + c.size),
                  expected);
        bool last = false;
        uint32_t begin = 0, end = 0;
        ASSERT_EQ(storage.Unlock(&last, &begin, &end), GFX_OK);
        EXPECT_EQ(std::vector<uint8_t>(storage.Data(), storage.Data() + storage.Size()), expected);
        EXPECT_EQ(storage.ClearedBytes(), c.size);
    }
}

TEST(BufferStorageTest, ReadersClearWhatNoLockReached)
{
    BufferStorage storage(512);
    void* data = nullptr;
    ASSERT_EQ(storage.Lock(8, 8, &data, 0), GFX_OK);
    std::memset(data, 0x7F, 8);
    bool last = false;
    uint32_t begin = 0, end = 0;
    ASSERT_EQ(storage.Unlock(&last, &begin, &end), GFX_OK);
    EXPECT_EQ(storage.ClearedBytes(), 16u);
    const uint8_t* bytes = storage.Data();
    for (uint32_t i = 0; i < storage.Size(); ++i)
        ASSERT_EQ(bytes[i], i >= 8 && i < 16 ? 0x7F : 0) << "byte " << i;
    // Past the end is still refused, and refusing clears nothing new.
    BufferStorage fresh(64);
    EXPECT_EQ(fresh.Lock(60, 8, &data, 0), GFXERR_INVALIDCALL);
    EXPECT_EQ(fresh.ClearedBytes(), 0u);
}

// Fills the whole storage with one value through a plain lock.
void FillWith(BufferStorage& storage, uint8_t value)
{
    void* data = nullptr;
    ASSERT_EQ(storage.Lock(0, 0, &data, 0), GFX_OK);
    std::memset(data, value, storage.Size());
    bool last = false;
    uint32_t begin = 0, end = 0;
    ASSERT_EQ(storage.Unlock(&last, &begin, &end), GFX_OK);
}

// A storage made after others were dropped may get one of their blocks: whatever size it asks for and however
// it is locked, it shows only zero and its own writes, never the dropped storages' bytes.
TEST(BufferStorageTest, AStorageMadeAfterOthersDroppedShowsNoneOfTheirBytes)
{
    const struct
    {
        const char* name;
        std::vector<uint32_t> dropped;
        uint32_t size;
        Write write;
    } cases[] = {
        {"the same size, read whole", {65536}, 65536, {0, 0, 0, LOCK_READONLY}},
        {"the same size, a plain run past a gap", {65536}, 65536, {4096, 64, 0x21}},
        {"the same size, a discarded run past a gap", {65536}, 65536, {4096, 64, 0x31, LOCK_DISCARD}},
        {"a little smaller", {65536}, 65520, {0, 24, 0x41, LOCK_DISCARD}},
        {"larger than any dropped", {4096, 8192}, 16384, {100, 10, 0x51}},
        {"much smaller", {65536}, 96, {8, 8, 0x61}},
        {"one of several sizes", {65520, 65536, 4096, 65536}, 65536, {65500, 36, 0x71}},
        {"an odd size", {1001}, 999, {998, 1, 0x81, LOCK_DISCARD}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        {
            std::vector<std::unique_ptr<BufferStorage>> earlier;
            for (uint32_t size : c.dropped)
            {
                earlier.push_back(std::make_unique<BufferStorage>(size));
                FillWith(*earlier.back(), 0xEE);
            }
        }
        BufferStorage storage(c.size);
        std::vector<uint8_t> expected(c.size, 0);
        const Write& w = c.write;
        void* data = nullptr;
        ASSERT_EQ(storage.Lock(w.offset, w.size, &data, w.flags), GFX_OK);
        const uint32_t size = w.size == 0 ? c.size - w.offset : w.size;
        if (!(w.flags & LOCK_DISCARD))
        {
            ASSERT_EQ(std::memcmp(data, expected.data() + w.offset, size), 0);
        }
        if (!(w.flags & LOCK_READONLY))
        {
            std::memset(data, w.value, size);
            std::memset(expected.data() + w.offset, w.value, size);
        }
        bool last = false;
        uint32_t begin = 0, end = 0;
        ASSERT_EQ(storage.Unlock(&last, &begin, &end), GFX_OK);
        EXPECT_EQ(std::vector<uint8_t>(storage.Data(), storage.Data() + storage.Size()), expected);
    }
}

// Storages alive at once never share memory, even when every one of them could have taken a dropped block.
TEST(BufferStorageTest, StoragesAliveTogetherKeepTheirOwnBytes)
{
    {
        BufferStorage a(65536), b(65536), c(65536);
        FillWith(a, 1);
        FillWith(b, 2);
        FillWith(c, 3);
    }
    std::vector<std::unique_ptr<BufferStorage>> live;
    for (uint8_t value = 1; value <= 12; ++value)
    {
        live.push_back(std::make_unique<BufferStorage>(65536));
        FillWith(*live.back(), value);
    }
    for (size_t i = 0; i < live.size(); ++i)
    {
        const uint8_t* bytes = live[i]->Data();
        const std::vector<uint8_t> expected(live[i]->Size(), uint8_t(i + 1));
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + live[i]->Size()), expected) << "storage " << i;
    }
}

// Pools come and go with every set of models: the next pool of the same size gets the dropped block back
// rather than asking the heap again. A plain allocation of that size in between, which the heap would serve
// from a block given back to it, must not get it.
TEST(BufferStorageTest, ADroppedBlockServesTheNextStorageOfItsSize)
{
    uintptr_t dropped = 0;
    {
        BufferStorage first(65536);
        dropped = reinterpret_cast<uintptr_t>(first.Data());
    }
    const std::unique_ptr<uint8_t[]> between(new uint8_t[65536]);
    EXPECT_NE(reinterpret_cast<uintptr_t>(between.get()), dropped);
    BufferStorage second(65536);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(second.Data()), dropped);
}

} // namespace
