#include "engine/model/kaMesh.h"

#include "engine/render/kaEffect.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaVertexBuffer.h"
#include "tests/support/engine/model/MeshTestSupport.h"
#include "tests/support/engine/model/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using meshtest::LitVertex;
using meshtest::PlainVertex;
using meshtest::ReadIndices;
using meshtest::ReadVertices;

namespace
{

class MeshFromSizes : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    // Normals along +y.
    static kaMesh* PlainMesh(const std::vector<platform::Vector3>& positions,
                             const std::vector<uint16_t>& indices)
    {
        return modeltest::PlainMesh(positions, indices, platform::Vector3(0.0f, 1.0f, 0.0f));
    }
};

TEST_F(MeshFromSizes, SharedVerticesGiveOneVertexPairAndAnIndexPairPerSubset)
{
    kaMesh mesh(0x152, 2, 4, 3, true);
    ASSERT_EQ(mesh.GetSubsetCount(), 3u);
    std::set<kaResourceHandle> vertexHandles, indexHandles;
    for (uint32_t i = 0; i < 3; ++i)
    {
        const kaMeshSubset* subset = mesh.GetSubset(i);
        EXPECT_EQ(subset->m_Name, "RAW");
        EXPECT_EQ(subset->m_VertexCount, 4u);
        EXPECT_EQ(subset->m_IndexCount, 6u);
        EXPECT_EQ(subset->m_PrimitiveCount, 2u);
        EXPECT_EQ(subset->m_VertexBuffer, mesh.GetSubset(0)->m_VertexBuffer);
        EXPECT_EQ(subset->m_SysVertexBuffer, mesh.GetSubset(0)->m_SysVertexBuffer);
        vertexHandles.insert({subset->m_VertexBuffer, subset->m_SysVertexBuffer});
        indexHandles.insert({subset->m_IndexBuffer, subset->m_SysIndexBuffer});
    }
    EXPECT_EQ(vertexHandles.size(), 2u);
    EXPECT_EQ(indexHandles.size(), 6u);
    EXPECT_EQ(indexHandles.count(0u), 0u);
    EXPECT_EQ(m_Manager->GetVertexBuffer(mesh.GetSubset(0)->m_VertexBuffer)->GetPool(),
              platform::POOL_MANAGED);
    EXPECT_EQ(m_Manager->GetVertexBuffer(mesh.GetSubset(0)->m_SysVertexBuffer)->GetPool(),
              platform::POOL_SYSTEMMEM);
    EXPECT_EQ(mesh.GetSubset(3), nullptr);
}

TEST_F(MeshFromSizes, SharedVertexRunsOutliveTheFirstSubset)
{
    auto* mesh = new kaMesh(0x012, 1, 3, 2, true);
    mesh->AddRef();
    const kaResourceHandle shared = mesh->GetSubset(1)->m_VertexBuffer;
    // Each subset holds its own reference: releasing one leaves the run to the other.
    mesh->GetSubset(0)->ReleaseBuffers();
    EXPECT_NE(m_Manager->LockVertexBuffer(shared), nullptr);
    m_Manager->UnlockVertexBuffer(shared);
    mesh->Release();
}

TEST_F(MeshFromSizes, SetVerticesCopiesWholeVerticesIntoBothCopies)
{
    kaMesh mesh(0x152, 1, 3, 1, false);
    const std::vector<LitVertex> vertices = {{1, 2, 3, 0, 1, 0, 0xFF102030, 0.25f, 0.5f},
                                             {4, 5, 6, 0, 0, 1, 0x80FFFFFF, 1, 0},
                                             {7, 8, 9, 1, 0, 0, 0x00000001, 0, 1}};
    mesh.SetVertices(vertices.data(), 0);
    const kaMeshSubset* subset = mesh.GetSubset(0);
    for (kaResourceHandle handle : {subset->m_VertexBuffer, subset->m_SysVertexBuffer})
    {
        const std::vector<LitVertex> read = ReadVertices<LitVertex>(handle, 3);
        ASSERT_EQ(read.size(), 3u);
        EXPECT_EQ(std::memcmp(read.data(), vertices.data(), 3 * sizeof(LitVertex)), 0);
    }
}

