#include "engine/gui/MessageBoxWindow.h"

#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using namespace platform;

namespace
{

struct BoxSource
{
    const char* name;
    // Empty for the built-in box.
    const char* layout;
};

// The box shown through the manager and drawn by the renderer over a black screen; the frame is taken
// while the box waits for its answer, which the test then gives.
class MessageBoxWindowGLTest : public ::testing::TestWithParam<BoxSource>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        m_Graphics.Manager()->SetClearColor(0xFF000000);
        // Plain messages are drawn in the mark-up's default font.
        m_Font = m_Graphics.Manager()->LoadFont(
            std::string(TARVOLIN_CONTENT_DIR) + "/ui/fonts/barmeno16m.kaff", "System");
        ASSERT_NE(m_Font, nullptr);
    }

    // Lit pixels of the last frame inside a rectangle.
    int Lit(int left, int top, int right, int bottom) const
    {
        int lit = 0;
        for (int y = std::max(top, 0); y < bottom && y < int(m_Frame.Height); ++y)
            for (int x = std::max(left, 0); x < right && x < int(m_Frame.Width); ++x)
            {
                const uint8_t* bgr = &m_Frame.Rows[(std::size_t(y) * m_Frame.Width + x) * 3];
                lit += bgr[0] + bgr[1] + bgr[2] > 60 ? 1 : 0;
            }
        return lit;
    }

    testsupport::HeadlessGraphics m_Graphics{"MessageBoxWindowGL", 640, 480};
    kaFont* m_Font = nullptr;
    guiManager m_Manager;
    FrameCapture m_Frame;
};

TEST_P(MessageBoxWindowGLTest, EachMessageIsDrawnBetweenTheCaptionAndTheButtons)
{
    const BoxSource source = GetParam();
    if (*source.layout != '\0')
        m_Manager.CreateMessageBox(std::string(TARVOLIN_CONTENT_DIR) + "/ui/" + source.layout);
    else
        m_Manager.CreateDefaultMessageBox();
    MessageBoxWindow* box = m_Manager.GetMessageBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->IsComplete()) << "the layout names all six children";

    // The box stands centred: 250 by 150 at 195, 165; the message fills the 75 rows below the caption.
    const int left = (640 - MessageBoxWindow::kWidth) / 2;
    const int right = left + MessageBoxWindow::kWidth;
    const int top = (480 - MessageBoxWindow::kHeight) / 2;
    const int textTop = top + MessageBoxWindow::kTextTop;
    const int textBottom = textTop + MessageBoxWindow::kTextHeight;
    const int lineHeight = m_Font->GetLineHeight();
    ASSERT_GT(lineHeight, 0);

    // A message longer than the box, then a short one: the short one starts at the top again.
    std::string longText;
    for (int i = 0; i < 12; ++i)
        longText += "MMMM\\n";
    struct Shown
    {
        std::string text;
        // Rows of the message area where the message must be drawn.
        int firstRow;
        int lastRow;
    };
    const Shown messages[] = {
        {"MMMM MMMM", textTop, textTop + lineHeight},
        {"<text>" + longText + "</text>", textTop, textBottom},
        {"MMMM MMMM", textTop, textTop + lineHeight},
    };
    for (const Shown& message : messages)
    {
        SCOPED_TRACE(message.text);
        int frames = 0;
        m_Manager.SetFrameCallback(
            [&]
            {
                m_Manager.Update(0.05f);
                m_Graphics.Manager()->UpdateSceneObjects(0.05f);
                m_Graphics.Manager()->Render(false, false);
                EXPECT_EQ(m_Graphics.Device()->CaptureFrame(&m_Frame), GFX_OK);
                // Two frames: the box learns its size in the first walk.
                if (++frames == 2)
                    m_Manager.HideWindow(box, MessageBoxWindow::kOk);
                return frames < 4;
            });
        EXPECT_EQ(m_Manager.ShowMessageBox(message.text, "Question", MessageBoxWindow::kOk),
                  MessageBoxWindow::kOk);
        ASSERT_EQ(frames, 2);
        EXPECT_GT(Lit(left, top, right, textTop), 20) << "the caption shows";
        EXPECT_GT(Lit(left, message.firstRow, right, message.lastRow), 100) << "the message shows";
        EXPECT_EQ(Lit(0, 0, 640, top), 0) << "nothing above the box";
    }
}

INSTANTIATE_TEST_SUITE_P(BothBoxes, MessageBoxWindowGLTest,
                         ::testing::Values(BoxSource{"Layout", "common/messagebox.kab"},
                                           BoxSource{"BuiltIn", ""}),
                         [](const ::testing::TestParamInfo<BoxSource>& info) { return info.param.name; });

} // namespace
