#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaMeshSubset.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTexture.h"
#include "engine/render/kaTextureStage.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/scene/kaWorld.h"
#include "engine/terrain/kaEntityWaterPlane.h"
#include "engine/terrain/kaRotationOnlyBillboard.h"
#include "engine/terrain/kaRotationOnlyView.h"
#include "engine/terrain/kaSkyBox.h"
#include "engine/terrain/kaSun.h"

#include "platform/gfx/GLTextureObject.h"
#include "platform/gfx/GfxBaseTexture.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/gfx/math/Viewport.h"
#include "platform/system/ManualClock.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/HeadlessGraphics.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>

using namespace platform;

namespace
{

constexpr int kWidth = 320;
constexpr int kHeight = 240;
const char* const kFaces[5] = {"resources/worlds/skybox/sky_left.dds",
                               "resources/worlds/skybox/sky_right.dds",
                               "resources/worlds/skybox/sky_forward.dds",
                               "resources/worlds/skybox/sky_back.dds", "resources/worlds/skybox/sky_top.dds"};

// Draws the environment in the order of the world's pass: sky box, sun, clouds, water, flare.
class EnvironmentPass : public ka3DObject
{
public:
    explicit EnvironmentPass(kaWorld& world) : m_World(world) {}
    void Render(uint32_t) override
    {
        if (kaSkyBoxBase* sky = m_World.GetSkyBox())
            sky->Render();
        if (kaSunBase* sun = m_World.GetSun())
            sun->Render();
        if (kaSkyBoxBase* sky = m_World.GetSkyBox())
            sky->RenderCloudPlanes();
        if (kaWaterPlaneBase* water = m_World.GetWaterPlane())
            water->Render();
        if (kaSunBase* sun = m_World.GetSun())
            sun->RenderLensFlare();
    }

private:
    kaWorld& m_World;
};

struct Frame
{
    FrameCapture capture;
    // 0xRRGGBB at a pixel, rows from the top.
    uint32_t At(int x, int y) const
    {
        const uint8_t* p = &capture.Rows[(static_cast<size_t>(y) * capture.Width + x) * 3];
        return uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
};

constexpr uint32_t kBackground = 0x102030;

class EnvironmentGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<ManualClock>();
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(kWidth, kHeight, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);
        m_Manager->SetClearColor(0xFF000000 | kBackground);
        ASSERT_TRUE(m_Manager->AddSceneObject(&m_Pass, false));
    }

    void TearDown() override
    {
        m_Manager->DetachSceneObject(&m_Pass);
        m_World.reset();
        m_Graphics.Stop();
        m_Clock.reset();
        _ResetClockState();
    }

    void Look(const Vector3& eye, const Vector3& at)
    {
        Matrix view;
        Matrix projection;
        const Vector3 up(0.0f, 1.0f, 0.0f);
        MatrixLookAtLH(&view, &eye, &at, &up);
        MatrixPerspectiveFovLH(&projection, 1.5707964f, float(kWidth) / float(kHeight), 1.0f, 5000.0f);
        m_Manager->GetDevice()->SetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->SetTransform(TS_PROJECTION, &projection);
        m_Manager->UpdateFrustum();
        m_Manager->SetViewChanged(true);
    }

    Frame Draw()
    {
        m_Manager->Render(false, false);
        Frame frame;
        EXPECT_EQ(m_Manager->GetDevice()->CaptureFrame(&frame.capture), GFX_OK);
        return frame;
    }

    size_t CountBackground(const Frame& frame) const
    {
        size_t count = 0;
        for (int y = 0; y < int(frame.capture.Height); ++y)
            for (int x = 0; x < int(frame.capture.Width); ++x)
                count += frame.At(x, y) == kBackground;
        return count;
    }

    // Where a camera-relative point lands on the screen.
    Vector3 Screen(const Vector3& point) const
    {
        Viewport viewport;
        Matrix view;
        Matrix projection;
        m_Manager->GetDevice()->GetViewport(&viewport);
        m_Manager->GetDevice()->GetTransform(TS_VIEW, &view);
        m_Manager->GetDevice()->GetTransform(TS_PROJECTION, &projection);
        const Matrix relative = kaRotationOnlyView::WithoutTranslation(view);
        Vector3 out;
        Vec3Project(&out, &point, &viewport, &projection, &relative, nullptr);
        return out;
    }

