#include "engine/render/DynamicIB.h"
#include "engine/render/StaticIB.h"

#include "tests/support/TestDeviceFixture.h"

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <cstring>

namespace
{

class IndexBufferTest : public TestDeviceFixture
{
};

TEST_F(IndexBufferTest, StaticAndDynamicBuffersLockLikeTheVertexBuffers)
{
    StaticIB<unsigned short> stat(m_Device, 8, platform::POOL_MANAGED);
    DynamicIB<unsigned short> dyn(m_Device, 8);
    EXPECT_EQ(CallsOf("CreateIndexBuffer"), (std::vector<std::string>{"16 0x8 101 1", "16 0x208 101 0"}));
    EXPECT_EQ(dyn.GetDesc().Size, 16u);

    uint32_t start = 0;
    uint32_t count = 5;
    stat.Seek(2);
    ASSERT_NE(stat.Lock(count, start, 0), nullptr);
    stat.Unlock();
    ASSERT_NE(dyn.Lock(count, start, 0), nullptr);
    dyn.Unlock();
    ASSERT_NE(dyn.Lock(count, start, 0), nullptr);
    dyn.Unlock();
    EXPECT_EQ(CallsOf("IndexBuffer::Lock"), (std::vector<std::string>{"4 10 0", "0 10 10240", "0 10 10240"}));
}

TEST_F(IndexBufferTest, WritesStopAtTheEndOfTheLockedRun)
{
    StaticIB<unsigned short> buffer(m_Device, 4, platform::POOL_MANAGED);
    ASSERT_NE(buffer.BeginWrite(1, 2), nullptr);
    for (uint16_t i = 1; i <= 3; ++i)
        buffer.WriteIndex(i);
    EXPECT_EQ(buffer.GetIndicesWritten(), 2u);
    buffer.EndWrite();

    void* data = nullptr;
    buffer.GetD3DBuffer()->Lock(0, 0, &data, platform::LOCK_READONLY);
    uint16_t indices[4];
    std::memcpy(indices, data, sizeof(indices));
    buffer.GetD3DBuffer()->Unlock();
    EXPECT_EQ(indices[0], 0);
    EXPECT_EQ(indices[1], 1);
    EXPECT_EQ(indices[2], 2);
    EXPECT_EQ(indices[3], 0);
}

} // namespace
