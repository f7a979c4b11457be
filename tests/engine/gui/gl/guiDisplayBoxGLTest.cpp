#include "engine/gui/guiDisplayBox.h"

#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiText.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "platform/gfx/GfxDevice.h"
#include "tests/support/HeadlessGraphics.h"
#include "tests/support/engine/gui/TestPanel.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

using namespace platform;

namespace
{

// A display box of 600 by 200 at 10, 10 over a black screen, drawn one frame at a time.
class GuiDisplayBoxGLTest : public ::testing::Test
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
        m_Box = new guiDisplayBox(guiCoordPair::Pixels(10, 10), guiCoordPair::Pixels(600, 200));
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

    // The brightest value of each channel over a pixel rectangle, and how many pixels are not black.
    struct Look
    {
        std::array<int, 3> rgbMax{0, 0, 0};
        int lit = 0;
        int grey = 0;
    };

    Look Region(int left, int top, int right, int bottom) const
    {
        Look look;
        for (int y = std::max(top, 0); y < bottom && y < int(m_Frame.Height); ++y)
            for (int x = std::max(left, 0); x < right && x < int(m_Frame.Width); ++x)
            {
                const uint8_t* bgr = &m_Frame.Rows[(std::size_t(y) * m_Frame.Width + x) * 3];
                const int rgb[3] = {bgr[2], bgr[1], bgr[0]};
                for (int c = 0; c < 3; ++c)
                    look.rgbMax[c] = std::max(look.rgbMax[c], rgb[c]);
                if (rgb[0] + rgb[1] + rgb[2] > 0)
                {
                    ++look.lit;
                    look.grey += std::abs(rgb[0] - rgb[1]) <= 2 && std::abs(rgb[1] - rgb[2]) <= 2 ? 1 : 0;
                }
            }
        return look;
    }

    int Width(const std::string& text) const
    {
        int width = 0;
        for (char c : text)
        {
            float u0, v0, u1, v1, w, h;
            int32_t advance = 0, bearingX = 0, bearingY = 0;
            if (m_Font->GetGlyphMetrics(c, u0, v0, u1, v1, w, h, advance, bearingX, bearingY))
                width += advance;
        }
        return width;
    }

    testsupport::HeadlessGraphics m_Graphics{"GuiDisplayBoxGL", 640, 480};
    kaFont* m_Font = nullptr;
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    guiDisplayBox* m_Box = nullptr;
    FrameCapture m_Frame;
};

TEST_F(GuiDisplayBoxGLTest, AStoredMessageShowsOnTwoGreyLinesWithItsQuoteAndBracketsAsText)
{
    const std::string characters = "/:*?\"<>|";
    m_Box->SetText(
        "<text font bar16m color .5 .5 .5 1>A file cannot contain any of the following characters:\n" +
        characters + "</text>");
    DrawFrame();
    const int lh = m_Font->GetLineHeight();
    const Look first = Region(10, 10, 610, 10 + lh);
    const Look second = Region(10, 10 + lh, 610, 10 + 2 * lh);
    EXPECT_GT(first.lit, 200);
    EXPECT_EQ(first.grey, first.lit) << "grey only";
    EXPECT_NEAR(first.rgbMax[0], 127, 3);
    EXPECT_GT(second.lit, 30);
    EXPECT_EQ(second.grey, second.lit);
    EXPECT_EQ(Region(10, 10 + 2 * lh, 610, 210).lit, 0) << "nothing below the second line";
    // The second line is the eight characters, as wide as the font draws them, starting at the left.
    const int right = 10 + Width(characters);
    EXPECT_GT(Region(10 + Width("/:*?"), 10 + lh, 10 + Width("/:*?\"<>"), 10 + 2 * lh).lit, 10)
        << "the quote and the brackets are drawn";
    EXPECT_EQ(Region(right + 2, 10 + lh, 610, 10 + 2 * lh).lit, 0);
}

TEST_F(GuiDisplayBoxGLTest, ColoursAreClampedAndPicturesStandInTheFlow)
{
    // A green picture of 12 by 12 whose name holds a blank.
    std::vector<uint8_t> texels;
    for (int i = 0; i < 12 * 12; ++i)
        texels.insert(texels.end(), {0, 255, 0, 255});
    kaTGAImage picture;
    const std::string file = m_Graphics.Dir().File("green dot.tga");
    ASSERT_TRUE(picture.Create(12, 12, 32, 8, texels.data()));
    ASSERT_TRUE(picture.Save(file, false));

    m_Box->SetText("<text font bar16m color 2 -1 0.5 1>MMMM </text><image filename \"" + file + "\">");
    DrawFrame();
    const int lh = m_Font->GetLineHeight();
    const int text = 10 + Width("MMMM");
    const Look words = Region(10, 10, text, 10 + lh);
    EXPECT_GT(words.lit, 50);
    EXPECT_GT(words.rgbMax[0], 250) << "red clamped to 1";
    EXPECT_EQ(words.rgbMax[1], 0) << "green clamped to 0";
    EXPECT_NEAR(words.rgbMax[2], 127, 3);
    const int left = 10 + Width("MMMM ");
    const Look dot = Region(left, 10, left + 12, 22);
    EXPECT_EQ(dot.lit, 144) << "the picture right after the text and its blank";
    EXPECT_EQ(dot.rgbMax[1], 255);
    EXPECT_EQ(dot.rgbMax[0], 0);
    EXPECT_EQ(Region(left + 13, 10, 610, 210).lit, 0);
}

TEST_F(GuiDisplayBoxGLTest, ScrolledTextIsCutAtTheBoxEdges)
{
    m_Box->SetSize(guiCoordPair::Pixels(600, 40));
    std::string lines;
    for (int i = 0; i < 8; ++i)
        lines += "<text font bar16m>MMMMMMMMMM\n</text>";
    // Only a box whose device objects exist follows its end.
    DrawFrame();
    m_Box->SetText(lines);
    DrawFrame();
    EXPECT_GT(m_Box->GetVerticalScroll(), 0.0f) << "the end is in view";
    EXPECT_EQ(Region(0, 0, 640, 10).lit, 0) << "nothing above the box";
    EXPECT_EQ(Region(0, 50, 640, 480).lit, 0) << "nothing below it";
    EXPECT_GT(Region(10, 10, 610, 50).lit, 100);
}

} // namespace