    kaSkyBox* Sky(bool clouds)
    {
        auto* sky = new kaSkyBox;
        sky->Build(kFaces[0], kFaces[1], kFaces[2], kFaces[3], kFaces[4]);
        if (clouds)
            sky->AddCloudPlane("resources/worlds/skybox/clouds.dds", 90.0f, 0.5f);
        m_World->SetSkyBox(sky);
        return sky;
    }

    testsupport::HeadlessGraphics m_Graphics{"EnvironmentGL", kWidth, kHeight};
    testsupport::CurrentDirectory m_Content{TARVOLIN_CONTENT_DIR};
    std::unique_ptr<ManualClock> m_Clock;
    kaGraphicsManager* m_Manager = nullptr;
    kaFileSystem m_Files;
    std::unique_ptr<kaWorld> m_World = std::make_unique<kaWorld>();
    EnvironmentPass m_Pass{*m_World};
};

TEST_F(EnvironmentGLTest, SkyStaysPutWhenTheCameraMovesAndCloudsDrift)
{
    kaSkyBox* sky = Sky(false);
    const Vector3 up(0.0f, 1.0f, 0.5f);
    Look(Vector3(0.0f, 0.0f, 0.0f), up);
    const Frame here = Draw();
    EXPECT_EQ(CountBackground(here), 0u);
    Look(Vector3(1000.0f, 20.0f, -1000.0f), Vector3(1000.0f, 20.0f, -1000.0f) + up);
    const Frame there = Draw();
    EXPECT_EQ(here.capture.Rows, there.capture.Rows);

    sky->AddCloudPlane("resources/worlds/skybox/clouds.dds", 90.0f, 0.5f);
    sky->Update(0.0f);
    const Frame before = Draw();
    EXPECT_NE(before.capture.Rows, here.capture.Rows);
    sky->Update(0.3f);
    sky->Update(0.3f);
    const Frame after = Draw();
    size_t changed = 0;
    for (size_t i = 0; i < after.capture.Rows.size(); ++i)
        changed += after.capture.Rows[i] != before.capture.Rows[i];
    EXPECT_GT(changed, after.capture.Rows.size() / 20);
}

TEST_F(EnvironmentGLTest, DiscAndFlareLieWhereTheSunProjects)
{
    auto* sun = new kaSun;
    m_World->SetSun(sun);
    sun->Initialize(0.25f, 0.5f, "resources/worlds/billboards/sun.dds", 0.5f,
                    kaColor::kaColorClamped(1, 1, 1, 1), kaColor::kaColorClamped(0.5f, 0.5f, 0.5f, 1));
    sun->AddFlareLayer("resources/worlds/billboards/flare_glow.dds", 2.0f, 1.5f);
    sun->AddFlareLayer("resources/worlds/billboards/flare_glow.dds", -1.0f, 1.5f);
    Look(Vector3(0.0f, 0.0f, 0.0f), Vector3(1.0f, -0.25f, 0.3f));
    const Frame frame = Draw();

    const Vector3 disc = Screen(sun->GetDisc()->GetPosition());
    ASSERT_GT(disc.x, kWidth / 2 + 20.0f);
    const float cx = kWidth / 2, cy = kHeight / 2;
    const struct
    {
        float x, y;
        bool lit;
    } points[] = {
        {disc.x, disc.y, true},
        {(disc.x + cx) / 2, (disc.y + cy) / 2, true},
        {2 * cx - disc.x, 2 * cy - disc.y, true},
        {5.0f, kHeight - 5.0f, false},
        {kWidth - 5.0f, kHeight - 5.0f, false},
    };
    for (const auto& p : points)
        EXPECT_EQ(frame.At(int(p.x), int(p.y)) != kBackground, p.lit) << p.x << ", " << p.y;
    EXPECT_EQ(sun->GetFlareTarget(), 1.0f);
}

