#include "engine/core/kaApp.h"
#include "engine/model/kaBillboard.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaRenderState.h"
#include "engine/render/kaTGAImage.h"
#include "engine/render/kaVertexTypes.h"
#include "engine/render/kaWorldBase.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxStateBlock.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/math/Vector3.h"
#include "tests/support/FrameReading.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace platform;

namespace
{

using Bitmap = testsupport::SavedBitmap;
using testsupport::Near;
using testsupport::Rgb;

// A whole frame on the real back end, headless, seen through a camera of the current world and saved as
// the game's screenshot key saves it.
class ScreenOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, true)));
        m_Manager = m_Graphics.Manager();
        ASSERT_NE(m_Manager->GetDevice(), nullptr);

        // The camera 10 units before the origin, looking at it along +z.
        m_Camera = new kaCamera;
        m_Camera->SetPosition(0.0f, 0.0f, -10.0f);
        m_Camera->SetRotationAngles(0.0f, 0.0f, 0.0f);
        m_Camera->SetAspect(640.0f / 480.0f);
        m_Camera->UpdateProjection();
        m_Manager->AddSceneObject(m_Camera, false);
        m_World.SetCamera(m_Camera);
        m_App.SetCurrentWorld(&m_World);
    }

    void TearDown() override
    {
        m_App.SetCurrentWorld(nullptr);
        m_Graphics.Stop();
    }

    // One frame as the application runs it, then the screenshot key.
    std::string DrawAndSave()
    {
        g_ApplicationRunning = 1;
        m_Manager->CheckDevice();
        m_Manager->UpdateSceneObjects(0.016f);
        m_Manager->SetCamera(m_Camera);
        m_Manager->Render(true, false);
        g_ApplicationRunning = 0;
        const std::string folder = m_Dir.File("ScreenShots");
        CreateDirectory(folder);
        EXPECT_TRUE(m_Manager->SaveScreenshot(m_Graphics.Window(), folder + "\\screenshot"));
        return folder + "/screenshot.bmp";
    }

    static bool LineNear(const Bitmap& bitmap, int x, int y, const Rgb& color)
    {
        return testsupport::LineNear([&bitmap](int px, int py) { return bitmap.Pixel(px, py); }, x, y, color);
    }

    void Screen(const Vector3& point, int& x, int& y) const { testsupport::ScreenPoint(*m_Manager, point, x, y); }

    testsupport::HeadlessGraphics m_Graphics{"ScreenGL", 640, 480};
    testsupport::TempDir& m_Dir = m_Graphics.Dir();
    kaGraphicsManager* m_Manager = nullptr;
    kaApp m_App{"ScreenGL", "ScreenGL"};
    kaWorldBase m_World;
    kaCamera* m_Camera = nullptr;
};

} // namespace

