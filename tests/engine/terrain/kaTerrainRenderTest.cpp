#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaIndexBuffer.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"
#include "tests/engine/render/GraphicsManagerFixture.h"
#include "tests/engine/terrain/TerrainTestSupport.h"
#include "tests/support/CurrentDirectory.h"

#include "platform/gfx/math/Matrix.h"

#include <gtest/gtest.h>

#include <map>
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

TEST_F(TerrainRenderTest, ATerrainWithoutQuadsDrawsNothing)
{
    Generate();
    Look({64.0f, 400.0f, 64.0f}, {64.0f, 0.0f, 64.0f}, 1.2f);
    EXPECT_TRUE(DrawnFrame().empty());
}

} // namespace
