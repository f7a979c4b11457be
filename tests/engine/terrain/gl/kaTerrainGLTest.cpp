#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/ka3DObject.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/terrain/kaTerrain.h"
#include "engine/terrain/kaTerrainQuad.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"
#include "tools/terraingen/TerrainSamples.h"

#include <gtest/gtest.h>

#include <memory>

using namespace platform;

namespace
{

// Draws the terrain's quads as its drawing pass will: layer by layer over all quads, or subset 0 of each.
class TerrainPass : public ka3DObject
{
public:
    explicit TerrainPass(kaTerrain& terrain) : m_Terrain(terrain) {}
    void Render(uint32_t) override
    {
        GfxDevice* device = g_pGraphicsManager->GetDevice();
        Matrix identity;
        MatrixIdentity(&identity);
        const int32_t layers = m_Terrain.IsLayered() ? m_Terrain.GetLayerCount() : 1;
        for (int32_t layer = 0; layer < layers; ++layer)
            for (int32_t qz = 0; qz < m_Terrain.GetQuadRows(); ++qz)
                for (int32_t qx = 0; qx < m_Terrain.GetQuadColumns(); ++qx)
                {
                    kaTerrainQuad* quad = m_Terrain.GetQuad(qx, qz);
                    quad->DrawSubset(device, quad->GetSubset(uint32_t(layer)), identity);
                }
    }

private:
    kaTerrain& m_Terrain;
};

struct Rgb
{
    int r, g, b;
};

class TerrainOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(320, 240, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
        m_Manager->SetClearColor(0xFF000000);
        ASSERT_TRUE(m_Manager->AddSceneObject(&m_Pass, false));
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(
            TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[0]), 256.0f, 100.0f, 256.0f, false));
    }

    void TearDown() override
    {
        m_Manager->DetachSceneObject(&m_Pass);
        // The quads' textures belong to the manager's tables: the terrain goes first.
        m_pTerrain.reset();
        m_Graphics.Stop();
        _ResetClockState();
    }

    // One frame from straight above the middle, X to the right and Z up the screen; the colour at the
    // ground point (x, z).
    std::vector<Rgb> Colours(const std::vector<std::pair<float, float>>& points)
    {
        Matrix view;
        Matrix projection;
        const Vector3 eye(128.0f, 420.0f, 128.0f);
        const Vector3 at(128.0f, 0.0f, 128.0f);
        const Vector3 up(0.0f, 0.0f, 1.0f);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixPerspectiveFovLH(&projection, 1.0f, 320.0f / 240.0f, 10.0f, 1000.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        std::vector<Rgb> colours;
        for (const auto& [x, z] : points)
        {
            const Vector3 screen =
                m_Manager->ProjectToScreen(m_Terrain.GetVertexPosition(int32_t(x), int32_t(z)));
            const size_t at = (size_t(screen.y) * frame.Width + size_t(screen.x)) * 3;
            EXPECT_LT(at + 2, frame.Rows.size());
            colours.push_back(at + 2 < frame.Rows.size()
                                  ? Rgb{frame.Rows[at + 2], frame.Rows[at + 1], frame.Rows[at]}
                                  : Rgb{0, 0, 0});
        }
        return colours;
    }

    testsupport::HeadlessGraphics m_Graphics{"TerrainGL", 100, 100};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    std::unique_ptr<kaTerrain> m_pTerrain = std::make_unique<kaTerrain>();
    kaTerrain& m_Terrain = *m_pTerrain;
    TerrainPass m_Pass{m_Terrain};
};

TEST_F(TerrainOpenGLTest, TheTopLayerCoversItsHalfOnly)
{
    const TerrainSamples::MapSize& size = TerrainSamples::kMapSizes[0];
    // Grass everywhere beneath, sand where the half mask is 255 (the columns below 128).
    ASSERT_TRUE(m_Terrain.AddLayer(TerrainSamples::MaskPath(TerrainSamples::MaskKind::Full, size),
                                   TerrainSamples::TilePath("grass"), 8.0f, false));
    ASSERT_TRUE(m_Terrain.AddLayer(TerrainSamples::MaskPath(TerrainSamples::MaskKind::Half, size),
                                   TerrainSamples::TilePath("sand"), 8.0f, false));
    m_Terrain.Build();
    const std::vector<Rgb> colours =
        Colours({{20, 40}, {64, 128}, {110, 220}, {150, 40}, {192, 128}, {240, 220}});
    for (size_t i = 0; i < colours.size(); ++i)
    {
        const Rgb& c = colours[i];
        SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(c.r) + " " + std::to_string(c.g) + " " +
                     std::to_string(c.b));
        if (i < 3)
        {
            // Sand: red over green, both well above blue.
            EXPECT_GT(c.r, c.g);
            EXPECT_GT(c.g, c.b + 30);
        }
        else
        {
            // Grass: green well above red and blue.
            EXPECT_GT(c.g, c.r + 40);
            EXPECT_GT(c.g, c.b + 40);
        }
    }
}

TEST_F(TerrainOpenGLTest, TheSingleLayerBuildShowsEachQuadrantInItsQuads)
{
    ASSERT_TRUE(m_Terrain.SetSingleLayerTextures(TerrainSamples::BasePath(256),
                                                 TerrainSamples::TilePath("detail"), 12.0f));
    m_Terrain.BuildSingleLayer();
    // Quadrants by first-stored rows then columns: red, green / blue, yellow.
    const std::vector<Rgb> colours = Colours({{64, 64}, {192, 64}, {64, 192}, {192, 192}});
    const bool red[] = {true, false, false, true};
    const bool green[] = {false, true, false, true};
    const bool blue[] = {false, false, true, false};
    for (size_t i = 0; i < colours.size(); ++i)
    {
        const Rgb& c = colours[i];
        SCOPED_TRACE(std::to_string(i) + ": " + std::to_string(c.r) + " " + std::to_string(c.g) + " " +
                     std::to_string(c.b));
        EXPECT_EQ(c.r > 100, red[i]);
        EXPECT_EQ(c.g > 100, green[i]);
        EXPECT_EQ(c.b > 100, blue[i]);
    }
}

} // namespace