TEST_F(MeshFromSizes, VerticesOfAnUnknownFormatOrSubsetAreNotCopied)
{
    kaMesh mesh(0x152, 1, 3, 1, false);
    std::vector<LitVertex> zeros(3, LitVertex{});
    mesh.SetVertices(zeros.data(), 0);
    std::vector<LitVertex> vertices(3, LitVertex{9, 9, 9, 9, 9, 9, 9, 9, 9});
    mesh.SetVertices(vertices.data(), 1);
    EXPECT_EQ(ReadVertices<LitVertex>(mesh.GetSubset(0)->m_SysVertexBuffer, 1)[0].x, 0.0f);
    EXPECT_EQ(kaMesh::GetVertexSize(0x152), 36u);
    EXPECT_EQ(kaMesh::GetVertexSize(0x044), 20u);
    EXPECT_EQ(kaMesh::GetVertexSize(0x452), 60u);
    EXPECT_EQ(kaMesh::GetVertexSize(0x152 | platform::FVF_SPECULAR), 0u);
}

TEST_F(MeshFromSizes, SetIndicesFillsBothCopiesAndIgnoresAnIndexPastTheSubsets)
{
    kaMesh mesh(0x012, 2, 4, 1, false);
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    mesh.SetIndices(indices, 0);
    const uint16_t other[6] = {3, 3, 3, 3, 3, 3};
    mesh.SetIndices(other, 1);
    mesh.SetIndices(other, 0xFFFFFFFF);
    for (kaResourceHandle handle : {mesh.GetSubset(0)->m_IndexBuffer, mesh.GetSubset(0)->m_SysIndexBuffer})
        EXPECT_EQ(ReadIndices(handle, 6), std::vector<uint16_t>(indices, indices + 6));
}

TEST_F(MeshFromSizes, RadiusReachesTheFarthestVertexFromTheCentre)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {0, 1, 2});
    EXPECT_EQ(mesh->GetCentre(), platform::Vector3(1, 1, 0));
    EXPECT_FLOAT_EQ(mesh->GetRadius(), std::sqrt(2.0f));
    const kaMeshSubset* subset = mesh->GetSubset(0);
    EXPECT_EQ(subset->m_Min, platform::Vector3(0, 0, 0));
    EXPECT_EQ(subset->m_Max, platform::Vector3(2, 2, 0));
    EXPECT_FLOAT_EQ(subset->m_Radius, std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(subset->ComputeRadius(platform::Vector3(0, 0, 0)), 2.0f);
    mesh->Release();
}

// The radius over runs of every length around the four vertices measured at once, the farthest vertex in
// every place (each lane and the ones left over): bit for bit the measure of one vertex at a time.
TEST_F(MeshFromSizes, RadiusOfAnyVertexCountIsTheOneByOneMeasure)
{
    const platform::Vector3 centre(0.375f, -1.25f, 2.5f);
    const auto oneByOne = [&centre](const std::vector<PlainVertex>& vertices)
    {
        float largest = 0.0f;
        for (const PlainVertex& v : vertices)
        {
            const float dx = v.x - centre.x, dy = v.y - centre.y, dz = v.z - centre.z;
            largest = std::max(largest, dx * dx + dy * dy + dz * dz);
        }
        return std::sqrt(largest);
    };
    for (uint32_t count = 1; count <= 13; ++count)
        for (uint32_t far = 0; far < count; ++far)
        {
            SCOPED_TRACE(std::to_string(count) + " vertices, the farthest at " + std::to_string(far));
            std::vector<PlainVertex> vertices;
            for (uint32_t i = 0; i < count; ++i)
            {
                const float step = 0.1f * static_cast<float>(i + 1);
                vertices.push_back({step, -step / 3.0f, 1.0f + step * step, 0, 1, 0});
            }
            vertices[far] = {-7.3f, 4.1f, 9.7f, 0, 1, 0};
            auto* mesh = new kaMesh(0x012, 1, count, 1, false);
            mesh->AddRef();
            mesh->SetVertices(vertices.data(), 0);
            EXPECT_EQ(mesh->GetSubset(0)->ComputeRadius(centre), oneByOne(vertices));
            mesh->Release();
        }
}

