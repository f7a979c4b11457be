#include "engine/render/kaDrawQueue.h"
#include "engine/core/kaApp.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaScreenQuadBuffer.h"
#include "engine/render/kaVertexBuffer.h"
#include "engine/render/kaWorldBase.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxDevice.h"

#include <gtest/gtest.h>

using namespace platform;

namespace
{

class DrawQueueTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Start(nullptr));
        m_Camera.SetPosition(0.0f, 0.0f, 0.0f);
        m_Camera.Update(0.0f);
    }

    // Leaves the streaming buffers' write positions inside their runs, as a frame's batches would.
    void StreamSomething()
    {
        kaVertexBuffer* vertices = m_Manager->GetDynamicVertexBuffer(1);
        kaIndexBuffer* indices = m_Manager->GetDynamicIndexBuffer(1);
        ASSERT_NE(vertices, nullptr);
        ASSERT_NE(indices, nullptr);
        vertices->Seek(12);
        indices->Seek(30);
    }

    Matrix DeviceProjection() const
    {
        Matrix m;
        m_Manager->GetDevice()->GetTransform(TS_PROJECTION, &m);
        return m;
    }

    kaApp m_App{"Test", "Test"};
    kaWorldBase m_World;
    kaCamera m_Camera;
};

} // namespace

TEST_F(DrawQueueTest, TheProgramHasOneQueueAndOneScreenQuadHolder)
{
    ASSERT_NE(kaDrawQueue::GetSingleton(), nullptr);
    ASSERT_NE(kaScreenQuadBuffer::GetSingleton(), nullptr);
    kaVertexBuffer* quads = kaScreenQuadBuffer::GetSingleton()->GetBuffer();
    ASSERT_NE(quads, nullptr);
    EXPECT_EQ(quads->GetFVF(), 0x144u);
    EXPECT_EQ(quads->GetCapacity(), 200u);
    EXPECT_EQ(quads->GetDesc().Pool, static_cast<uint32_t>(POOL_DEFAULT));
}

TEST_F(DrawQueueTest, WithoutACurrentCameraTheFlushLeavesTheStreamingBuffersAlone)
{
    for (bool withWorld : {false, true})
    {
        // No world at all, then a world without a camera.
        m_App.SetCurrentWorld(withWorld ? &m_World : nullptr);
        StreamSomething();
        m_Manager->Render(false, false);
        EXPECT_EQ(m_Manager->GetDynamicVertexBuffer(1)->GetWritePosition(), 12u);
        EXPECT_EQ(m_Manager->GetDynamicIndexBuffer(1)->GetWritePosition(), 30u);
    }
}

TEST_F(DrawQueueTest, WithACameraTheFlushRewindsTheStreamingBuffersAndRestoresItsProjection)
{
    m_App.SetCurrentWorld(&m_World);
    m_World.SetCamera(&m_Camera);
    Matrix other;
    MatrixPerspectiveFovLH(&other, 1.0f, 1.0f, 1.0f, 10.0f);
    m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &other);
    StreamSomething();
    kaDrawQueue::GetSingleton()->Begin();
    kaDrawQueue::GetSingleton()->Flush();
    EXPECT_EQ(DeviceProjection(), m_Camera.GetComputedProjection());
    EXPECT_EQ(m_Manager->GetDynamicVertexBuffer(1)->GetWritePosition(), 0u);
    EXPECT_EQ(m_Manager->GetDynamicIndexBuffer(1)->GetWritePosition(), 0u);
    EXPECT_EQ(CallsOf("SetTransform").size() >= 3, true);
}

TEST_F(DrawQueueTest, ScreenQuadsGoWithTheDeviceObjectsAndComeBackAfterAReset)
{
    kaScreenQuadBuffer* holder = kaScreenQuadBuffer::GetSingleton();
    m_Manager->InvalidateDeviceObjects();
    EXPECT_EQ(holder->GetBuffer(), nullptr);
    m_Manager->RestoreDeviceObjects();
    EXPECT_NE(holder->GetBuffer(), nullptr);
    m_Manager->ReleaseAll();
    EXPECT_EQ(holder->GetBuffer(), nullptr);
}

TEST_F(DrawQueueTest, FramesClearToDarkGreyAndRebuildBillboardsAfterAViewChange)
{
    m_Manager->Render(false, false);
    EXPECT_EQ(Device()->BackBufferPixel(0, 0), 0xFF333333u);
    // A view change becomes the next frame's billboard rebuild.
    m_Manager->SetViewChanged(true);
    m_Manager->Render(false, false);
    EXPECT_TRUE(m_Manager->IsRebuildingBillboards());
    EXPECT_FALSE(m_Manager->IsViewChanged());
    m_Manager->Render(false, false);
    EXPECT_FALSE(m_Manager->IsRebuildingBillboards());
}
