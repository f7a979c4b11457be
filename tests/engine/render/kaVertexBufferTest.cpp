#include "engine/render/DynamicVB.h"
#include "engine/render/StaticVB.h"
#include "engine/render/kaVertexTypes.h"

#include "tests/support/TestDeviceFixture.h"

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <cstring>
#include <tuple>

namespace
{

using Layout = kaVertexBuffer::Layout;

struct FormatRow
{
    uint32_t fvf;
    uint32_t stride;
    uint32_t normal;
    uint32_t diffuse;
    uint32_t texCoords;
};

TEST(VertexLayoutTest, StridesAndOffsetsOfEveryFormat)
{
    const FormatRow rows[] = {
        {0x002, 12, 0, 0, 12},   {0x012, 24, 12, 0, 24},  {0x042, 16, 0, 12, 16}, {0x044, 20, 0, 16, 20},
        {0x052, 28, 12, 24, 28}, {0x102, 20, 0, 0, 12},   {0x112, 32, 12, 0, 24}, {0x142, 24, 0, 12, 16},
        {0x144, 28, 0, 16, 20},  {0x152, 36, 12, 24, 28}, {0x202, 28, 0, 0, 12},  {0x212, 40, 12, 0, 24},
        {0x242, 32, 0, 12, 16},  {0x252, 44, 12, 24, 28}, {0x302, 36, 0, 0, 12},  {0x312, 48, 12, 0, 24},
        {0x342, 40, 0, 12, 16},  {0x352, 52, 12, 24, 28}, {0x402, 44, 0, 0, 12},  {0x412, 56, 12, 0, 24},
        {0x442, 48, 0, 12, 16},  {0x452, 60, 12, 24, 28},
    };
    for (const FormatRow& row : rows)
    {
        const Layout layout = kaVertexBuffer::ComputeLayout(row.fvf);
        SCOPED_TRACE(row.fvf);
        EXPECT_EQ(layout.stride, row.stride);
        EXPECT_EQ(layout.normalOffset, row.normal);
        EXPECT_EQ(layout.diffuseOffset, row.diffuse);
        EXPECT_EQ(layout.texCoordOffset, row.texCoords);
        EXPECT_EQ(layout.positionSize, (row.fvf & 0x4) ? 16u : 12u);
    }
    EXPECT_EQ(kaVertexBuffer::ComputeLayout(0xC2).specularOffset, 16u);
}

TEST(VertexLayoutTest, RecordsMatchTheirFormats)
{
    EXPECT_EQ(sizeof(VERTEX_WORLDPOS_DIFFUSE_UV),
              kaVertexBuffer::ComputeLayout(VERTEX_WORLDPOS_DIFFUSE_UV::FVF).stride);
    EXPECT_EQ(sizeof(VERTEX_SCREENPOS_DIFFUSE_UV), kaVertexBuffer::ComputeLayout(0x144).stride);
    EXPECT_EQ(sizeof(VERTEX_WORLDPOS_NORMAL_UVN<3>), kaVertexBuffer::ComputeLayout(0x312).stride);
}

class VertexBufferTest : public TestDeviceFixture
{
};

TEST_F(VertexBufferTest, CreatesWithTheClassUsageAndSize)
{
    StaticVB<VERTEX_WORLDPOS_DIFFUSE> stat(m_Device, 10, platform::POOL_MANAGED);
    DynamicVB<VERTEX_WORLDPOS_DIFFUSE_UV> dyn(m_Device, 20);
    EXPECT_EQ(CallsOf("CreateVertexBuffer"),
              (std::vector<std::string>{"160 0x8 0x42 1", "480 0x208 0x142 0"}));
    EXPECT_EQ(stat.GetUsed(), 0u);
    EXPECT_EQ(dyn.GetUsed(), 20u);
    EXPECT_NE(stat.GetD3DBuffer(), nullptr);
}

TEST_F(VertexBufferTest, DynamicLocksAppendUntilTheRunNoLongerFits)
{
    DynamicVB<VERTEX_WORLDPOS_DIFFUSE> buffer(m_Device, 10);
    uint32_t start = 99;
    uint32_t count = 4;
    ASSERT_NE(buffer.Lock(count, start, 0), nullptr);
    EXPECT_EQ(start, 0u);
    buffer.Unlock();
    count = 6;
    ASSERT_NE(buffer.Lock(count, start, platform::LOCK_DISCARD), nullptr);
    EXPECT_EQ(start, 4u);
    buffer.Unlock();
    count = 1;
    ASSERT_NE(buffer.Lock(count, start, 0), nullptr);
    EXPECT_EQ(start, 0u);
    buffer.Unlock();

    // The first lock discards, the exact remaining room appends, one more element discards again.
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"),
              (std::vector<std::string>{"0 64 10240", "64 96 6144", "0 16 10240"}));
}

TEST_F(VertexBufferTest, DiscardMakesTheNextLockStartAfresh)
{
    DynamicVB<VERTEX_WORLDPOS_DIFFUSE> buffer(m_Device, 10);
    uint32_t start = 0;
    uint32_t count = 2;
    buffer.Lock(count, start, 0);
    buffer.Unlock();
    buffer.Discard();
    buffer.Lock(count, start, 0);
    buffer.Unlock();
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"), (std::vector<std::string>{"0 32 10240", "0 32 10240"}));
}

