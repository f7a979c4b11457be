#include "engine/render/kaGraphicsManager.h"

#include "tests/support/engine/render/GraphicsManagerFixture.h"

#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cmath>
#include <cstring>
#include <set>
#include <utility>

using namespace platform;

namespace
{

using Vertices = std::vector<VERTEX_WORLDPOS_DIFFUSE>;

Vector3 At(const VERTEX_WORLDPOS_DIFFUSE& vertex)
{
    return Vector3(vertex.x, vertex.y, vertex.z);
}

// A line list whose vertex i sits at x = i, so that every line can be recognised.
Vertices Numbered(uint32_t count)
{
    Vertices vertices(count);
    for (uint32_t i = 0; i < count; ++i)
        vertices[i] = {static_cast<float>(i), 0.0f, 0.0f, 0xFFFFFFFF};
    return vertices;
}

class DebugDrawTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // Draws the queue inside a scene, as the render pass does.
    void DrawQueue()
    {
        Device()->ClearLog();
        Device()->BeginScene();
        m_Manager->DrawDebugPrimitives();
        Device()->EndScene();
    }

    const kaDebugPrimitive& Last() const { return m_Manager->GetDebugPrimitives().back(); }

    // The line-list draws logged since the last ClearLog, as primitive counts.
    std::vector<uint32_t> LineDraws() const
    {
        std::vector<uint32_t> counts;
        for (const auto& draw : Device()->Draws())
            if (draw.Type == PT_LINELIST && !draw.Indexed)
                counts.push_back(draw.PrimitiveCount);
        return counts;
    }

    // The vertices the device vertex buffer holds now, from the start.
    Vertices BufferContents(uint32_t count) const
    {
        Vertices vertices(count);
        void* data = nullptr;
        GfxVertexBuffer* buffer = m_Manager->GetDeviceVertexBuffer();
        EXPECT_TRUE(GfxSucceeded(buffer->Lock(0, 0, &data, LOCK_READONLY)));
        std::memcpy(vertices.data(), data, count * sizeof(VERTEX_WORLDPOS_DIFFUSE));
        buffer->Unlock();
        return vertices;
    }
};

