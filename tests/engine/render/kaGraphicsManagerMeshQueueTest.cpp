#include "engine/render/kaGraphicsManager.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "engine/core/kaClock.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexTypes.h"
#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace platform;

namespace
{

struct Point
{
    float x, y, z;
};

class MeshQueueTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        ASSERT_TRUE(Start(nullptr));
        ASSERT_NE(Device(), nullptr);
        Matrix identity;
        Device()->SetTransform(TS_VIEW, &identity);
    }

    void TearDown() override
    {
        m_Manager.reset();
        _ResetClockState();
    }

    // Drawing needs a scene, which the frame's render pass opens.
    void DrawQueue()
    {
        Device()->BeginScene();
        m_Manager->DrawQueuedMeshes();
        Device()->EndScene();
    }

    // A subset of its own buffers: the points as position-and-colour vertices, the indices as given.
    kaDrawRecord Subset(const std::vector<Point>& points, const std::vector<uint16_t>& indices,
                        uint32_t triangles, kaRenderState* block)
    {
        kaDrawRecord record;
        record.renderState = block;
        m_Manager->CreateVertexBuffer(record.vertexBuffer, static_cast<uint32_t>(points.size()), 0x42,
                                      POOL_MANAGED);
        m_Manager->CreateIndexBuffer(record.indexBuffer, static_cast<uint32_t>(indices.size()), POOL_MANAGED);
        auto* vertices =
            static_cast<VERTEX_WORLDPOS_DIFFUSE*>(m_Manager->LockVertexBuffer(record.vertexBuffer));
        EXPECT_NE(vertices, nullptr);
        for (size_t i = 0; vertices && i < points.size(); ++i)
        {
            vertices[i].x = points[i].x;
            vertices[i].y = points[i].y;
            vertices[i].z = points[i].z;
            vertices[i].diffuse = 0xFFFFFFFF;
        }
        m_Manager->UnlockVertexBuffer(record.vertexBuffer);
        auto* target = static_cast<uint16_t*>(m_Manager->LockIndexBuffer(record.indexBuffer));
        EXPECT_NE(target, nullptr);
        if (target)
            std::memcpy(target, indices.data(), indices.size() * sizeof(uint16_t));
        m_Manager->UnlockIndexBuffer(record.indexBuffer);
        record.minIndex = 0;
        record.vertexCount = static_cast<uint32_t>(points.size());
        record.primitiveCount = triangles;
        return record;
    }

    // One triangle facing the viewer at depth z.
    kaDrawRecord Triangle(float z, kaRenderState* block)
    {
        return Subset({{0, 0, z}, {0, 1, z}, {1, 0, z}}, {0, 1, 2}, 1, block);
    }

    static Matrix Translation(float z)
    {
        Matrix matrix;
        MatrixTranslation(&matrix, 0.0f, 0.0f, z);
        return matrix;
    }

    // The first vertex of each draw's run, which tells the subsets apart, in draw order.
    std::vector<int32_t> DrawnRuns() const
    {
        std::vector<int32_t> runs;
        for (const TestDevice::Draw& draw : Device()->Draws())
            runs.push_back(draw.BaseVertex);
        return runs;
    }

    std::vector<uint16_t> StreamedIndices(uint32_t count) const
    {
        GfxIndexBuffer* buffer = m_Manager->GetDynamicIndexBuffer(1)->GetD3DBuffer();
        void* data = nullptr;
        std::vector<uint16_t> indices(count);
        if (GfxSucceeded(buffer->Lock(0, count * 2, &data, LOCK_READONLY)))
        {
            std::memcpy(indices.data(), data, count * 2);
            buffer->Unlock();
        }
        return indices;
    }

    int32_t RunOf(const kaDrawRecord& record) const
    {
        return static_cast<int32_t>(m_Manager->GetVertexBufferStart(record.vertexBuffer));
    }

    kaRenderState m_Glass;
};

TEST_F(MeshQueueTest, EqualKeysInterleaveBackToFrontAcrossSubsets)
{
    const kaDrawRecord a = Subset({{0, 0, 5}, {0, 1, 5}, {1, 0, 5}, {0, 0, 1}, {0, 1, 1}, {1, 0, 1}},
                                  {0, 1, 2, 3, 4, 5}, 2, &m_Glass);
    const kaDrawRecord b = Triangle(3.0f, &m_Glass);
    m_Manager->QueueMeshDraw(Matrix(), a, false, 0);
    m_Manager->QueueMeshDraw(Matrix(), b, false, 0);
    Device()->ClearLog();
    DrawQueue();

    EXPECT_EQ(DrawnRuns(), (std::vector<int32_t>{RunOf(a), RunOf(b), RunOf(a)}));
    for (const TestDevice::Draw& draw : Device()->Draws())
    {
        EXPECT_EQ(draw.PrimitiveCount, 1u);
        EXPECT_EQ(draw.Start, 0u);
        EXPECT_EQ(draw.Type, static_cast<uint32_t>(PT_TRIANGLELIST));
    }
    // The nearest triangle is the last run: indices 3, 4, 5 of subset a.
    EXPECT_EQ(StreamedIndices(3), (std::vector<uint16_t>{3, 4, 5}));
    EXPECT_TRUE(m_Manager->GetQueuedMeshDraws().empty());
}

