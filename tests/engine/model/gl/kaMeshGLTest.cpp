#include "engine/model/kaMesh.h"

#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/FrameReading.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

using namespace platform;

namespace
{

const std::string kModels = std::string(TARVOLIN_CONTENT) + "/resources/models/";

struct Rgb
{
    int r, g, b;

    int Sum() const { return r + g + b; }
    // Grey has none; the sample textures are tinted.
    int Spread() const { return std::max({r, g, b}) - std::min({r, g, b}); }
    bool operator<(const Rgb& o) const { return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b; }
};

// The sample models on the real back end, headless.
class MeshOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
    }

    // A model from the sample content, its textures looked for beside it, added to the scene.
    kaMesh* Load(const std::string& folder, const std::string& file)
    {
        m_Manager->SetGraphicsPath(kModels + folder + "/maps/");
        auto* mesh = new kaMesh(kModels + folder + "/" + file);
        m_Manager->AddSceneObject(mesh, false);
        return mesh;
    }

    // The camera up and before the origin, looking down at it.
    void PlaceCamera()
    {
        testsupport::PlaceCamera(m_Manager->GetDevice(), Vector3(0.0f, 3.0f, -7.0f), Vector3(0.0f, 0.5f, 0.0f),
                                 0.7853982f, 640.0f / 480.0f, 1.0f, 100.0f);
    }

    Rgb Pixel(const Vector3& point) const
    {
        const Vector3 screen = m_Manager->ProjectToScreen(point);
        return PixelAt(static_cast<int>(screen.x), static_cast<int>(screen.y));
    }

    Rgb PixelAt(int x, int y) const
    {
        const size_t at = (static_cast<size_t>(y) * m_Frame.Width + x) * 3;
        return {m_Frame.Rows[at + 2], m_Frame.Rows[at + 1], m_Frame.Rows[at]};
    }

    // The distinct colours on a line of points across a face.
    std::set<Rgb> ColoursAlong(const Vector3& from, const Vector3& to, int steps) const
    {
        std::set<Rgb> colours;
        for (int i = 0; i <= steps; ++i)
        {
            const float t = static_cast<float>(i) / static_cast<float>(steps);
            colours.insert(Pixel(Vector3(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t,
                                         from.z + (to.z - from.z) * t)));
        }
        return colours;
    }

    static bool IsBackground(const Rgb& c)
    {
        return std::abs(c.r - 0x20) + std::abs(c.g - 0x30) + std::abs(c.b - 0x40) < 12;
    }

    testsupport::HeadlessGraphics m_Graphics{"MeshGL", 640, 480};
    kaGraphicsManager* m_Manager = nullptr;
    FrameCapture m_Frame;
};

TEST_F(MeshOpenGLTest, CrateAndCarBodyDrawLitAndTexturedFromACamera)
{
    kaMesh* crate = Load("crate", "crate.kmf");
    kaMesh* car = Load("car", "car.kmf");
    ASSERT_EQ(crate->GetSubsetCount(), 1u);
    ASSERT_EQ(car->GetSubsetCount(), 3u);
    ASSERT_NE(crate->GetSubset(0)->GetRenderState()->GetTexture(0), nullptr);
    ASSERT_NE(car->GetSubset(0)->GetRenderState()->GetTexture(0), nullptr);
    crate->SetPosition(-2.0f, 0.5f, 0.0f);
    car->SetPosition(1.5f, 0.0f, 0.0f);
    // Light from above, a little from the front.
    kaLight sun(LIGHT_DIRECTIONAL, 0, 0, 0, 0.3f, -1.0f, 0.4f, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    m_Manager->SetClearColor(0xFF203040);
    PlaceCamera();

    m_Manager->Render(true, false);
    ASSERT_EQ(m_Manager->GetDevice()->CaptureFrame(&m_Frame), GFX_OK);
    ASSERT_EQ(m_Frame.Width, 640u);

    // Kept beside the test program for a look.
    std::remove("ScreenShots/meshes.bmp");
    CreateDirectory("ScreenShots");
    EXPECT_TRUE(m_Manager->SaveScreenshot(m_Graphics.Window(), "ScreenShots\\meshes"));

    EXPECT_TRUE(IsBackground(PixelAt(5, 5)));
    // The crate's top faces the light, its front half away from it: both show, the top brighter.
    const Rgb top = Pixel(Vector3(-2.0f, 1.0f, 0.1f));
    const Rgb front = Pixel(Vector3(-2.1f, 0.6f, -0.5f));
    EXPECT_FALSE(IsBackground(top));
    EXPECT_FALSE(IsBackground(front));
    EXPECT_GT(top.Sum(), front.Sum() + 30);
    // Its texture tints it, and its checker runs across the front face.
    EXPECT_GT(top.Spread(), 30);
    EXPECT_GE(ColoursAlong(Vector3(-2.4f, 0.5f, -0.5f), Vector3(-1.6f, 0.5f, -0.5f), 16).size(), 2u);

    // The car's hood takes the light, its front end less; its paint is not the crate's.
    const Rgb hood = Pixel(Vector3(1.5f, 0.8f, -1.5f));
    const Rgb nose = Pixel(Vector3(1.5f, 0.5f, -2.0f));
    EXPECT_FALSE(IsBackground(hood));
    EXPECT_FALSE(IsBackground(nose));
    EXPECT_GT(hood.Sum(), nose.Sum() + 30);
    EXPECT_GT(hood.Spread(), 30);
    EXPECT_GT(std::abs(hood.r - top.r) + std::abs(hood.g - top.g) + std::abs(hood.b - top.b), 40);
}

} // namespace