TEST_F(DebugDrawTest, AxesRunFromThePointAlongEachAxisWithoutDepthTest)
{
    m_Manager->DebugDrawAxes(1.0f, 2.0f, 3.0f, 2.0f, 1.2f, -0.5f, 0.5f, 1.0f);
    ASSERT_EQ(m_Manager->GetDebugPrimitives().size(), 1u);
    const kaDebugPrimitive& axes = Last();
    ASSERT_EQ(axes.vertices.size(), 6u);
    EXPECT_FALSE(axes.depthTest);
    const Vector3 from(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(At(axes.vertices[0]), from);
    EXPECT_EQ(At(axes.vertices[1]), Vector3(3.0f, 2.0f, 3.0f));
    EXPECT_EQ(At(axes.vertices[2]), from);
    EXPECT_EQ(At(axes.vertices[3]), Vector3(1.0f, 4.0f, 3.0f));
    EXPECT_EQ(At(axes.vertices[4]), from);
    EXPECT_EQ(At(axes.vertices[5]), Vector3(1.0f, 2.0f, 5.0f));
    // Channels above 1 saturate, below 0 vanish, and 0.5 rounds to 128.
    for (const auto& vertex : axes.vertices)
        EXPECT_EQ(vertex.diffuse, 0xFFFF0080u);
}

TEST_F(DebugDrawTest, BoxDrawsTheTwelveEdgesOnce)
{
    Vector3 corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = Vector3((i & 2) ? 4.0f : 1.0f, (i & 1) ? 5.0f : 2.0f, (i & 4) ? 6.0f : 3.0f);
    m_Manager->DebugDrawBox(corners, 0.0f, 1.0f, 0.0f, 1.0f, true);
    const kaDebugPrimitive& box = Last();
    ASSERT_EQ(box.vertices.size(), 24u);
    EXPECT_TRUE(box.depthTest);
    std::set<std::pair<int, int>> edges;
    for (size_t line = 0; line < 12; ++line)
    {
        const Vector3 a = At(box.vertices[line * 2]);
        const Vector3 b = At(box.vertices[line * 2 + 1]);
        const int differing = (a.x != b.x) + (a.y != b.y) + (a.z != b.z);
        EXPECT_EQ(differing, 1) << "line " << line;
        int ia = -1;
        int ib = -1;
        for (int i = 0; i < 8; ++i)
        {
            if (corners[i] == a)
                ia = i;
            if (corners[i] == b)
                ib = i;
        }
        edges.insert({std::min(ia, ib), std::max(ia, ib)});
        EXPECT_EQ(box.vertices[line * 2].diffuse, 0xFF00FF00u);
    }
    EXPECT_EQ(edges.size(), 12u);
}

TEST_F(DebugDrawTest, SphereIsThreeClosedCirclesThroughTheCentre)
{
    m_Manager->DebugDrawSphere(1.0f, 2.0f, 3.0f, 2.0f, 1.0f, 1.0f, 1.0f, 1.0f, false);
    const kaDebugPrimitive& sphere = Last();
    ASSERT_EQ(sphere.vertices.size(), 96u);
    const Vector3 centre(1.0f, 2.0f, 3.0f);
    for (size_t circle = 0; circle < 3; ++circle)
    {
        for (size_t v = 0; v < 32; ++v)
        {
            const Vector3 offset = At(sphere.vertices[circle * 32 + v]) - centre;
            EXPECT_NEAR(Vec3Length(offset), 2.0f, 1e-5f);
            // Circle 0 lies across X, circle 1 across Y, circle 2 across Z.
            const float across = circle == 0 ? offset.x : circle == 1 ? offset.y : offset.z;
            EXPECT_FLOAT_EQ(across, 0.0f);
        }
        // Segments join end to start and the circle closes.
        for (size_t segment = 0; segment + 1 < 16; ++segment)
            EXPECT_EQ(At(sphere.vertices[circle * 32 + segment * 2 + 1]),
                      At(sphere.vertices[circle * 32 + segment * 2 + 2]));
        const Vector3 gap = At(sphere.vertices[circle * 32 + 31]) - At(sphere.vertices[circle * 32]);
        EXPECT_NEAR(Vec3Length(gap), 0.0f, 1e-5f);
    }
}

TEST_F(DebugDrawTest, CylinderAndCapsuleFollowTheirTransform)
{
    Matrix transform;
    MatrixTranslation(&transform, 10.0f, 0.0f, 0.0f);
    m_Manager->DebugDrawCylinder(1.0f, 4.0f, 1.0f, 0.0f, 0.0f, 1.0f, transform, true);
    const kaDebugPrimitive& cylinder = Last();
    ASSERT_EQ(cylinder.vertices.size(), 96u);
    for (size_t i = 0; i < 96; ++i)
    {
        const Vector3 p = At(cylinder.vertices[i]);
        EXPECT_NEAR(std::hypot(p.x - 10.0f, p.y), 1.0f, 1e-5f);
        EXPECT_NEAR(std::fabs(p.z), 2.0f, 1e-5f);
    }
    // The 16 side lines run from one end to the other.
    for (size_t line = 32; line < 48; ++line)
        EXPECT_FLOAT_EQ(cylinder.vertices[line * 2 + 1].z - cylinder.vertices[line * 2].z, 4.0f);

    m_Manager->DebugDrawCapsule(1.0f, 4.0f, 1.0f, 0.0f, 0.0f, 1.0f, transform, false);
    const auto& entries = m_Manager->GetDebugPrimitives();
    ASSERT_EQ(entries.size(), 4u);
    for (size_t end = 2; end < 4; ++end)
    {
        ASSERT_EQ(entries[end].vertices.size(), 96u);
        const float z = end == 2 ? -2.0f : 2.0f;
        for (const auto& vertex : entries[end].vertices)
            EXPECT_NEAR(Vec3Length(At(vertex) - Vector3(10.0f, 0.0f, z)), 1.0f, 1e-5f);
    }
}

TEST_F(DebugDrawTest, EntriesAreDrawnInWholeLinesAndBatchesWithoutLosingOne)
{
    const uint32_t count = 2 * kaGraphicsManager::kDebugBatchVertices + 10;
    // An odd vertex count and an empty entry draw only whole lines.
    m_Manager->QueueDebugPrimitive(Numbered(5), false);
    m_Manager->QueueDebugPrimitive(Vertices(), false);
    m_Manager->QueueDebugPrimitive(Numbered(count), false);
    DrawQueue();
    EXPECT_EQ(LineDraws(), (std::vector<uint32_t>{2, 4048, 4048, 5}));
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
    // The last batch holds the entry's last ten vertices.
    const Vertices tail = BufferContents(10);
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_FLOAT_EQ(tail[i].x, static_cast<float>(count - 10 + i));
}

TEST_F(DebugDrawTest, SmallPrimitiveLimitShrinksTheBatches)
{
    m_D3D->Adapters[0].Caps.MaxPrimitiveCount = 100;
    ASSERT_TRUE(Start(nullptr));
    ASSERT_EQ(m_Manager->GetCaps().MaxPrimitiveCount, 100u);
    m_Manager->QueueDebugPrimitive(Numbered(450), false);
    DrawQueue();
    EXPECT_EQ(LineDraws(), (std::vector<uint32_t>{100, 100, 25}));
}

TEST_F(DebugDrawTest, DrawUsesUnlitBlendedLinesAndEachEntrysDepthTest)
{
    m_Manager->DebugDrawAxes(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    Vector3 corners[8];
    m_Manager->DebugDrawBox(corners, 1.0f, 1.0f, 1.0f, 1.0f, true);
    DrawQueue();

    const auto& draws = Device()->Draws();
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].PrimitiveCount, 3u);
    EXPECT_EQ(draws[1].PrimitiveCount, 12u);
    for (const auto& draw : draws)
    {
        const DeviceState& state = draw.State;
        EXPECT_EQ(state.RenderStates[RS_ZWRITEENABLE], 0u);
        EXPECT_EQ(state.RenderStates[RS_LIGHTING], 0u);
        EXPECT_EQ(state.RenderStates[RS_AMBIENTMATERIALSOURCE], static_cast<uint32_t>(MCS_COLOR1));
        EXPECT_EQ(state.RenderStates[RS_ALPHABLENDENABLE], 1u);
        EXPECT_EQ(state.RenderStates[RS_SRCBLEND], static_cast<uint32_t>(BLEND_SRCALPHA));
        EXPECT_EQ(state.RenderStates[RS_DESTBLEND], static_cast<uint32_t>(BLEND_INVSRCALPHA));
        EXPECT_EQ(state.FVF, 0x42u);
        EXPECT_EQ(state.Streams[0].Stride, 16u);
        EXPECT_TRUE(MatrixIsIdentity(&state.World));
        EXPECT_EQ(state.Textures[0], nullptr);
    }
    EXPECT_EQ(draws[0].State.RenderStates[RS_ZENABLE], 0u);
    EXPECT_NE(draws[1].State.RenderStates[RS_ZENABLE], 0u);
}