TEST_F(VertexBufferTest, StaticLocksUseTheCallersFlagsAtTheSoughtPosition)
{
    StaticVB<VERTEX_WORLDPOS> buffer(m_Device, 10, platform::POOL_MANAGED);
    buffer.Seek(3);
    uint32_t start = 0;
    uint32_t count = 2;
    ASSERT_NE(buffer.Lock(count, start, platform::LOCK_NOSYSLOCK), nullptr);
    EXPECT_EQ(start, 3u);
    buffer.Unlock();
    // A run past the end fails in the device and leaves the bookkeeping alone.
    buffer.Seek(9);
    EXPECT_EQ(buffer.Lock(count, start, 0), nullptr);
    EXPECT_EQ(buffer.GetWritePosition(), 9u);
    EXPECT_EQ(buffer.GetLockCount(), 0);
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"), (std::vector<std::string>{"36 24 2048", "108 24 0"}));
}

TEST_F(VertexBufferTest, OversizedOrEmptyLocksLockNothing)
{
    DynamicVB<VERTEX_WORLDPOS_DIFFUSE> buffer(m_Device, 10);
    buffer.Seek(5);
    uint32_t start = 7;
    uint32_t count = 11;
    EXPECT_EQ(buffer.Lock(count, start, 0), nullptr);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(buffer.GetWritePosition(), 5u);
    count = 0;
    EXPECT_EQ(buffer.Lock(count, start, 0), nullptr);
    EXPECT_TRUE(CallsOf("VertexBuffer::Lock").empty());
}

TEST_F(VertexBufferTest, UnlockWithoutALockDoesNothing)
{
    StaticVB<VERTEX_WORLDPOS> buffer(m_Device, 10, platform::POOL_MANAGED);
    buffer.Unlock();
    EXPECT_TRUE(CallsOf("VertexBuffer::Unlock").empty());
    EXPECT_EQ(buffer.GetLockCount(), 0);
}

TEST_F(VertexBufferTest, FailedCreationLeavesEveryLockNull)
{
    m_Device->FailNext("CreateVertexBuffer", platform::GFXERR_OUTOFVIDEOMEMORY);
    StaticVB<VERTEX_WORLDPOS> buffer(m_Device, 10, platform::POOL_MANAGED);
    EXPECT_EQ(buffer.GetD3DBuffer(), nullptr);
    EXPECT_EQ(buffer.BeginWrite(0, 2), nullptr);
    buffer.WritePosition(1, 2, 3);
    EXPECT_EQ(buffer.GetVerticesWritten(), 0u);
}

TEST_F(VertexBufferTest, DestructionUnlocksAnOutstandingLock)
{
    {
        StaticVB<VERTEX_WORLDPOS> buffer(m_Device, 10, platform::POOL_MANAGED);
        buffer.BeginWrite(0, 2);
    }
    EXPECT_EQ(CallsOf("VertexBuffer::Unlock").size(), 1u);
}

TEST_F(VertexBufferTest, PositionLastCompletesTheVertexWithoutTouchingItsAttributes)
{
    StaticVB<VERTEX_WORLDPOS_DIFFUSE_UV> buffer(m_Device, 3, platform::POOL_MANAGED);
    ASSERT_NE(buffer.BeginWrite(1, 2), nullptr);
    for (int i = 0; i < 2; ++i)
    {
        buffer.WriteDiffuse(0xFF102030u + i);
        buffer.WriteTexCoord(0.25f, 0.75f);
        buffer.WriteTexCoord(9.0f, 9.0f); // a second set the format does not have
        buffer.WritePosition(1.0f + i, 2.0f, 3.0f);
    }
    buffer.WritePosition(7, 7, 7); // past the locked run
    EXPECT_EQ(buffer.GetVerticesWritten(), 2u);
    buffer.EndWrite();

    void* data = nullptr;
    ASSERT_EQ(buffer.GetD3DBuffer()->Lock(0, 0, &data, platform::LOCK_READONLY), platform::GFX_OK);
    VERTEX_WORLDPOS_DIFFUSE_UV vertices[3];
    std::memcpy(vertices, data, sizeof(vertices));
    buffer.GetD3DBuffer()->Unlock();
    EXPECT_EQ(vertices[0].x, 0.0f); // before the run: untouched
    EXPECT_EQ(vertices[1].x, 1.0f);
    EXPECT_EQ(vertices[1].diffuse, 0xFF102030u);
    EXPECT_EQ(vertices[1].tex.uv[0][1], 0.75f);
    EXPECT_EQ(vertices[2].x, 2.0f);
    EXPECT_EQ(vertices[2].diffuse, 0xFF102031u);
}

TEST_F(VertexBufferTest, TransformedPositionsKeepTheirFourthValue)
{
    StaticVB<VERTEX_SCREENPOS_DIFFUSE> buffer(m_Device, 1, platform::POOL_MANAGED);
    buffer.BeginWrite(0, 1);
    buffer.WriteDiffuse(0xAABBCCDD);
    buffer.WritePosition(1, 2, 3, 0.5f);
    buffer.EndWrite();
    void* data = nullptr;
    buffer.GetD3DBuffer()->Lock(0, 0, &data, platform::LOCK_READONLY);
    VERTEX_SCREENPOS_DIFFUSE vertex;
    std::memcpy(&vertex, data, sizeof(vertex));
    buffer.GetD3DBuffer()->Unlock();
    EXPECT_EQ(vertex.rhw, 0.5f);
    EXPECT_EQ(vertex.diffuse, 0xAABBCCDDu);
}

TEST_F(VertexBufferTest, AppendReturnsTheFirstVertexOfTheRun)
{
    DynamicVB<VERTEX_WORLDPOS_DIFFUSE> buffer(m_Device, 10);
    EXPECT_EQ(buffer.Append(3), 0u);
    buffer.EndWrite();
    EXPECT_EQ(buffer.Append(3), 3u);
    buffer.WritePosition(1, 1, 1);
    EXPECT_EQ(buffer.GetVerticesWritten(), 1u);
    buffer.EndWrite();
}

} // namespace