// The flare adds its pictures onto the scene, so each picture must fade out in its colour: a sun
// straight ahead shows round glows, not the squares of their billboards.
TEST_F(EnvironmentGLTest, FlarePicturesAtTheScreenCentreFadeToRoundGlows)
{
    for (const char* picture : {"flare_glow.dds", "flare_ring.dds"})
    {
        SCOPED_TRACE(picture);
        auto* sun = new kaSun;
        m_World->SetSun(sun);
        sun->Initialize(0.25f, 0.5f, "", 0.0f, kaColor::kaColorClamped(1, 1, 1, 1),
                        kaColor::kaColorClamped(0.5f, 0.5f, 0.5f, 1));
        sun->AddFlareLayer(std::string("resources/worlds/billboards/") + picture, 2.0f, 16.0f);
        const Vector3 disc = sun->GetDisc()->GetPosition();
        Look(Vector3(0.0f, 0.0f, 0.0f), disc);
        const Frame frame = Draw();

        int left = kWidth, right = -1, top = kHeight, bottom = -1;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                if (frame.At(x, y) != kBackground)
                {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, left) << "the flare drew nothing";
        EXPECT_LT(left, kWidth / 2);
        EXPECT_GT(right, kWidth / 2);
        EXPECT_LT(right - left, kWidth - 2) << "the flare is too large to judge its shape";
        const size_t box = size_t(right - left + 1) * size_t(bottom - top + 1);
        const size_t lit = size_t(kWidth) * kHeight - CountBackground(frame);
        // A disc fills about 79% of its bounding square, a ring less.
        EXPECT_LT(double(lit) / double(box), 0.85) << lit << " of " << box;
        for (const auto& [x, y] :
             {std::pair(left, top), std::pair(right, top), std::pair(left, bottom), std::pair(right, bottom)})
            EXPECT_EQ(frame.At(x, y), kBackground) << x << ", " << y;
        m_World->SetSun(nullptr);
    }
}

TEST_F(EnvironmentGLTest, WaterEffectCompilesAndShowsWithThePlainTextureAsFallback)
{
    for (const bool effect : {true, false})
    {
        SCOPED_TRACE(effect);
        auto* water = new kaEntityWaterPlane;
        water->SetEffectFile(effect ? kaEntityWaterPlane::kEffectFile
                                    : "resources\\fx\\shaders\\water\\none.fx");
        m_World->SetWaterPlane(water);
        water->Build(1024.0f, 1024.0f);
        water->SetLevel(10.0f, false);
        EXPECT_EQ(water->GetLevelInUse(), effect ? 1 : 0);
        water->Update(0.1f);
        Look(Vector3(512.0f, 150.0f, 100.0f), Vector3(512.0f, 10.0f, 700.0f));
        const Frame frame = Draw();
        // The water fills the lower middle of the view and leaves the sky above it empty.
        const uint32_t below = frame.At(kWidth / 2, kHeight * 3 / 4);
        EXPECT_NE(below, kBackground);
        EXPECT_GT(below & 0xFF, below >> 16);
        EXPECT_EQ(frame.At(kWidth / 2, 3), kBackground);
    }
}

// The ripples come from the noise volume; sampled nearest its 16 texels a side show as blocks on the water.
TEST_F(EnvironmentGLTest, TheWaterEffectSamplesTheNoiseVolumeLinearly)
{
    auto* water = new kaEntityWaterPlane;
    water->SetEffectFile(kaEntityWaterPlane::kEffectFile);
    m_World->SetWaterPlane(water);
    water->Build(1024.0f, 1024.0f);
    water->SetLevel(10.0f, false);
    ASSERT_EQ(water->GetLevelInUse(), 1);
    water->Update(0.1f);
    Look(Vector3(512.0f, 150.0f, 100.0f), Vector3(512.0f, 10.0f, 700.0f));
    Draw();

    const kaMeshSubset* subset = water->GetMesh() ? water->GetMesh()->GetSubset(0) : nullptr;
    ASSERT_NE(subset, nullptr);
    GLuint noise = 0;
    for (const kaTextureStage* stage : subset->GetRenderState()->GetStages())
    {
        GfxBaseTexture* base = stage->texture ? stage->texture->GetBaseTexture() : nullptr;
        auto* source = dynamic_cast<GLTextureSource*>(base);
        if (source && source->GLObject().Target() == GL_TEXTURE_3D)
            noise = source->GLObject().Name();
    }
    ASSERT_NE(noise, 0u);
    // What the texture object was last drawn with is what the device made of the effect's sampler states.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_3D, &bound);
    glBindTexture(GL_TEXTURE_3D, noise);
    GLint minFilter = 0;
    GLint magFilter = 0;
    glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_3D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glBindTexture(GL_TEXTURE_3D, GLuint(bound));
    // The volume has its smaller levels, blended between as well.
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(magFilter, GL_LINEAR);
}

} // namespace
