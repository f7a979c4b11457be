#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiRectangle.h"
#include "engine/gui/guiWindow.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform;

namespace
{

struct Rgb
{
    int r, g, b;
};

// Registered windows drawn by the renderer as its root scene objects, one frame at a time.
class GuiManagerGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        m_Graphics.Manager()->SetClearColor(0xFF000000);
        m_Manager.SetFrameCallback([] { return true; });
    }

    guiWindow* AddWindow(float x, float y, int32_t alignment, const kaColor& color)
    {
        auto* window =
            new guiWindow("w", guiCoordPair::Pixels(x, y), guiCoordPair::Pixels(200, 100), alignment);
        auto* fill = new guiRectangle(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(200, 100));
        fill->SetFillColor(color);
        window->AddChild(fill);
        m_Manager.AddWindow(window);
        return window;
    }

    void Frame(float dt = 0.05f)
    {
        m_Manager.Update(dt);
        m_Graphics.Manager()->UpdateSceneObjects(dt);
        m_Graphics.Manager()->Render(false, false);
        ASSERT_EQ(m_Graphics.Device()->CaptureFrame(&m_Frame), GFX_OK);
    }

    Rgb Pixel(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Frame.Width + x) * 3;
        return {m_Frame.Rows[at + 2], m_Frame.Rows[at + 1], m_Frame.Rows[at]};
    }

    void ExpectPixel(int x, int y, Rgb want, const std::string& what) const
    {
        const Rgb got = Pixel(x, y);
        EXPECT_NEAR(got.r, want.r, 3) << what;
        EXPECT_NEAR(got.g, want.g, 3) << what;
        EXPECT_NEAR(got.b, want.b, 3) << what;
    }

    testsupport::HeadlessGraphics m_Graphics{"GuiManagerGL", 640, 480};
    guiManager m_Manager;
    FrameCapture m_Frame;
};

TEST_F(GuiManagerGLTest, WindowsStandByAlignmentAndTheFrontOneCovers)
{
    guiWindow* red = AddWindow(400, 300, 2 | 16, kaColor::kaColorClamped(1, 0, 0, 1));
    guiWindow* green = AddWindow(450, 330, 1 | 8, kaColor::kaColorClamped(0, 1, 0, 1));
    m_Manager.BringToFront(red);
    Frame();
    ExpectPixel(300, 250, {255, 0, 0}, "the red window's top-left corner");
    ExpectPixel(299, 249, {0, 0, 0}, "outside it");
    ExpectPixel(460, 340, {255, 0, 0}, "red in front");
    ExpectPixel(560, 400, {0, 255, 0}, "green where red is not");
    m_Manager.BringToFront(green);
    Frame();
    ExpectPixel(460, 340, {0, 255, 0}, "green brought to front");
}

TEST_F(GuiManagerGLTest, TheSwitchFadesThroughBlackInFrontOfEveryWindow)
{
    guiWindow* red = AddWindow(0, 0, 9, kaColor::kaColorClamped(1, 0, 0, 1));
    guiWindow* blue = AddWindow(0, 0, 9, kaColor::kaColorClamped(0, 0, 1, 1));
    m_Manager.CreateCursor();
    m_Manager.ShowCursor(false);
    m_Manager.BringToFront(blue);
    m_Manager.HideWindow(blue, 0);
    Frame();
    ExpectPixel(100, 50, {255, 0, 0}, "before the switch");
    m_Manager.SwitchWindow(blue, red, 1, true);
    Frame(0.1f);
    ExpectPixel(100, 50, {128, 0, 0}, "0.1 s: half dark");
    Frame(0.1f);
    ExpectPixel(100, 50, {0, 0, 0}, "0.2 s: black");
    Frame(0.1f);
    ExpectPixel(100, 50, {0, 0, 128}, "0.3 s: half bright, the new window behind");
    Frame(0.11f);
    ExpectPixel(100, 50, {0, 0, 255}, "after 0.4 s the overlay is gone");
    EXPECT_FALSE(m_Manager.GetFadeOverlay()->IsVisible());
}

} // namespace