TEST_F(MeshFromSizes, BoundsCoverEverySubset)
{
    auto* mesh = new kaMesh(0x012, 1, 3, 2, false);
    mesh->AddRef();
    const PlainVertex first[3] = {{-1, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 1, 0}, {0, 1, 0, 0, 1, 0}};
    const PlainVertex second[3] = {{0, 0, 0, 0, 1, 0}, {3, 0, 0, 0, 1, 0}, {0, 0, 4, 0, 1, 0}};
    mesh->SetVertices(first, 0);
    mesh->SetVertices(second, 1);
    mesh->ComputeBounds();
    EXPECT_EQ(mesh->GetMin(), platform::Vector3(-1, 0, 0));
    EXPECT_EQ(mesh->GetMax(), platform::Vector3(3, 1, 4));
    EXPECT_EQ(mesh->GetCentre(), platform::Vector3(1, 0.5f, 2));
    mesh->Release();
}

TEST_F(MeshFromSizes, WorldBoxFollowsTheTransformButKeepsTheLocalRadius)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {2, 0, 0}, {0, 2, 0}}, {0, 1, 2});
    mesh->SetPosition(10, 0, 0);
    mesh->UpdateTransform();
    const kaBoundingBox* box = mesh->GetBoundingBox();
    EXPECT_EQ(box->m_Min, platform::Vector3(10, 0, 0));
    EXPECT_EQ(box->m_Max, platform::Vector3(12, 2, 0));
    EXPECT_EQ(box->m_Centre, platform::Vector3(11, 1, 0));
    EXPECT_FLOAT_EQ(box->m_Radius, mesh->GetRadius());

    // A quarter turn about z: x becomes y.
    platform::Matrix turn;
    platform::MatrixRotationZ(&turn, 1.57079633f);
    kaBoundingBox turned;
    mesh->TransformBounds(turned, turn, nullptr, nullptr);
    EXPECT_NEAR(turned.m_Min.x, -2.0f, 1e-5f);
    EXPECT_NEAR(turned.m_Max.y, 2.0f, 1e-5f);
    EXPECT_NEAR(turned.m_Min.y, 0.0f, 1e-5f);
    mesh->Release();
}

