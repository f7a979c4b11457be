#include "engine/model/kaMesh.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainDecal.h"
#include "engine/terrain/kaTerrainQuad.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/render/GraphicsManagerFixture.h"
#include "tests/support/engine/terrain/TerrainTestSupport.h"

#include "platform/gfx/math/Matrix.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>

using platform::Vector3;

namespace
{

class TerrainRenderTest : public GraphicsManagerFixture
{
protected:
    void SetUp() override { ASSERT_TRUE(Start(nullptr)); }

    void Generate()
    {
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(
            TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[1]), 128.0f, 40.0f, 128.0f, false));
    }

    // A camera at eye looking at `at`, and the frustum the terrain culls with taken from it.
    void Look(const Vector3& eye, const Vector3& at, float fov)
    {
        platform::Matrix view, projection;
        const Vector3 up(0.0f, 0.0f, 1.0f);
        platform::MatrixLookAtLH(&view, &eye, &at, &up);
        platform::MatrixPerspectiveFovLH(&projection, fov, 1.0f, 1.0f, 5000.0f);
        Device()->SetTransform(platform::TS_VIEW, &view);
        Device()->SetTransform(platform::TS_PROJECTION, &projection);
        m_Manager->UpdateFrustum();
        m_Manager->UseViewFrustum();
    }

    // Which (quad column, quad row, subset) each draw of one frame came from, by its place in the index
    // buffers.
    std::vector<std::pair<std::pair<int32_t, int32_t>, uint32_t>> DrawnFrame()
    {
        std::map<std::pair<const void*, uint32_t>, std::pair<std::pair<int32_t, int32_t>, uint32_t>> owners;
        for (int32_t qz = 0; qz < m_Terrain.GetQuadRows(); ++qz)
            for (int32_t qx = 0; qx < m_Terrain.GetQuadColumns(); ++qx)
            {
                const kaTerrainQuad* quad = m_Terrain.GetQuad(qx, qz);
                for (uint32_t s = 0; s < quad->GetSubsetCount(); ++s)
                    if (kaIndexBuffer* buffer = m_Manager->GetIndexBuffer(quad->GetSubset(s)->m_IndexBuffer))
                        owners.emplace(
                            std::make_pair(static_cast<const void*>(buffer->GetD3DBuffer()),
                                           m_Manager->GetIndexBufferStart(quad->GetSubset(s)->m_IndexBuffer)),
                            std::make_pair(std::make_pair(qx, qz), s));
            }
        Device()->ClearLog();
        Device()->BeginScene();
        m_Terrain.Render();
        Device()->EndScene();
        std::vector<std::pair<std::pair<int32_t, int32_t>, uint32_t>> drawn;
        for (const auto& draw : Device()->Draws())
        {
            const auto owner =
                owners.find(std::make_pair(static_cast<const void*>(draw.State.Indices), draw.Start));
            EXPECT_NE(owner, owners.end());
            if (owner != owners.end())
                drawn.push_back(owner->second);
        }
        return drawn;
    }

    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaTerrain m_Terrain;
};

