#include "engine/render/kaBufferPool.h"
#include "engine/render/StaticVB.h"
#include "engine/render/kaVertexTypes.h"

#include "tests/support/TestDeviceFixture.h"
#include "tests/support/DebugCapture.h"

namespace
{

class BufferPoolTest : public TestDeviceFixture
{
};

TEST_F(BufferPoolTest, ServesFirstFitUnderNewSlotNumbersAndRefusesWhatNoRunHolds)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 100, platform::POOL_MANAGED), 100);
    EXPECT_EQ(pool.Allocate(40), 1u);
    EXPECT_EQ(pool.Allocate(60), 2u);
    EXPECT_EQ(pool.Allocate(1), 0u);
    EXPECT_EQ(pool.GetSlot(2)->start, 40u);
    // A released run is reused under a new slot number.
    EXPECT_EQ(pool.Release(1), 1u);
    const uint32_t again = pool.Allocate(40);
    EXPECT_EQ(again, 3u);
    EXPECT_EQ(pool.GetSlot(again)->start, 0u);
}

TEST_F(BufferPoolTest, NeighbouringRunsAreNotMerged)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 20, platform::POOL_MANAGED), 20);
    pool.Allocate(10);
    pool.Allocate(10);
    pool.Release(1);
    pool.Release(2);
    EXPECT_EQ(pool.Allocate(20), 0u);
    ASSERT_EQ(pool.GetFreeRuns().size(), 2u);
    EXPECT_EQ(pool.GetFreeRuns().back().tag, 0u);
}

TEST_F(BufferPoolTest, ReferencesKeepASlot)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 20, platform::POOL_MANAGED), 20);
    pool.Allocate(5);
    pool.Allocate(5);
    ASSERT_NE(pool.AddRef(1), nullptr);
    EXPECT_EQ(pool.Release(1), 2u);
    EXPECT_NE(pool.GetSlot(1), nullptr);
    EXPECT_EQ(pool.Release(1), 1u);
    EXPECT_EQ(pool.GetSlot(1), nullptr);
}

TEST_F(BufferPoolTest, LocksTheSlotsRun)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 20, platform::POOL_MANAGED), 20);
    pool.Allocate(5);
    pool.Allocate(3);
    ASSERT_NE(pool.Lock(2), nullptr);
    pool.Unlock(2);
    ASSERT_NE(pool.BeginWrite(1), nullptr);
    pool.EndWrite(1);
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"), (std::vector<std::string>{"60 36 0", "0 60 0"}));
    EXPECT_EQ(CallsOf("VertexBuffer::Unlock").size(), 2u);
}

TEST_F(BufferPoolTest, UnknownSlotsAreNoOpsWithADebuggerLine)
{
    testsupport::DebugCapture debug;
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 20, platform::POOL_MANAGED), 20);
    pool.Allocate(5);
    EXPECT_EQ(pool.Lock(7), nullptr);
    EXPECT_EQ(pool.BeginWrite(7), nullptr);
    pool.Unlock(7);
    pool.EndWrite(7);
    EXPECT_EQ(pool.AddRef(7), nullptr);
    EXPECT_EQ(pool.Release(7), 1u);
    EXPECT_EQ(pool.GetSlot(7), nullptr);
    EXPECT_TRUE(CallsOf("VertexBuffer::Lock").empty());
    EXPECT_TRUE(CallsOf("VertexBuffer::Unlock").empty());
    EXPECT_TRUE(debug.Contains("[kaBufferPool::_Find] : Unknown slot 7"));
}

TEST_F(BufferPoolTest, ReleasedRunsJoinTheFreeListInReleaseOrderAndAreServedAgain)
{
    struct Case
    {
        uint32_t runs;
        bool backwards;
        // Every third run holds a second reference, so its first release keeps it.
        bool shared;
    };
    const Case cases[] = {{1, false, false}, {4, false, false}, {5, true, false}, {9, false, true},
                          {17, true, true},  {40, false, false}, {40, true, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.runs << " runs, backwards " << c.backwards << ", shared "
                                        << c.shared);
        const uint32_t capacity = 3 * c.runs + 7;
        kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, capacity, platform::POOL_MANAGED), capacity);
        std::vector<uint32_t> slots, starts, counts;
        uint32_t used = 0;
        for (uint32_t i = 0; i < c.runs; ++i)
        {
            const uint32_t count = i % 3 + 1;
            slots.push_back(pool.Allocate(count));
            ASSERT_NE(slots.back(), 0u);
            starts.push_back(used);
            counts.push_back(count);
            used += count;
            if (c.shared && i % 3 == 0)
            {
                ASSERT_NE(pool.AddRef(slots.back()), nullptr);
            }
        }
        std::vector<kaBufferPool::FreeRun> expected = {{used, capacity - used, 1}};
        for (uint32_t n = 0; n < c.runs; ++n)
        {
            const uint32_t i = c.backwards ? c.runs - 1 - n : n;
            pool.Release(slots[i]);
            if (!(c.shared && i % 3 == 0))
                expected.push_back({starts[i], counts[i], 0});
        }
        // The runs still shared go last, in the same order.
        for (uint32_t n = 0; n < c.runs; ++n)
        {
            const uint32_t i = c.backwards ? c.runs - 1 - n : n;
            if (c.shared && i % 3 == 0)
            {
                EXPECT_NE(pool.GetSlot(slots[i]), nullptr);
                pool.Release(slots[i]);
                expected.push_back({starts[i], counts[i], 0});
            }
        }
        EXPECT_EQ(pool.GetSlotsInUse(), 0u);
        const std::vector<kaBufferPool::FreeRun>& runs = pool.GetFreeRuns();
        ASSERT_EQ(runs.size(), expected.size());
        for (size_t r = 0; r < runs.size(); ++r)
        {
            EXPECT_EQ(runs[r].start, expected[r].start) << "run " << r;
            EXPECT_EQ(runs[r].count, expected[r].count) << "run " << r;
            EXPECT_EQ(runs[r].tag, expected[r].tag) << "run " << r;
        }
        // The untouched tail is still served first; the freed runs come after it, first fit.
        const uint32_t tail = pool.Allocate(capacity - used);
        ASSERT_NE(tail, 0u);
        EXPECT_EQ(pool.GetSlot(tail)->start, used);
        const uint32_t reused = pool.Allocate(expected[1].count);
        ASSERT_NE(reused, 0u);
        EXPECT_EQ(pool.GetSlot(reused)->start, expected[1].start);
    }
}

} // namespace