TEST_F(MeshFromSizes, CopySubsetsFromGivesOneVertexPerIndex)
{
    kaMesh* source =
        PlainMesh({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {0, 1, 2, 0, 2, 3, 3, 2, 1, 1, 0, 3});
    kaMesh copy;
    copy.CopySubsetsFrom(*source);
    EXPECT_EQ(copy.GetVertexCount(), 12u);
    EXPECT_EQ(copy.GetIndexCount(), 12u);
    EXPECT_TRUE(copy.AreDeviceObjectsCreated());
    const kaMeshSubset* subset = copy.GetSubset(0);
    ASSERT_NE(subset, nullptr);
    EXPECT_EQ(subset->m_VertexCount, 12u);
    EXPECT_EQ(subset->m_PrimitiveCount, 4u);
    std::vector<uint16_t> sequence(12);
    for (uint16_t i = 0; i < 12; ++i)
        sequence[i] = i;
    EXPECT_EQ(ReadIndices(subset->m_IndexBuffer, 12), sequence);
    EXPECT_EQ(ReadIndices(subset->m_SysIndexBuffer, 12), sequence);
    const uint16_t order[12] = {0, 1, 2, 0, 2, 3, 3, 2, 1, 1, 0, 3};
    const std::vector<PlainVertex> original =
        ReadVertices<PlainVertex>(source->GetSubset(0)->m_SysVertexBuffer, 4);
    for (kaResourceHandle handle : {subset->m_VertexBuffer, subset->m_SysVertexBuffer})
    {
        const std::vector<PlainVertex> vertices = ReadVertices<PlainVertex>(handle, 12);
        for (int i = 0; i < 12; ++i)
        {
            EXPECT_EQ(vertices[i].x, original[order[i]].x) << i;
            EXPECT_EQ(vertices[i].y, original[order[i]].y) << i;
        }
    }
    source->Release();
}

TEST_F(MeshFromSizes, CopyConstructionMakesNewBuffersWithTheSameContents)
{
    kaMesh* source = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    source->GetSubset(0)->m_SourceVertexMap = {4, 5, 6};
    auto* copy = new kaMesh(*source);
    copy->AddRef();
    source->Release();
    const kaMeshSubset* subset = copy->GetSubset(0);
    ASSERT_NE(subset, nullptr);
    EXPECT_TRUE(copy->AreDeviceObjectsCreated());
    EXPECT_EQ(subset->m_SourceVertexMap, (std::vector<uint32_t>{4, 5, 6}));
    EXPECT_EQ(ReadIndices(subset->m_SysIndexBuffer, 3), (std::vector<uint16_t>{0, 1, 2}));
    EXPECT_EQ(ReadVertices<PlainVertex>(subset->m_VertexBuffer, 3)[1].x, 1.0f);
    EXPECT_EQ(m_Manager->GetVertexBuffer(subset->m_SysVertexBuffer)->GetPool(), platform::POOL_SYSTEMMEM);
    copy->Release();
}

// A copy that shares its index runs holds its own reference on them: they outlive the source and are given
// back with the copy, exactly as runs of its own are; its vertex runs are always its own.
TEST_F(MeshFromSizes, ACopyKeepsItsIndicesAfterTheSourceGoesAndGivesThemBackWithItself)
{
    const struct
    {
        kaMeshSubset::IndexRuns runs;
        bool sameHandles;
    } cases[] = {{kaMeshSubset::IndexRuns::kCopied, false}, {kaMeshSubset::IndexRuns::kShared, true}};
    for (const auto& c : cases)
    {
        kaMesh* source = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 2, 1});
        const kaMeshSubset* from = source->GetSubset(0);
        const kaResourceHandle sourceIndices[2] = {from->m_IndexBuffer, from->m_SysIndexBuffer};
        const kaResourceHandle sourceVertices[2] = {from->m_VertexBuffer, from->m_SysVertexBuffer};
        auto* copy = new kaMesh(*source, c.runs);
        copy->AddRef();
        source->Release();
        const kaMeshSubset* subset = copy->GetSubset(0);
        ASSERT_NE(subset, nullptr);
        const kaResourceHandle copyIndices[2] = {subset->m_IndexBuffer, subset->m_SysIndexBuffer};
        for (int i = 0; i < 2; ++i)
        {
            EXPECT_EQ(copyIndices[i] == sourceIndices[i], c.sameHandles) << i;
            EXPECT_EQ(ReadIndices(copyIndices[i], 3), (std::vector<uint16_t>{0, 2, 1})) << i;
        }
        EXPECT_NE(subset->m_VertexBuffer, sourceVertices[0]);
        EXPECT_NE(subset->m_SysVertexBuffer, sourceVertices[1]);
        copy->Release();
        // Nothing holds the runs any longer, so their pools are gone.
        for (const kaResourceHandle handle : copyIndices)
            EXPECT_EQ(m_Manager->GetIndexBuffer(handle), nullptr);
    }
}

