#include "engine/core/kaApp.h"
#include "engine/render/kaCamera.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaLight.h"
#include "engine/render/kaWorld.h"

#include "platform/files/Files.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/math/Vector3.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace platform;

namespace
{

const char* const kConfig = "[Begin Graphics Config]\n"
                            "FullScreen=0\n"
                            "FSDisplayWidth=640\n"
                            "FSDisplayHeight=480\n"
                            "BitsPerPixel=32\n"
                            "EnableDepthStencil=1\n"
                            "[End Graphics Config]\n";

struct Rgb
{
    int r, g, b;
};

// A saved 24-bit bitmap, read back for its pixels.
class Bitmap
{
public:
    explicit Bitmap(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        m_Bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (m_Bytes.size() < 54)
            return;
        m_Width = Read32(18);
        m_Height = Read32(22);
        m_RowBytes = (m_Width * 3 + 3) / 4 * 4;
    }

    bool IsValid() const { return m_Bytes.size() == 54 + static_cast<size_t>(m_RowBytes) * m_Height; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }

    // (x, y) from the top-left corner, as on screen.
    Rgb Pixel(int x, int y) const
    {
        const size_t at =
            54 + static_cast<size_t>(m_Height - 1 - y) * m_RowBytes + static_cast<size_t>(x) * 3;
        return {m_Bytes[at + 2], m_Bytes[at + 1], m_Bytes[at]};
    }

private:
    int Read32(size_t at) const
    {
        return static_cast<int>(m_Bytes[at] | m_Bytes[at + 1] << 8 | m_Bytes[at + 2] << 16 |
                                static_cast<uint32_t>(m_Bytes[at + 3]) << 24);
    }

    std::vector<uint8_t> m_Bytes;
    int m_Width = 0;
    int m_Height = 0;
    int m_RowBytes = 0;
};

bool Near(const Rgb& a, const Rgb& b)
{
    return std::abs(a.r - b.r) <= 8 && std::abs(a.g - b.g) <= 8 && std::abs(a.b - b.b) <= 8;
}

// A whole frame on the real back end, headless, seen through a camera of the current world and saved as
// the game's screenshot key saves it.
class ScreenOpenGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        setenv("TARVOLIN_GFX_HEADLESS", "1", 1);
        WindowClass windowClass;
        windowClass.procedure = &DefWindowProc;
        windowClass.className = "ScreenGL";
        RegisterClass(windowClass);
        m_Window = CreateWindow(0, "ScreenGL", "Tarvolin", 0, 0, 0, 640, 480, nullptr, nullptr);
        m_Config = m_Dir.Write("Tarvolin.cfg", kConfig);
        m_Manager = std::make_unique<kaGraphicsManager>();
        ASSERT_TRUE(m_Manager->Initialize(m_Window, m_Config.c_str(), nullptr, false));
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
        m_Manager.reset();
        unsetenv("TARVOLIN_GFX_HEADLESS");
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
        EXPECT_TRUE(m_Manager->SaveScreenshot(m_Window, folder + "\\screenshot"));
        return folder + "/screenshot.bmp";
    }

    // Whether a line of the colour passes within two pixels of the point.
    static bool LineNear(const Bitmap& bitmap, int x, int y, const Rgb& color)
    {
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                if (Near(bitmap.Pixel(x + dx, y + dy), color))
                    return true;
        return false;
    }

    void Screen(const Vector3& point, int& x, int& y) const
    {
        const Vector3 screen = m_Manager->ProjectToScreen(point);
        x = static_cast<int>(screen.x);
        y = static_cast<int>(screen.y);
    }

    ScriptedWindowBackend m_Backend;
    WindowHandle m_Window = nullptr;
    testsupport::TempDir m_Dir;
    std::string m_Config;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    kaApp m_App{"ScreenGL", "ScreenGL"};
    kaWorld m_World;
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