TEST_F(TerrainRenderTest, OnlyQuadsInsideTheFrustumAreDrawnAtTheirLevel)
{
    Generate();
    ASSERT_TRUE(m_Terrain.SetSingleLayerTextures(TerrainSamples::BasePath(128),
                                                 TerrainSamples::TilePath("detail"), 4.0f));
    m_Terrain.BuildSingleLayer();
    ASSERT_EQ(m_Terrain.GetQuadColumns(), 4);
    struct Case
    {
        Vector3 eye, at;
        float fov;
        size_t draws;
    };
    // Straight down over the whole terrain, then a narrow look at the first quad from above it.
    const Case cases[] = {{{64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f, 16},
                          {{16.0f, 200.0f, 16.0f}, {16.0f, 0.0f, 16.0f}, 0.05f, 1}};
    for (const Case& c : cases)
    {
        Look(c.eye, c.at, c.fov);
        const auto drawn = DrawnFrame();
        ASSERT_EQ(drawn.size(), c.draws);
        EXPECT_EQ(drawn[0].first, std::make_pair(0, 0));
    }

    kaTerrainQuad& quad = *m_Terrain.GetQuad(0, 0);
    for (const int32_t level : {-1, 5})
        EXPECT_FALSE(quad.SetLevel(level));
    ASSERT_TRUE(quad.SetLevel(2));
    EXPECT_EQ(quad.GetLevel(), 2);
    const auto drawn = DrawnFrame();
    ASSERT_EQ(drawn.size(), 1u);
    EXPECT_EQ(drawn[0].second, 2u);
    // Level 2 has 8 x 8 cells.
    EXPECT_EQ(Device()->Draws()[0].PrimitiveCount, 128u);
}

TEST_F(TerrainRenderTest, TheBottomLayerOfEveryVisibleQuadIsDrawnBeforeAnyUpperLayer)
{
    Generate();
    // Opaque ground under a ramp: the ramp leaves the ground showing, so both layers hold triangles.
    for (const auto kind : {TerrainSamples::MaskKind::Full, TerrainSamples::MaskKind::Ramp})
        ASSERT_TRUE(m_Terrain.AddLayer(TerrainSamples::MaskPath(kind, TerrainSamples::kMapSizes[1]),
                                       TerrainSamples::TilePath("grass"), 8.0f, false));
    m_Terrain.Build();
    size_t withTriangles[2] = {0, 0};
    for (int32_t qz = 0; qz < 4; ++qz)
        for (int32_t qx = 0; qx < 4; ++qx)
            for (uint32_t layer = 0; layer < 2; ++layer)
                if (m_Terrain.GetQuad(qx, qz)->GetSubset(layer)->m_PrimitiveCount > 0)
                    ++withTriangles[layer];
    ASSERT_GT(withTriangles[0], 0u);
    ASSERT_GT(withTriangles[1], 0u);
    Look({64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f);
    const auto drawn = DrawnFrame();
    ASSERT_EQ(drawn.size(), withTriangles[0] + withTriangles[1]);
    for (size_t i = 0; i < drawn.size(); ++i)
        EXPECT_EQ(drawn[i].second, i < withTriangles[0] ? 0u : 1u) << i;
}

TEST_F(TerrainRenderTest, LevelsDrawWholeAfterAnotherTerrainIsGoneAndForTerrainsBuiltAfterIt)
{
    Generate();
    m_Terrain.BuildSingleLayer();
    const auto build = [](kaTerrain& terrain)
    {
        ASSERT_TRUE(terrain.GenerateHeightMapVerts(
            TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[1]), 128.0f, 40.0f, 128.0f, false));
        terrain.BuildSingleLayer();
    };
    {
        kaTerrain gone;
        build(gone);
    }
    kaTerrain later;
    build(later);
    // Every level of a quad of either terrain holds its whole set: k x k x 6 indices.
    for (const kaTerrain* terrain : {&m_Terrain, &later})
        for (uint32_t level = 0; level < 5; ++level)
        {
            const uint32_t cells = 32u >> level;
            const kaMeshSubset& subset = *terrain->GetQuad(1, 2)->GetSubset(level);
            EXPECT_EQ(subset.m_IndexCount, cells * cells * 6) << level;
            EXPECT_EQ(terraintest::ReadIndices(subset).size(), size_t(cells) * cells * 6) << level;
        }

    ASSERT_TRUE(m_Terrain.GetQuad(0, 0)->SetLevel(4));
    Look({64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f);
    const auto drawn = DrawnFrame();
    ASSERT_EQ(drawn.size(), 16u);
    // The level-4 quad draws its 8 triangles; beside it the 62 border triangles of a level-0 neighbour
    // become two fans of 16 reaching the coarse quad's three border vertices.
    EXPECT_EQ(Device()->Draws()[0].PrimitiveCount, 8u);
    EXPECT_EQ(Device()->Draws()[1].PrimitiveCount, 2048u - 62u + 32u);
    EXPECT_EQ(Device()->Draws()[15].PrimitiveCount, 2048u);
}

TEST_F(TerrainRenderTest, ATerrainWithoutQuadsDrawsNothing)
{
    Generate();
    Look({64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f);
    EXPECT_TRUE(DrawnFrame().empty());
}

// The decals and the edge mesh, drawn by a terrain that belongs to a world with a camera.
class TerrainDecalRenderTest : public TerrainRenderTest
{
protected:
    void SetUp() override
    {
        TerrainRenderTest::SetUp();
        Generate();
        m_Terrain.BuildSingleLayer();
        m_Terrain.SetWorld(m_pWorld.get());
        m_Terrain.BuildEdgePanels("");
    }

    void TearDown() override { m_Terrain.SetWorld(nullptr); }

    // The world camera's projection with a view from eye to at, as the world's drawing sets them.
    void LookThroughCamera(const Vector3& eye, const Vector3& at, float fov)
    {
        kaCamera& camera = *m_pWorld->GetCamera();
        camera.SetFieldOfView(fov);
        camera.SetAspect(1.0f);
        camera.UpdateProjection();
        platform::Matrix view;
        const Vector3 up(0.0f, 0.0f, 1.0f);
        platform::MatrixLookAtLH(&view, &eye, &at, &up);
        Device()->SetTransform(platform::TS_VIEW, &view);
        Device()->SetTransform(platform::TS_PROJECTION, &camera.GetComputedProjection());
        m_Manager->UpdateFrustum();
        m_Manager->UseViewFrustum();
    }

    kaTerrainDecal* Decal(int32_t col, int32_t row)
    {
        auto* decal = new kaTerrainDecal(&m_Terrain, "", col, row, 2, 2, 1.0f, 1.0f, true, 0xFFFFFFFFu, 0, 0,
                                         0, 2.0f, 2.0f, false, false, 0.0f, 0.0f);
        m_Terrain.AddDecal(decal);
        return decal;
    }

    struct Drawn
    {
        std::string what;
        // Whether the projection in force was the camera's own.
        bool plainProjection;
    };

    // What each draw of one frame came from: "quad", "decal <index in the terrain's list>" or "edge".
    std::vector<Drawn> Frame(bool decalPassOnly)
    {
        std::map<std::pair<const void*, uint32_t>, std::string> owners;
        const auto own = [&](const kaMeshSubset* subset, const std::string& what)
        {
            if (kaIndexBuffer* buffer = m_Manager->GetIndexBuffer(subset->m_IndexBuffer))
                owners.emplace(std::make_pair(static_cast<const void*>(buffer->GetD3DBuffer()),
                                              m_Manager->GetIndexBufferStart(subset->m_IndexBuffer)),
                               what);
        };
        for (int32_t qz = 0; qz < m_Terrain.GetQuadRows(); ++qz)
            for (int32_t qx = 0; qx < m_Terrain.GetQuadColumns(); ++qx)
                for (uint32_t s = 0; s < m_Terrain.GetQuad(qx, qz)->GetSubsetCount(); ++s)
                    own(m_Terrain.GetQuad(qx, qz)->GetSubset(s), "quad");
        for (int32_t i = 0; i < m_Terrain.GetDecalCount(); ++i)
            if (const kaMesh* mesh = m_Terrain.GetDecal(i)->GetMesh())
                own(mesh->GetSubset(0), "decal " + std::to_string(i));
        own(m_Terrain.GetEdgeMesh()->GetSubset(0), "edge");

        const float plain = m_pWorld->GetCamera()->GetComputedProjection()(3, 2);
        Device()->ClearLog();
        Device()->BeginScene();
        m_Terrain.Render(decalPassOnly);
        Device()->EndScene();
        std::vector<Drawn> drawn;
        for (const auto& draw : Device()->Draws())
        {
            const auto owner =
                owners.find(std::make_pair(static_cast<const void*>(draw.State.Indices), draw.Start));
            drawn.push_back(
                {owner == owners.end() ? "unknown" : owner->second, draw.State.Projection(3, 2) == plain});
        }
        // The projection is the camera's again afterwards.
        platform::Matrix after;
        Device()->GetTransform(platform::TS_PROJECTION, &after);
        EXPECT_EQ(after(3, 2), plain);
        return drawn;
    }

    std::unique_ptr<kaWorld> m_pWorld = std::make_unique<kaWorld>();
};

TEST_F(TerrainDecalRenderTest, DecalsInViewFollowTheQuadsUnderTheDepthBiasAndTheEdgeMeshComesLast)
{
    Decal(10, 10);
    Decal(20, 30)->SetSwitchedOn(false);
    Decal(60, 90)->SetPassFlag(false);
    Decal(120, 120);
    // Off the samples: no mesh, nothing drawn.
    Decal(127, 0);
    ASSERT_EQ(m_Terrain.GetDecal(4)->GetMesh(), nullptr);

    struct Case
    {
        Vector3 eye, at;
        float fov;
        bool passOnly;
        std::vector<std::string> decals;
    };
    // The whole terrain from above; then only decals with the pass flag; then a narrow look at the first
    // quad, which leaves the far decal out of view.
    const Case cases[] = {
        {{64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f, false, {"decal 0", "decal 2", "decal 3"}},
        {{64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f, true, {"decal 0", "decal 3"}},
        {{16.0f, 200.0f, 16.0f}, {16.0f, 0.0f, 16.0f}, 0.1f, false, {"decal 0"}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.decals.size());
        LookThroughCamera(c.eye, c.at, c.fov);
        const std::vector<Drawn> drawn = Frame(c.passOnly);
        ASSERT_GT(drawn.size(), c.decals.size() + 1);
        const size_t quads = drawn.size() - c.decals.size() - 1;
        for (size_t i = 0; i < drawn.size(); ++i)
        {
            SCOPED_TRACE(i);
            const std::string expected =
                i < quads ? "quad" : (i < quads + c.decals.size() ? c.decals[i - quads] : "edge");
            EXPECT_EQ(drawn[i].what, expected);
            // Only the decals are pulled towards the eye.
            EXPECT_EQ(drawn[i].plainProjection, expected.rfind("decal", 0) != 0);
        }
    }
}

TEST_F(TerrainDecalRenderTest, WithoutAWorldCameraNoDecalIsDrawnYetTheEdgeMeshIs)
{
    Decal(10, 10);
    LookThroughCamera({64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f);
    kaCamera* camera = m_pWorld->GetCamera();
    m_pWorld->SetCamera(nullptr);
    Device()->ClearLog();
    Device()->BeginScene();
    m_Terrain.Render(false);
    Device()->EndScene();
    m_pWorld->SetCamera(camera);
    ASSERT_EQ(Device()->Draws().size(), 17u);
    m_Terrain.SetWorld(nullptr);
    Device()->ClearLog();
    Device()->BeginScene();
    m_Terrain.Render(false);
    Device()->EndScene();
    EXPECT_EQ(Device()->Draws().size(), 17u);
    // The last draw is the edge panel's eight triangles.
    EXPECT_EQ(Device()->Draws().back().PrimitiveCount, 8u);
}

} // namespace