TEST_F(MeshFromSizes, ProjectedCoordinatesSpanTheFlattestPlane)
{
    // Flat in y: u runs along x, v along z.
    kaMesh flat(0x152, 1, 3, 1, false);
    const LitVertex ground[3] = {
        {0, 0, 0, 0, 1, 0, 0, 0, 0}, {2, 0, 0, 0, 1, 0, 0, 0, 0}, {2, 0, 4, 0, 1, 0, 0, 0, 0}};
    flat.SetVertices(ground, 0);
    flat.ComputeBounds();
    flat.GetSubset(0)->ProjectTexCoords();
    for (kaResourceHandle handle : {flat.GetSubset(0)->m_SysVertexBuffer, flat.GetSubset(0)->m_VertexBuffer})
    {
        const std::vector<LitVertex> read = ReadVertices<LitVertex>(handle, 3);
        EXPECT_FLOAT_EQ(read[0].u, -0.5f);
        EXPECT_FLOAT_EQ(read[0].v, -0.5f);
        EXPECT_FLOAT_EQ(read[1].u, 1.5f);
        EXPECT_FLOAT_EQ(read[2].v, 1.5f);
        EXPECT_EQ(read[2].color, 0u);
    }

    // Flat in x: u runs along y.
    kaMesh wall(0x152, 1, 3, 1, false);
    const LitVertex side[3] = {
        {0, 0, 0, 1, 0, 0, 0, 0, 0}, {0, 2, 0, 1, 0, 0, 0, 0, 0}, {0, 0, 2, 1, 0, 0, 0, 0, 0}};
    wall.SetVertices(side, 0);
    wall.ComputeBounds();
    wall.GetSubset(0)->ProjectTexCoords();
    const std::vector<LitVertex> read = ReadVertices<LitVertex>(wall.GetSubset(0)->m_SysVertexBuffer, 3);
    EXPECT_NEAR(read[0].u, -0.5f, 1e-5f);
    EXPECT_NEAR(read[1].u, 1.5f, 1e-5f);
    EXPECT_NEAR(read[1].v, -0.5f, 1e-5f);
    EXPECT_NEAR(read[2].v, 1.5f, 1e-5f);
}

TEST_F(MeshFromSizes, NormalsAreQueuedAsRedLinesThroughTheMatrix)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    platform::Matrix move;
    platform::MatrixTranslation(&move, 0, 0, 5);
    m_Manager->DrawDebugPrimitives();
    mesh->GetSubset(0)->DrawNormals(move);
    ASSERT_EQ(m_Manager->GetDebugPrimitives().size(), 1u);
    const kaDebugPrimitive& lines = m_Manager->GetDebugPrimitives()[0];
    ASSERT_EQ(lines.vertices.size(), 6u);
    EXPECT_EQ(lines.vertices[2].x, 1.0f);
    EXPECT_EQ(lines.vertices[2].z, 5.0f);
    EXPECT_EQ(lines.vertices[3].y, 1.0f);
    for (const VERTEX_WORLDPOS_DIFFUSE& v : lines.vertices)
        EXPECT_EQ(v.diffuse, 0xFFFF0000u);
    mesh->Release();
}

TEST_F(MeshFromSizes, ReleasingTheLastReferenceFreesEveryRun)
{
    auto* mesh = new kaMesh(0x012, 1, 3, 2, false);
    mesh->AddRef();
    const kaResourceHandle vertices = mesh->GetSubset(0)->m_VertexBuffer;
    const kaResourceHandle indices = mesh->GetSubset(1)->m_SysIndexBuffer;
    mesh->Release();
    EXPECT_EQ(m_Manager->LockVertexBuffer(vertices), nullptr);
    EXPECT_EQ(m_Manager->LockIndexBuffer(indices), nullptr);
}

TEST_F(MeshFromSizes, DrawsEachSubsetFromItsRunsWithTheWorldMatrix)
{
    // Another mesh first, so that the runs do not start at 0.
    kaMesh* before = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    mesh->SetPosition(3, 4, 5);
    mesh->UpdateTransform();
    platform::Matrix view;
    platform::MatrixTranslation(&view, 0, 0, 7);
    Device()->SetTransform(platform::TS_VIEW, &view);
    const uint32_t trianglesBefore = m_Manager->GetTriangleCount();
    meshtest::DrawInScene(Device(), mesh);

    ASSERT_EQ(Device()->Draws().size(), 1u);
    const platform::TestDevice::Draw& draw = Device()->Draws()[0];
    const kaMeshSubset* subset = mesh->GetSubset(0);
    EXPECT_TRUE(draw.Indexed);
    EXPECT_EQ(draw.Type, platform::PT_TRIANGLELIST);
    EXPECT_EQ(draw.BaseVertex, static_cast<int32_t>(m_Manager->GetVertexBufferStart(subset->m_VertexBuffer)));
    EXPECT_NE(draw.BaseVertex, 0);
    EXPECT_EQ(draw.MinIndex, 0u);
    EXPECT_EQ(draw.NumVertices, 3u);
    EXPECT_EQ(draw.Start, m_Manager->GetIndexBufferStart(subset->m_IndexBuffer));
    EXPECT_EQ(draw.PrimitiveCount, 1u);
    EXPECT_EQ(draw.State.World, mesh->GetWorldMatrix());
    EXPECT_EQ(draw.State.FVF, 0x012u);
    EXPECT_EQ(draw.State.Streams[0].Buffer,
              m_Manager->GetVertexBuffer(subset->m_VertexBuffer)->GetD3DBuffer());
    EXPECT_EQ(draw.State.Streams[0].Stride, 24u);
    EXPECT_EQ(draw.State.Indices, m_Manager->GetIndexBuffer(subset->m_IndexBuffer)->GetD3DBuffer());
    EXPECT_EQ(m_Manager->GetTriangleCount(), trianglesBefore + 1);
    platform::Matrix viewAfter;
    Device()->GetTransform(platform::TS_VIEW, &viewAfter);
    EXPECT_EQ(viewAfter, view);
    mesh->Release();
    before->Release();
}

