#include "engine/gui/guiButton.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform;

namespace
{

// A button with its default state images inside a window nested in a registered window, drawn by the
// renderer over black while the GUI manager takes injected mouse input.
class ButtonGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        m_Graphics.Manager()->SetClearColor(0xFF000000);
        m_Manager.SetFrameCallback([] { return true; });
        auto* outer = new guiWindow("outer", guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(640, 480), 9);
        auto* inner =
            new guiWindow("inner", guiCoordPair::Pixels(100, 100), guiCoordPair::Pixels(300, 200), 9);
        m_Button = new guiButton(guiCoordPair::Pixels(20, 20), guiCoordPair::Pixels(100, 40));
        m_Button->SetClickSound(false);
        inner->AddChild(m_Button);
        outer->AddChild(inner);
        m_Manager.AddWindow(outer);
    }

    void Frame()
    {
        m_Manager.Update(0.05f);
        m_Graphics.Manager()->UpdateSceneObjects(0.05f);
        m_Graphics.Manager()->Render(false, false);
        ASSERT_EQ(m_Graphics.Device()->CaptureFrame(&m_Frame), GFX_OK);
    }

    void MoveTo(int x, int y)
    {
        guiMsgMouse message;
        message.data.moved = true;
        message.data.dx = x - m_Manager.GetCursorPosition().x;
        message.data.dy = y - m_Manager.GetCursorPosition().y;
        m_Manager.OnMouseInput(message);
        Frame();
    }

    void Button(bool down)
    {
        guiMsgMouse message;
        message.data.buttonsChanged = true;
        message.data.changed[0] = true;
        message.data.buttons[0] = down;
        m_Manager.OnMouseInput(message);
        Frame();
    }

    // The grey level at a pixel; the three channels must agree.
    int Grey(int x, int y) const
    {
        const std::size_t at = (static_cast<std::size_t>(y) * m_Frame.Width + x) * 3;
        EXPECT_EQ(m_Frame.Rows[at], m_Frame.Rows[at + 1]);
        EXPECT_EQ(m_Frame.Rows[at], m_Frame.Rows[at + 2]);
        return m_Frame.Rows[at];
    }

    // A state image's colour blended over black: each channel and the alpha packed to bytes.
    static int OverBlack(float grey, float alpha)
    {
        return static_cast<int>(grey * 255.0f) * static_cast<int>(alpha * 255.0f) / 255;
    }

    testsupport::HeadlessGraphics m_Graphics{"ButtonGL", 640, 480};
    guiManager m_Manager;
    guiButton* m_Button = nullptr;
    FrameCapture m_Frame;
};

TEST_F(ButtonGLTest, TheStateImagesShowTheirColoursFromTheFirstFrameOn)
{
    const int normal = OverBlack(0.5f, 0.5f);
    const int rollover = OverBlack(0.75f, 0.5f);
    const int clicked = OverBlack(1.0f, 0.5f);
    const int disabled = OverBlack(0.25f, 0.25f);
    Frame();
    EXPECT_NEAR(Grey(170, 140), normal, 2) << "first frame";
    EXPECT_EQ(Grey(110, 110), 0) << "beside the button";
    struct Step
    {
        const char* what;
        int x, y;
        int down;
        int grey;
    } steps[] = {
        {"enters", 170, 140, -1, rollover},
        {"presses", 170, 140, 1, clicked},
        {"releases over", 170, 140, 0, rollover},
        {"leaves", 500, 400, -1, normal},
    };
    for (const Step& step : steps)
    {
        if (step.down < 0)
            MoveTo(step.x, step.y);
        else
            Button(step.down == 1);
        Frame();
        EXPECT_NEAR(Grey(170, 140), step.grey, 2) << step.what;
        EXPECT_NEAR(Grey(200, 159), step.grey, 2) << step.what << ", bottom-right corner";
        EXPECT_EQ(Grey(200, 160), 0) << step.what << ", below the button";
    }
    m_Button->SetEnabled(false);
    Frame();
    EXPECT_NEAR(Grey(170, 140), disabled, 2) << "disabled";
    MoveTo(170, 140);
    Button(true);
    EXPECT_NEAR(Grey(170, 140), disabled, 2) << "disabled and pressed";
}

} // namespace