TEST_F(MeshQueueTest, LowerDrawOrderDrawsFirstWhateverItsDepth)
{
    const kaDrawRecord near = Triangle(0.0f, &m_Glass);
    const kaDrawRecord far = Triangle(0.0f, &m_Glass);
    m_Manager->QueueMeshDraw(Translation(50.0f), far, false, 1);
    m_Manager->QueueMeshDraw(Translation(1.0f), near, false, 0);
    Device()->ClearLog();
    DrawQueue();
    EXPECT_EQ(DrawnRuns(), (std::vector<int32_t>{RunOf(near), RunOf(far)}));
}

TEST_F(MeshQueueTest, WorldMatrixAndViewDecideTheDepth)
{
    const kaDrawRecord first = Triangle(0.0f, &m_Glass);
    const kaDrawRecord second = Triangle(0.0f, &m_Glass);
    m_Manager->QueueMeshDraw(Translation(2.0f), first, false, 0);
    m_Manager->QueueMeshDraw(Translation(4.0f), second, false, 0);
    // A view that looks back along z turns the order round.
    Matrix view;
    view(2, 2) = -1.0f;
    Device()->SetTransform(TS_VIEW, &view);
    Device()->ClearLog();
    DrawQueue();
    EXPECT_EQ(DrawnRuns(), (std::vector<int32_t>{RunOf(first), RunOf(second)}));
    const std::vector<TestDevice::Draw>& draws = Device()->Draws();
    ASSERT_EQ(draws.size(), 2u);
    ASSERT_NE(draws[0].State.Transform(TS_WORLD), nullptr);
    EXPECT_EQ((*draws[0].State.Transform(TS_WORLD))(3, 2), 2.0f);
}

TEST_F(MeshQueueTest, NeighbouringTrianglesOfOneSubsetShareADraw)
{
    const kaDrawRecord a = Subset({{0, 0, 9}, {0, 1, 9}, {1, 0, 9}, {0, 0, 8}, {0, 1, 8}, {1, 0, 8}},
                                  {0, 1, 2, 3, 4, 5}, 2, &m_Glass);
    const kaDrawRecord b = Triangle(1.0f, &m_Glass);
    m_Manager->QueueMeshDraw(Matrix(), a, false, 0);
    m_Manager->QueueMeshDraw(Matrix(), b, false, 0);
    const uint32_t before = m_Manager->GetTriangleCount();
    Device()->ClearLog();
    DrawQueue();
    const std::vector<TestDevice::Draw>& draws = Device()->Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].PrimitiveCount, 2u);
    EXPECT_EQ(draws[0].NumVertices, 6u);
    EXPECT_EQ(draws[1].PrimitiveCount, 1u);
    EXPECT_EQ(m_Manager->GetTriangleCount(), before + 3);
}

TEST_F(MeshQueueTest, StripTrianglesKeepTheirWindingAsAList)
{
    const kaDrawRecord strip =
        Subset({{0, 0, 2}, {0, 1, 2}, {1, 0, 2}, {1, 1, 2}}, {0, 1, 2, 3}, 2, &m_Glass);
    m_Manager->QueueMeshDraw(Matrix(), strip, true, 0);
    Device()->ClearLog();
    DrawQueue();
    ASSERT_EQ(Device()->Draws().size(), 1u);
    EXPECT_EQ(Device()->Draws()[0].PrimitiveCount, 2u);
    EXPECT_EQ(StreamedIndices(6), (std::vector<uint16_t>{0, 1, 2, 2, 1, 3}));
}

TEST_F(MeshQueueTest, NothingIsDrawnFromEmptyOrBrokenSubsets)
{
    kaDrawRecord empty = Triangle(1.0f, &m_Glass);
    empty.primitiveCount = 0;
    // The second triangle names a vertex the subset does not have.
    const kaDrawRecord broken = Subset({{0, 0, 3}, {0, 1, 3}, {1, 0, 3}}, {0, 1, 2, 0, 1, 7}, 2, &m_Glass);
    kaDrawRecord past = Triangle(1.0f, &m_Glass);
    past.vertexCount = 70000;
    m_Manager->QueueMeshDraw(Matrix(), empty, false, 0);
    m_Manager->QueueMeshDraw(Matrix(), broken, false, 0);
    m_Manager->QueueMeshDraw(Matrix(), past, false, 0);
    kaDrawRecord unknown = empty;
    unknown.vertexBuffer = 0x7FFF0000;
    m_Manager->QueueMeshDraw(Matrix(), unknown, false, 0);
    EXPECT_EQ(m_Manager->GetQueuedMeshDraws().size(), 3u);

    Device()->ClearLog();
    DrawQueue();
    ASSERT_EQ(Device()->Draws().size(), 1u);
    EXPECT_EQ(Device()->Draws()[0].PrimitiveCount, 1u);
    EXPECT_EQ(Device()->Draws()[0].BaseVertex, RunOf(broken));
}