// The frame pass asks for each root's subsets and render states ahead of its draw: however many subsets a
// mesh has, with or without a render state, every subset that can draw still draws, frame after frame.
TEST_F(MeshFromSizes, RootsOfAnyShapeDrawEverySubsetThroughTheFramePass)
{
    const struct
    {
        uint32_t subsets;
        bool firstWithoutState;
    } shapes[] = {{1, false}, {0, false}, {6, false}, {2, true},  {1, true}, {3, false},
                  {1, false}, {5, false}, {1, false}, {2, false}, {4, true}};
    size_t expected = 0;
    for (const auto& shape : shapes)
    {
        auto* mesh = new kaMesh(0x012, 1, 3, shape.subsets, false);
        ASSERT_EQ(mesh->GetSubsetCount(), shape.subsets);
        if (shape.firstWithoutState)
            mesh->GetSubset(0)->SetRenderState(nullptr);
        expected += shape.subsets - (shape.firstWithoutState ? 1 : 0);
        ASSERT_TRUE(m_Manager->AddSceneObject(mesh, false));
    }
    for (int frame = 0; frame < 2; ++frame)
    {
        Device()->ClearLog();
        m_Manager->Render(false, false);
        EXPECT_EQ(Device()->Draws().size(), expected) << "frame " << frame;
    }
}

TEST_F(MeshFromSizes, SubsetsWithoutTrianglesDrawNothing)
{
    kaMesh mesh;
    mesh.Render(0);
    kaMesh empty(0x012, 0, 3, 1, false);
    meshtest::DrawInScene(Device(), &empty);
    EXPECT_TRUE(Device()->Draws().empty());
}

TEST_F(MeshFromSizes, SortedTransparentSubsetsAreQueuedNotDrawn)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    mesh->SetPosition(1, 2, 3);
    mesh->UpdateTransform();
    mesh->SetRenderOrder(4);
    kaRenderState* state = mesh->GetSubset(0)->GetRenderState();
    ASSERT_NE(state, nullptr);
    state->m_AlphaBlend = true;
    state->m_SortAlpha = true;
    Device()->ClearLog();
    Device()->BeginScene();
    mesh->Render(0);
    EXPECT_TRUE(Device()->Draws().empty());
    ASSERT_EQ(m_Manager->GetQueuedMeshDraws().size(), 1u);
    const kaQueuedMeshDraw& queued = m_Manager->GetQueuedMeshDraws()[0];
    EXPECT_EQ(queued.world, mesh->GetWorldMatrix());
    EXPECT_EQ(queued.renderState, state);
    EXPECT_EQ(queued.triangleCount, 1u);
    EXPECT_EQ(queued.vertexCount, 3u);
    EXPECT_EQ(queued.drawOrder, 4);
    EXPECT_FALSE(queued.strip);
    EXPECT_EQ(queued.vertexStart, m_Manager->GetVertexBufferStart(mesh->GetSubset(0)->m_VertexBuffer));

    // Blending alone, or a block that asks not to be deferred, draws at once.
    state->m_NoDefer = true;
    mesh->Render(0);
    state->m_NoDefer = false;
    state->m_SortAlpha = false;
    mesh->Render(0);
    Device()->EndScene();
    EXPECT_EQ(Device()->Draws().size(), 2u);
    EXPECT_EQ(m_Manager->GetQueuedMeshDraws().size(), 1u);
    m_Manager->DrawQueuedMeshes();
    mesh->Release();
}

