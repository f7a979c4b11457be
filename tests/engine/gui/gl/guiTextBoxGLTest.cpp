#include "engine/gui/guiTextBox.h"

#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

using namespace platform;

namespace
{

// A red text box of 200 by 30 at 10, 20 holding "Mud", drawn one frame at a time.
class GuiTextBoxGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        m_Font = m_Graphics.Manager()->LoadFont(
            std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/barmeno16m.kaff", "bar16m");
        ASSERT_NE(m_Font, nullptr);
        m_Root = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(640, 480));
        m_Root->AddRef();
        guiTextBoxParams params;
        params.font = "bar16m";
        params.text = "Mud";
        params.foreColor = kaColor::kaColorClamped(1.0f, 0.0f, 0.0f, 1.0f);
        params.position = guiCoordPair::Pixels(10, 20);
        params.size = guiCoordPair::Pixels(200, 30);
        m_Box = new guiTextBox(params);
        m_Root->AddChild(m_Box);
    }

    void TearDown() override { m_Root->Release(); }

    void DrawFrame()
    {
        GfxDevice* device = m_Graphics.Device();
        m_Root->CreateDeviceObjectsAll();
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        device->BeginScene();
        m_Window.Frame(m_Root);
        device->EndScene();
        device->Present();
        ASSERT_EQ(device->CaptureFrame(&m_Frame), GFX_OK);
    }

    // Channel values summed over a pixel rectangle: b, g, r.
    std::array<long, 3> Sum(int left, int top, int right, int bottom) const
    {
        std::array<long, 3> sum{0, 0, 0};
        for (int y = std::max(top, 0); y < bottom && y < int(m_Frame.Height); ++y)
            for (int x = std::max(left, 0); x < right && x < int(m_Frame.Width); ++x)
                for (int c = 0; c < 3; ++c)
                    sum[c] += m_Frame.Rows[(std::size_t(y) * m_Frame.Width + x) * 3 + c];
        return sum;
    }

    int Advance(char c) const
    {
        float u0, v0, u1, v1, width, height;
        int32_t advance = 0, bearingX = 0, bearingY = 0;
        EXPECT_TRUE(m_Font->GetGlyphMetrics(c, u0, v0, u1, v1, width, height, advance, bearingX, bearingY));
        return advance;
    }

    testsupport::HeadlessGraphics m_Graphics{"GuiTextBoxGL", 640, 480};
    kaFont* m_Font = nullptr;
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    guiTextBox* m_Box = nullptr;
    FrameCapture m_Frame;
};

TEST_F(GuiTextBoxGLTest, TheCaretDrawsAfterTheTextOnlyWithTheFocusAndTheSelectionIsGreen)
{
    const int end = 10 + Advance('M') + Advance('u') + Advance('d');
    DrawFrame();
    const auto text = Sum(10, 20, end, 50);
    EXPECT_GT(text[2], 255 * 10) << "the text in its colour";
    EXPECT_EQ(text[1], 0);
    EXPECT_EQ(Sum(end, 20, 210, 50)[2], 0) << "no caret without the focus";

    m_Box->OnFocusGained();
    m_Box->SetText("Mud", 3);
    DrawFrame();
    EXPECT_GT(Sum(end, 20, end + Advance('|') + 1, 50)[2], 255 * 4) << "the caret after the last character";
    EXPECT_EQ(Sum(end + Advance('|') + 1, 20, 210, 50)[2], 0);

    m_Box->SelectText("u");
    DrawFrame();
    const int u = 10 + Advance('M');
    EXPECT_GT(Sum(u, 20, u + Advance('u'), 50)[1], 60 * 20) << "the selection over the 'u'";
    EXPECT_EQ(Sum(10, 20, u, 50)[1], 0);
    EXPECT_EQ(Sum(u + Advance('u'), 20, 210, 50)[1], 0);
}

TEST_F(GuiTextBoxGLTest, ABufferNarrowsTheClipAndMovesTheTextIn)
{
    m_Box->SetText("MMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", 0);
    m_Box->SetBuffer(8);
    DrawFrame();
    const float first = m_Box->GetInnerText()->GetCharRecords()[0].left;
    EXPECT_GE(first, 18.0f) << "the text starts past the buffer";
    EXPECT_LT(first, float(18 + Advance('M')));
    EXPECT_EQ(Sum(0, 20, 18, 50)[2], 0) << "nothing in the left margin";
    // Text quads stand half a pixel right of their cells, so the last column drawn is the clip edge.
    EXPECT_EQ(Sum(203, 20, 640, 50)[2], 0) << "nothing in the right margin";
    EXPECT_GT(Sum(18, 20, 202, 50)[2], 255 * 20);
}

} // namespace
