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

TEST_F(BufferPoolTest, ServesFirstFitAndRefusesWhatNoRunHolds)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 100, platform::POOL_MANAGED), 100);
    EXPECT_EQ(pool.Allocate(40), 1u);
    EXPECT_EQ(pool.Allocate(60), 2u);
    EXPECT_EQ(pool.Allocate(1), 0u);
    EXPECT_EQ(pool.GetSlot(2)->start, 40u);
}

TEST_F(BufferPoolTest, ReleasedRunsAreReusedUnderNewSlotNumbers)
{
    kaBufferPool pool(new StaticVB<VERTEX_WORLDPOS>(m_Device, 100, platform::POOL_MANAGED), 100);
    pool.Allocate(40);
    pool.Allocate(60);
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

} // namespace
