#include "engine/gui/MessageBoxWindow.h"

#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiText.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

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
class MessageBoxOnScreen : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Without the machine's "Arial" under the name "System" the box draws in the generated font,
        // whatever faces are installed.
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false), false));
        m_Graphics.Manager()->SetClearColor(0xFF000000);
        // Plain messages are drawn in the mark-up's default font.
        m_Font = m_Graphics.Manager()->LoadFont(
            std::string(TARVOLIN_CONTENT_DIR) + "/ui/fonts/barmeno16m.kaff", "System");
        ASSERT_NE(m_Font, nullptr);
        ASSERT_TRUE(m_Font->IsFromFile()) << "\"System\" is the generated font";
    }

    // Each frame updates, draws and captures; the box is answered Ok after the second frame (the box and
    // its labels learn their size and place in the first walk and are drawn there in the second).
    void CaptureSecondFrameThenAnswer(MessageBoxWindow* box, int& frames)
    {
        frames = 0;
        m_Manager.SetFrameCallback(
            [this, box, &frames]
            {
                m_Manager.Update(0.05f);
                m_Graphics.Manager()->UpdateSceneObjects(0.05f);
                m_Graphics.Manager()->Render(false, false);
                EXPECT_EQ(m_Graphics.Device()->CaptureFrame(&m_Frame), GFX_OK);
                if (++frames == 2)
                    m_Manager.HideWindow(box, MessageBoxWindow::kOk);
                return frames < 4;
            });
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

    // Mean of a pixel's channels; 0 outside the frame.
    int Brightness(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= int(m_Frame.Width) || y >= int(m_Frame.Height))
            return 0;
        const uint8_t* bgr = &m_Frame.Rows[(std::size_t(y) * m_Frame.Width + x) * 3];
        return (bgr[0] + bgr[1] + bgr[2]) / 3;
    }

    testsupport::HeadlessGraphics m_Graphics{"MessageBoxWindowGL", 640, 480};
    kaFont* m_Font = nullptr;
    guiManager m_Manager;
    FrameCapture m_Frame;
};

class MessageBoxWindowGLTest : public MessageBoxOnScreen, public ::testing::WithParamInterface<BoxSource>
{
};

class BuiltInMessageBoxGLTest : public MessageBoxOnScreen
{
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
        CaptureSecondFrameThenAnswer(box, frames);
        EXPECT_EQ(m_Manager.ShowMessageBox(message.text, "Question", MessageBoxWindow::kOk),
                  MessageBoxWindow::kOk);
        ASSERT_EQ(frames, 2);
        EXPECT_GT(Lit(left, top, right, textTop), 20) << "the caption shows";
        EXPECT_GT(Lit(left, message.firstRow, right, message.lastRow), 100) << "the message shows";
        EXPECT_EQ(Lit(0, 0, 640, top), 0) << "nothing above the box";
    }
}

// The built-in box centres each button's label by the label's measured line: drawn with every button
// shown, the white letters' pixels sit in the middle of their grey button.
TEST_F(BuiltInMessageBoxGLTest, ButtonLabelsAreDrawnInTheMiddleOfTheirButtons)
{
    m_Manager.CreateDefaultMessageBox();
    MessageBoxWindow* box = m_Manager.GetMessageBox();
    ASSERT_NE(box, nullptr);
    const int32_t all =
        MessageBoxWindow::kOk | MessageBoxWindow::kCancel | MessageBoxWindow::kYes | MessageBoxWindow::kNo;
    int frames = 0;
    CaptureSecondFrameThenAnswer(box, frames);
    // No message: nothing but the buttons below the caption.
    ASSERT_EQ(m_Manager.ShowMessageBox("", "Question", all), MessageBoxWindow::kOk);

    // The buttons, found by their grey along their top row (the shade behind them is near black).
    const int boxLeft = (640 - MessageBoxWindow::kWidth) / 2;
    const int buttonTop = (480 - MessageBoxWindow::kHeight) / 2 + MessageBoxWindow::kButtonTop;
    const int buttonBottom = buttonTop + MessageBoxWindow::kButtonHeight;
    std::vector<std::pair<int, int>> buttons;
    for (int x = boxLeft; x < boxLeft + MessageBoxWindow::kWidth; ++x)
    {
        const bool grey = Brightness(x, buttonTop + 1) > 60 && Brightness(x, buttonTop + 1) < 160;
        if (grey && (buttons.empty() || buttons.back().second != x))
            buttons.push_back({x, x + 1});
        else if (grey)
            buttons.back().second = x + 1;
    }
    ASSERT_EQ(buttons.size(), 4u);

    // Letters are white: far above the button's grey. Looked for a little beyond the button on every side,
    // so a label that sits low or overhangs is seen.
    constexpr int kMargin = 8;
    // Laid out in this order; a label is measured by its caption's text.
    const guiButton* shown[] = {box->GetOkButton(), box->GetYesButton(), box->GetNoButton(),
                                box->GetCancelButton()};
    for (std::size_t i = 0; i < buttons.size(); ++i)
    {
        const auto [left, right] = buttons[i];
        const guiText* label = static_cast<const guiCaption*>(shown[i]->GetParent())->GetCaption();
        SCOPED_TRACE(label->GetText());
        EXPECT_EQ(right - left, MessageBoxWindow::kButtonWidth);
        int inkLeft = 640, inkRight = -1, inkTop = 480, inkBottom = -1;
        for (int y = buttonTop - kMargin; y < buttonBottom + kMargin; ++y)
            for (int x = left - kMargin; x < right + kMargin; ++x)
                if (Brightness(x, y) > 200)
                {
                    inkLeft = std::min(inkLeft, x);
                    inkRight = std::max(inkRight, x + 1);
                    inkTop = std::min(inkTop, y);
                    inkBottom = std::max(inkBottom, y + 1);
                }
        ASSERT_GE(inkRight, 0) << "the label shows";
        // The font's height down to its descenders is centred; these labels have none, so their letters
        // stand half the descender room above the middle (the tallest glyphs, which set the line's top,
        // stand a pixel above the capitals).
        const double middle = (buttonTop + buttonBottom) / 2.0 - m_Font->GetDescent() / 2.0;
        EXPECT_NEAR((inkTop + inkBottom) / 2.0, middle, 2.0) << "ink rows " << inkTop << " to " << inkBottom;
        EXPECT_GE(inkTop, buttonTop);
        EXPECT_LE(inkBottom, buttonBottom);
        EXPECT_NEAR((inkLeft + inkRight) / 2.0, (left + right) / 2.0, 2.0)
            << "ink columns " << inkLeft << " to " << inkRight;
        // Beside the button the shade is near black: any faint edge of a letter there overhangs. A label
        // whose advances are wider than the button ("Cancel" in this face) may lay the edge of its last
        // stroke on the next column, no further.
        const int spill = label->MeasureText(label->GetText()).right > right - left ? 1 : 0;
        EXPECT_EQ(Lit(left - kMargin, inkTop, left - spill, inkBottom), 0) << "overhangs on the left";
        EXPECT_EQ(Lit(right + spill, inkTop, right + kMargin, inkBottom), 0) << "overhangs on the right";
    }
}

INSTANTIATE_TEST_SUITE_P(BothBoxes, MessageBoxWindowGLTest,
                         ::testing::Values(BoxSource{"Layout", "common/messagebox.kab"},
                                           BoxSource{"BuiltIn", ""}),
                         [](const ::testing::TestParamInfo<BoxSource>& info) { return info.param.name; });

} // namespace
