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

#include <cmath>
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

// The single-layer terrain drawn as the world draws it: culled quads at their levels, stitched borders.
class SingleLayerPass : public ka3DObject
{
public:
    explicit SingleLayerPass(kaTerrain& terrain) : m_Terrain(terrain) {}
    void Render(uint32_t) override { m_Terrain.RenderSingleLayer(); }

private:
    kaTerrain& m_Terrain;
};

// Plain white ground over a red clear colour, so that any crack between quads of different levels shows
// red where the ground stands.
class TerrainLevelsOpenGLTest : public ::testing::Test
{
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 480;
    static constexpr float kFov = 0.7f;
    // Ground is looked for on every kBlock-th pixel; a pixel counts as inside the ground's outline when the
    // blocks around it all found ground, so the silhouette, which differs between levels, is left out.
    static constexpr int kBlock = 4;

    void SetUp() override
    {
        _ResetClockState();
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(kWidth, kHeight, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
        m_Manager->SetClearColor(0xFFFF0000);
        ASSERT_TRUE(m_Manager->AddSceneObject(&m_Pass, false));
        ASSERT_TRUE(m_Terrain.GenerateHeightMapVerts(
            TerrainSamples::HeightMapPath(TerrainSamples::kMapSizes[0]), 512.0f, 100.0f, 512.0f, false));
        m_Terrain.BuildSingleLayer();
        ASSERT_EQ(m_Terrain.GetQuadColumns(), 8);
    }

    void TearDown() override
    {
        m_Manager->DetachSceneObject(&m_Pass);
        m_pTerrain.reset();
        m_Graphics.Stop();
        _ResetClockState();
    }

    // The pixels of one frame from eye to at that show the clear colour although the ground is there:
    // each as (x, y).
    std::vector<std::pair<int, int>> RedInsideTheGround(const Vector3& eye, const Vector3& at)
    {
        Matrix view;
        Matrix projection;
        const Vector3 upHint(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &at, &upHint);
        MatrixPerspectiveFovLH(&projection, kFov, float(kWidth) / float(kHeight), 1.0f, 2000.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_Manager->UpdateFrustum();
        m_Manager->UseViewFrustum();
        m_Manager->Render(true, false);
        FrameCapture frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame), GFX_OK);
        EXPECT_EQ(frame.Width, uint32_t(kWidth));
        if (frame.Rows.size() < size_t(kWidth) * kHeight * 3)
            return {{-1, -1}};

        // Where the ground is, by segments through the blocks' pixels from the eye.
        Vector3 forward = at - eye;
        Vec3Normalize(&forward, &forward);
        Vector3 right = Vec3Cross(upHint, forward);
        Vec3Normalize(&right, &right);
        const Vector3 up = Vec3Cross(forward, right);
        const float tanY = std::tan(kFov * 0.5f);
        const float tanX = tanY * float(kWidth) / float(kHeight);
        const int blocksX = kWidth / kBlock, blocksY = kHeight / kBlock;
        std::vector<bool> ground(size_t(blocksX) * blocksY);
        for (int by = 0; by < blocksY; ++by)
            for (int bx = 0; bx < blocksX; ++bx)
            {
                const float sx = (2.0f * (float(bx * kBlock) + 0.5f) / kWidth - 1.0f) * tanX;
                const float sy = (1.0f - 2.0f * (float(by * kBlock) + 0.5f) / kHeight) * tanY;
                const Vector3 end = eye + (forward + right * sx + up * sy) * 2000.0f;
                Vector3 point, normal;
                ground[size_t(by) * blocksX + bx] =
                    m_Terrain.IntersectRay(eye.x, eye.y, eye.z, end.x, end.y, end.z, point, normal);
            }
        const auto inside = [&](int x, int y)
        {
            const int bx = x / kBlock, by = y / kBlock;
            for (int dy = -1; dy <= 2; ++dy)
                for (int dx = -1; dx <= 2; ++dx)
                {
                    const int cx = bx + dx, cy = by + dy;
                    if (cx < 0 || cy < 0 || cx >= blocksX || cy >= blocksY ||
                        !ground[size_t(cy) * blocksX + cx])
                        return false;
                }
            return true;
        };
        std::vector<std::pair<int, int>> red;
        size_t insideCount = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
            {
                if (!inside(x, y))
                    continue;
                ++insideCount;
                const uint8_t* bgr = &frame.Rows[(size_t(y) * kWidth + size_t(x)) * 3];
                if (bgr[2] > 200 && bgr[1] < 80 && bgr[0] < 80)
                    red.emplace_back(x, y);
            }
        // The view must show a good deal of ground for the check to mean anything.
        EXPECT_GT(insideCount, size_t(kWidth) * kHeight / 4);
        return red;
    }

    testsupport::HeadlessGraphics m_Graphics{"TerrainLevelsGL", 100, 100};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    std::unique_ptr<kaTerrain> m_pTerrain = std::make_unique<kaTerrain>();
    kaTerrain& m_Terrain = *m_pTerrain;
    SingleLayerPass m_Pass{m_Terrain};
};

TEST_F(TerrainLevelsOpenGLTest, QuadsAtMixedLevelsLeaveNoCrackFromAboveOrAtAGrazingAngle)
{
    // A checkerboard of levels 0 and 2, and one quad at level 4 among level-0 neighbours.
    for (int32_t qz = 0; qz < 8; ++qz)
        for (int32_t qx = 0; qx < 8; ++qx)
            ASSERT_TRUE(m_Terrain.GetQuad(qx, qz)->SetLevel((qx + qz) % 2 ? 2 : 0));
    ASSERT_TRUE(m_Terrain.GetQuad(4, 3)->SetLevel(4));
    ASSERT_EQ(m_Terrain.GetQuad(3, 3)->GetLevel(), 0);

    struct View
    {
        const char* name;
        Vector3 eye, at;
    };
    const View views[] = {{"above", {256.0f, 900.0f, 255.0f}, {256.0f, 0.0f, 256.0f}},
                          {"grazing", {260.0f, 125.0f, -60.0f}, {250.0f, 40.0f, 330.0f}}};
    for (const View& view : views)
    {
        SCOPED_TRACE(view.name);
        const auto red = RedInsideTheGround(view.eye, view.at);
        EXPECT_TRUE(red.empty()) << red.size() << " red pixels, the first at " << red[0].first << ", "
                                 << red[0].second;
    }
}

} // namespace