TEST_F(MeshQueueTest, FinishedAnimationSkipsItsRunAndTheLastRunShowsItsQueuedFrame)
{
    ManualClock clock;
    kaRenderState finished;
    finished.AddTexture(nullptr, 0, 0, 0, false, false);
    finished.m_Animated = true;
    finished.m_Looping = 0;
    kaRenderState held;
    held.AddTexture(nullptr, 0, 0, 0, false, false);
    held.AddTexture(nullptr, 0, 0, 0, false, false);
    held.m_Animated = true;
    held.m_Rate = 0.0f;
    held.m_Frame = 1;

    const kaDrawRecord gone = Triangle(5.0f, &finished);
    const kaDrawRecord shown = Triangle(1.0f, &held);
    m_Manager->QueueMeshDraw(Matrix(), gone, false, 0);
    m_Manager->QueueMeshDraw(Matrix(), shown, false, 0);
    held.m_Frame = 0;
    clock.AdvanceSeconds(1.0);
    Device()->ClearLog();
    DrawQueue();
    EXPECT_EQ(DrawnRuns(), (std::vector<int32_t>{RunOf(shown)}));
    EXPECT_EQ(held.m_Frame, 1);
}

TEST_F(MeshQueueTest, RenderPassDrawsTheQueueOnce)
{
    const kaDrawRecord a = Triangle(2.0f, &m_Glass);
    m_Manager->QueueMeshDraw(Matrix(), a, false, 0);
    Device()->ClearLog();
    m_Manager->Render(false, false);
    EXPECT_EQ(Device()->Draws().size(), 1u);
    EXPECT_TRUE(m_Manager->GetQueuedMeshDraws().empty());
    m_Manager->Render(false, false);
    EXPECT_EQ(Device()->Draws().size(), 1u);
}

// --- The sorted-draw list ------------------------------------------------------------------------------

TEST_F(MeshQueueTest, SortedDrawsOfOneRecordDrawNextToEachOther)
{
    kaRenderState other;
    const kaDrawRecord a =
        Subset({{0, 0, 5}, {0, 1, 5}, {1, 0, 5}, {1, 1, 5}}, {0, 1, 2, 2, 1, 3}, 2, &m_Glass);
    const kaDrawRecord b = Triangle(1.0f, &other);
    m_Manager->QueueSortedDraw(a, Translation(1.0f));
    m_Manager->QueueSortedDraw(b, Translation(2.0f));
    m_Manager->QueueSortedDraw(a, Translation(3.0f));
    kaDrawRecord broken = b;
    broken.indexBuffer = 0x7FFF0000;
    m_Manager->QueueSortedDraw(broken, Matrix());
    EXPECT_EQ(m_Manager->GetSortedDraws().size(), 4u);
    const uint32_t before = m_Manager->GetTriangleCount();
    Device()->ClearLog();
    Device()->BeginScene();
    m_Manager->DrawSortedDraws();
    Device()->EndScene();

    const std::vector<TestDevice::Draw>& draws = Device()->Draws();
    ASSERT_EQ(draws.size(), 3u);
    const std::vector<int32_t> runs = DrawnRuns();
    // The two draws of a are neighbours, in the order they were handed over.
    const size_t firstA = runs[0] == RunOf(a) ? 0 : 1;
    EXPECT_EQ(runs[firstA], RunOf(a));
    EXPECT_EQ(runs[firstA + 1], RunOf(a));
    EXPECT_EQ((*draws[firstA].State.Transform(TS_WORLD))(3, 2), 1.0f);
    EXPECT_EQ((*draws[firstA + 1].State.Transform(TS_WORLD))(3, 2), 3.0f);
    EXPECT_EQ(draws[firstA].PrimitiveCount, 2u);
    EXPECT_EQ(draws[firstA].Start, m_Manager->GetIndexBufferStart(a.indexBuffer));
    EXPECT_EQ(m_Manager->GetTriangleCount(), before + 5);
    EXPECT_TRUE(m_Manager->GetSortedDraws().empty());
}

TEST_F(MeshQueueTest, RenderPassDrawsSortedDrawsBeforeTheTransparentQueue)
{
    kaRenderState opaque;
    const kaDrawRecord glass = Triangle(2.0f, &m_Glass);
    const kaDrawRecord wall = Triangle(4.0f, &opaque);
    m_Manager->QueueMeshDraw(Matrix(), glass, false, 0);
    m_Manager->QueueSortedDraw(wall, Matrix());
    Device()->ClearLog();
    m_Manager->Render(false, false);
    EXPECT_EQ(DrawnRuns(), (std::vector<int32_t>{RunOf(wall), RunOf(glass)}));
}

} // namespace