TEST_F(MeshFromSizes, AFailedApplyOnTheFirstPassDrawsAndCountsNothing)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    // A non-looping flip-book already past its only frame has nothing to show.
    kaRenderState* state = mesh->GetSubset(0)->GetRenderState();
    state->AddTexture(nullptr, 0, 0, 0, false, false);
    state->m_Animated = true;
    state->m_Looping = 0;
    state->m_Frame = 1;
    const uint32_t triangles = m_Manager->GetTriangleCount();
    meshtest::DrawInScene(Device(), mesh);
    EXPECT_TRUE(Device()->Draws().empty());
    EXPECT_EQ(m_Manager->GetTriangleCount(), triangles);
    mesh->Release();
}

TEST_F(MeshFromSizes, EveryPassOfTheRenderStateDrawsTheSubsetOnce)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    // Five stages on a device with four texture units make two passes.
    kaRenderState* state = mesh->GetSubset(0)->GetRenderState();
    for (int i = 0; i < 5; ++i)
        state->AddTexture(nullptr, 0, 0, 0, false, false);
    ASSERT_EQ(state->GetPassCount(), 2);
    const uint32_t triangles = m_Manager->GetTriangleCount();
    meshtest::DrawInScene(Device(), mesh);
    ASSERT_EQ(Device()->Draws().size(), 2u);
    EXPECT_EQ(Device()->Draws()[1].State.RenderStates[platform::RS_ZFUNC], platform::CMP_EQUAL);
    EXPECT_EQ(m_Manager->GetTriangleCount(), triangles + 1);
    mesh->Release();
}

TEST_F(MeshFromSizes, AnEffectGivesThePassesInsteadOfTheRenderState)
{
    kaMesh* mesh = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    // The render state alone would draw nothing.
    kaRenderState* state = mesh->GetSubset(0)->GetRenderState();
    state->AddTexture(nullptr, 0, 0, 0, false, false);
    state->m_Animated = true;
    state->m_Looping = 0;
    state->m_Frame = 1;
    const std::string path =
        m_Dir.Write("two.fx", "technique Twice\npass A\nrenderstate 7 1\npass B\nrenderstate 7 0\n");
    kaEffect* effect = m_Manager->LoadEffect(path);
    ASSERT_NE(effect, nullptr);
    ASSERT_NE(effect->GetEffect(), nullptr);
    mesh->GetSubset(0)->m_pEffect = effect;
    const uint32_t triangles = m_Manager->GetTriangleCount();
    meshtest::DrawInScene(Device(), mesh);
    EXPECT_EQ(Device()->Draws().size(), 2u);
    EXPECT_EQ(m_Manager->GetTriangleCount(), triangles + 1);
    // The effect table keeps the effect until the manager goes.
    mesh->GetSubset(0)->m_pEffect = nullptr;
    mesh->Release();
}

TEST_F(MeshFromSizes, CopiesCarryTheirOwnRenderState)
{
    kaMesh* source = PlainMesh({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
    source->GetSubset(0)->GetRenderState()->m_Lighting = false;
    kaMesh copy(*source);
    kaMesh unindexed;
    unindexed.CopySubsetsFrom(*source);
    for (const kaMesh* mesh : {static_cast<const kaMesh*>(&copy), static_cast<const kaMesh*>(&unindexed)})
    {
        const kaRenderState* state = mesh->GetSubset(0)->GetRenderState();
        ASSERT_NE(state, nullptr);
        EXPECT_NE(state, source->GetSubset(0)->GetRenderState());
        EXPECT_FALSE(state->m_Lighting);
    }
    source->Release();
    copy.SetZWrite(false);
    EXPECT_FALSE(copy.GetSubset(0)->GetRenderState()->m_ZWrite);
}

} // namespace