TEST_F(DebugDrawTest, QueueWaitsForAFrameThatDrawsDebugLines)
{
    m_Manager->DebugDrawAxes(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    m_Manager->Render(false, false);
    m_Manager->SetDebugDrawing(false);
    m_Manager->Render(true, false);
    EXPECT_EQ(m_Manager->GetDebugPrimitives().size(), 1u);
    EXPECT_TRUE(LineDraws().empty());

    m_Manager->SetDebugDrawing(true);
    m_Manager->Render(true, false);
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
    EXPECT_EQ(LineDraws(), (std::vector<uint32_t>{3}));
}

TEST_F(DebugDrawTest, QueueIsDroppedWhenTheDeviceBufferIsGone)
{
    m_Manager->DebugDrawAxes(0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f);
    m_Manager->InvalidateDeviceObjects();
    DrawQueue();
    EXPECT_TRUE(LineDraws().empty());
    EXPECT_TRUE(m_Manager->GetDebugPrimitives().empty());
}

} // namespace

// Each batch locks, and so uploads, only the vertices it draws, and nothing is locked after the last one.
TEST_F(DebugDrawTest, EachBatchLocksOnlyTheVerticesItDraws)
{
    const uint32_t vertex = sizeof(VERTEX_WORLDPOS_DIFFUSE);
    const uint32_t batch = 2 * 4048;
    m_Manager->QueueDebugPrimitive(Numbered(batch + 10), true);
    m_Manager->QueueDebugPrimitive(Numbered(1), false);
    m_Manager->QueueDebugPrimitive(Numbered(6), false);
    DrawQueue();
    const std::string discard = " " + std::to_string(LOCK_DISCARD);
    EXPECT_EQ(CallsOf("VertexBuffer::Lock"),
              (std::vector<std::string>{"0 " + std::to_string(batch * vertex) + discard,
                                        "0 " + std::to_string(10 * vertex) + discard,
                                        "0 " + std::to_string(6 * vertex) + discard}));
    EXPECT_EQ(CallsOf("VertexBuffer::Unlock").size(), 3u);
    EXPECT_EQ(LineDraws(), (std::vector<uint32_t>{4048, 5, 3}));
}