TEST_F(ScreenOpenGLTest, CameraFrameWithLightAndDebugLinesIsSavedAsTheScreenShowsIt)
{
    const Rgb background = {0x20, 0x30, 0x40};
    m_Manager->SetClearColor(0xFF203040);
    kaLight light(LIGHT_DIRECTIONAL, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);
    // A red cross about (-4, 2, 0) and a green box from (2, -4, -1) to (6, 0, 1).
    m_Manager->DebugDrawAxes(-4.0f, 2.0f, 0.0f, 2.0f, 1.0f, 0.0f, 0.0f, 1.0f);
    Vector3 corners[8];
    for (int i = 0; i < 8; ++i)
        corners[i] = Vector3(i & 1 ? 6.0f : 2.0f, i & 2 ? 0.0f : -4.0f, i & 4 ? 1.0f : -1.0f);
    m_Manager->DebugDrawBox(corners, 0.0f, 1.0f, 0.0f, 1.0f, true);

    const Bitmap bitmap(DrawAndSave());
    ASSERT_TRUE(bitmap.IsValid());
    ASSERT_EQ(bitmap.Width(), 640);
    ASSERT_EQ(bitmap.Height(), 480);

    // The light went on the device.
    bool enabled = false;
    m_Manager->GetDevice()->GetLightEnable(0, &enabled);
    EXPECT_TRUE(enabled);
    // The camera's own projection is back on the device after the frame-end flush.
    Matrix projection;
    m_Manager->GetDevice()->GetTransform(TS_PROJECTION, &projection);
    EXPECT_EQ(projection, m_Camera->GetComputedProjection());

    EXPECT_TRUE(Near(bitmap.Pixel(5, 5), background));
    EXPECT_TRUE(Near(bitmap.Pixel(320, 400), background));
    int x = 0;
    int y = 0;
    Screen(Vector3(-3.0f, 2.0f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(bitmap, x, y, {255, 0, 0})) << x << "," << y;
    Screen(Vector3(4.0f, 0.0f, -1.0f), x, y);
    EXPECT_TRUE(LineNear(bitmap, x, y, {0, 255, 0})) << x << "," << y;
    // Up and to the left of the camera's axis is up and to the left on screen.
    Screen(Vector3(-4.0f, 2.0f, 0.0f), x, y);
    EXPECT_LT(x, 320);
    EXPECT_LT(y, 240);
}

// The whole frame: a textured billboard, debug lines and a line of text, seen through the camera.

namespace
{

// Screen-space glyph vertex of a font's buffer: transformed position, colour, one texture pair.
struct TextVertex
{
    float x, y, z, rhw;
    uint32_t diffuse;
    float u, v;
};

// A line of text drawn as a root object after the scene, through the font's own buffer and states.
class TextLine : public ka3DObject
{
public:
    TextLine(kaFont* font, const std::string& text, int x, int baseline)
        : m_pFont(font), m_Text(text), m_X(x), m_Baseline(baseline)
    {
        SetRenderOrder(1000);
    }

    void Render(uint32_t /*flag*/) override
    {
        std::vector<TextVertex> vertices;
        int x = m_X;
        for (char c : m_Text)
        {
            float u0, v0, u1, v1, w, h;
            int32_t advance, bearingX, bearingY;
            if (!m_pFont->GetGlyphMetrics(c, u0, v0, u1, v1, w, h, advance, bearingX, bearingY))
                continue;
            const float left = static_cast<float>(x + bearingX) - 0.5f;
            const float top = static_cast<float>(m_Baseline - bearingY) - 0.5f;
            const TextVertex corners[4] = {{left, top, 0, 1, 0xFFFFFFFF, u0, v0},
                                           {left + w, top, 0, 1, 0xFFFFFFFF, u1, v0},
                                           {left, top + h, 0, 1, 0xFFFFFFFF, u0, v1},
                                           {left + w, top + h, 0, 1, 0xFFFFFFFF, u1, v1}};
            for (int index : {0, 1, 2, 2, 1, 3})
                vertices.push_back(corners[index]);
            x += advance;
        }
        m_Right = x;
        GfxDevice* device = g_pGraphicsManager->GetDevice();
        GfxVertexBuffer* buffer = m_pFont->GetVertexBuffer();
        const uint32_t bytes = static_cast<uint32_t>(vertices.size() * sizeof(TextVertex));
        void* data = nullptr;
        if (!buffer || bytes == 0 || bytes > kaFont::kVertexBufferBytes ||
            GfxFailed(buffer->Lock(0, bytes, &data, LOCK_DISCARD)))
            return;
        std::memcpy(data, vertices.data(), bytes);
        buffer->Unlock();
        m_pFont->GetStateBlock(0)->Apply();
        device->SetFVF(FVF_XYZRHW | FVF_DIFFUSE | FVF_TEX1);
        device->SetStreamSource(0, buffer, 0, sizeof(TextVertex));
        device->DrawPrimitive(PT_TRIANGLELIST, 0, static_cast<uint32_t>(vertices.size() / 3));
        // The font's states went past the manager's cache: the page leaves stage 0, and the cache starts
        // afresh, so that what follows sets its own states again.
        device->SetTexture(0, nullptr);
        g_pGraphicsManager->ResetStateCache();
    }

    int GetRight() const { return m_Right; }

private:
    kaFont* m_pFont;
    std::string m_Text;
    int m_X;
    int m_Baseline;
    int m_Right = 0;
};

} // namespace

TEST_F(ScreenOpenGLTest, CameraBillboardLinesAndTextMakeOneSavedFrame)
{
    const Rgb background = {0x20, 0x30, 0x40};
    m_Manager->SetClearColor(0xFF203040);
    kaLight light(LIGHT_DIRECTIONAL, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0);

    // A 64 x 64 texture, red on the left half and blue on the right, on a 4 x 4 billboard at the origin.
    std::vector<uint8_t> pixels(64 * 64 * 4);
    for (size_t i = 0; i < 64 * 64; ++i)
    {
        const bool left = i % 64 < 32;
        pixels[i * 4 + 0] = left ? 0x00 : 0xFF;
        pixels[i * 4 + 1] = 0x00;
        pixels[i * 4 + 2] = left ? 0xFF : 0x00;
        pixels[i * 4 + 3] = 0xFF;
    }
    kaTGAImage image;
    ASSERT_TRUE(image.Create(64, 64, 32, 8, pixels.data()));
    const std::string textureFile = m_Dir.File("halves.tga");
    ASSERT_TRUE(image.Save(textureFile, false));
    auto* billboard = new kaBillboard;
    m_Manager->AddSceneObject(billboard, false);
    billboard->SetTexture(textureFile);
    billboard->SetSize(4.0f, 4.0f);
    billboard->SetPosition(0.0f, 0.0f, 0.0f);
    ASSERT_NE(billboard->GetRenderState()->GetTexture(0), nullptr);

    // A yellow line across the upper part of the view.
    std::vector<VERTEX_WORLDPOS_DIFFUSE> line = {{-6.0f, 3.5f, 0.0f, 0xFFFFFF00},
                                                 {6.0f, 3.5f, 0.0f, 0xFFFFFF00}};
    m_Manager->QueueDebugPrimitive(line, false);

    kaFont* font = m_Manager->LoadFontFile("DejaVuSans.ttf", 16, "e2e");
    ASSERT_NE(font, nullptr);
    auto* text = new TextLine(font, "Lap 1", 20, 450);
    m_Manager->AddSceneObject(text, false);

    const Bitmap bitmap(DrawAndSave());
    ASSERT_TRUE(bitmap.IsValid());

    int x = 0;
    int y = 0;
    Screen(Vector3(-1.0f, 0.0f, 0.0f), x, y);
    EXPECT_TRUE(Near(bitmap.Pixel(x, y), {255, 0, 0})) << x << "," << y;
    Screen(Vector3(1.0f, 0.0f, 0.0f), x, y);
    EXPECT_TRUE(Near(bitmap.Pixel(x, y), {0, 0, 255})) << x << "," << y;
    Screen(Vector3(0.0f, 3.5f, 0.0f), x, y);
    EXPECT_TRUE(LineNear(bitmap, x, y, {255, 255, 0})) << x << "," << y;
    Screen(Vector3(0.0f, -3.0f, 0.0f), x, y);
    EXPECT_TRUE(Near(bitmap.Pixel(x, y), background));

    // The text: bright pixels inside its box, none just above it.
    int bright = 0;
    for (int py = 436; py <= 452; ++py)
        for (int px = 20; px < text->GetRight(); ++px)
            if (bitmap.Pixel(px, py).g > 0xC0)
                ++bright;
    EXPECT_GT(bright, 20);
    EXPECT_GT(text->GetRight(), 40);
    for (int px = 20; px < 80; ++px)
        EXPECT_TRUE(Near(bitmap.Pixel(px, 420), background)) << px;
}
