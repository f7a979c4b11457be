#include "engine/gui/guiText.h"
#include "engine/gui/guiTextParams.h"
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

const std::string kFonts = std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/";

// Text glyphs drawn one frame at a time in the generated interface fonts.
class GuiTextGLTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Graphics.Start(testsupport::HeadlessGraphics::WindowedConfig(640, 480, false)));
        m_Font = m_Graphics.Manager()->LoadFont(kFonts + "barmeno16m.kaff", "bar16m");
        ASSERT_NE(m_Font, nullptr);
        m_Root = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(640, 480));
        m_Root->AddRef();
    }

    void TearDown() override { m_Root->Release(); }

    guiText* AddText(guiGlyph* parent, const std::string& text, float x, float y,
                     const std::string& font = "bar16m")
    {
        guiText* glyph = new guiText(font, text, guiCoordPair::Pixels(x, y));
        parent->AddChild(glyph);
        return glyph;
    }

    // A panel at the origin whose own rectangle clips what it holds.
    TestPanel* AddClip(int width, int height)
    {
        TestPanel* clip = new TestPanel(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(width, height));
        clip->SetClipMode(guiGlyph::kClipToSelf);
        m_Root->AddChild(clip);
        return clip;
    }

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

    struct Metrics
    {
        int32_t advance, bearingX, bearingY;
        float width, height;
    };
    Metrics Of(char c) const
    {
        Metrics m{};
        float u0, v0, u1, v1;
        EXPECT_TRUE(m_Font->GetGlyphMetrics(c, u0, v0, u1, v1, m.width, m.height, m.advance, m.bearingX,
                                            m.bearingY));
        return m;
    }

    testsupport::HeadlessGraphics m_Graphics{"GuiTextGL", 640, 480};
    kaFont* m_Font = nullptr;
    TestWindow m_Window;
    guiGlyph* m_Root = nullptr;
    FrameCapture m_Frame;
};

TEST_F(GuiTextGLTest, AWordDrawsAtItsPenPositionsInItsColour)
{
    guiText* text = AddText(m_Root, "Mud", 10, 20);
    text->SetColor(kaColor::kaColorClamped(1.0f, 0.0f, 0.0f, 1.0f));
    DrawFrame();
    ASSERT_EQ(text->GetQuadCount(), 3);
    int pen = 10;
    for (int i = 0; i < 3; ++i)
    {
        const Metrics m = Of("Mud"[i]);
        const guiText::CharRecord& record = text->GetCharRecords()[i];
        EXPECT_EQ(record.left, float(pen + m.bearingX)) << i;
        EXPECT_EQ(record.top, float(20 - m.bearingY - m_Font->GetTop())) << i;
        // Red ink inside the character's cell, nothing in the other channels.
        const auto ink = Sum(int(record.left), int(record.top), int(record.left + record.width) + 1,
                             int(record.top + record.height) + 1);
        EXPECT_GT(ink[2], 255 * 3) << i;
        EXPECT_EQ(ink[0] + ink[1], 0) << i;
        pen += m.advance;
    }
    EXPECT_EQ(text->GetExtent().x.value, float(pen - 10));
    EXPECT_EQ(text->GetExtent().y.value, float(m_Font->GetLineHeight()));
    // Nothing drawn left of or below the word.
    const auto outside = Sum(0, 0, 9, 480);
    EXPECT_EQ(outside[2], 0);
}

TEST_F(GuiTextGLTest, TwoLineEndsLeaveAnEmptyLine)
{
    guiText* text = AddText(m_Root, "A\n\nA", 10, 20);
    DrawFrame();
    const auto& records = text->GetCharRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_TRUE(records[1].lineEnd);
    EXPECT_EQ(records[3].top - records[0].top, float(2 * m_Font->GetLineHeight()));
    EXPECT_EQ(records[3].left, records[0].left);
    EXPECT_EQ(text->GetQuadCount(), 2);
}

TEST_F(GuiTextGLTest, AClipThroughACharacterDrawsItsVisibleHalfWithTheTextureCut)
{
    const Metrics m = Of('W');
    const int left = 20 - m.bearingX;
    const int edge = 20 + int(m.width) / 2;
    TestPanel* clip = AddClip(edge, 100);
    guiText* cut = AddText(clip, "W", float(left), 20);
    // The same character uncut, 80 pixels lower, to compare the visible half with.
    AddText(m_Root, "W", float(left), 100);
    DrawFrame();
    ASSERT_EQ(cut->GetQuadCount(), 1);
    EXPECT_EQ(cut->GetFirstVisible(), 0);
    // Quads sit half a pixel right: the last pixel inside the clip is the edge column itself.
    EXPECT_EQ(Sum(edge + 1, 0, 640, 100)[1], 0);
    EXPECT_GT(Sum(edge + 1, 100, 640, 200)[1], 0);
    long inked = 0;
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x <= edge; ++x)
        {
            const auto above = Sum(x, y, x + 1, y + 1);
            const auto below = Sum(x, y + 80, x + 1, y + 81);
            ASSERT_NEAR(above[1], below[1], 2) << x << "," << y;
            inked += above[1];
        }
    EXPECT_GT(inked, 255 * 4);
}

TEST_F(GuiTextGLTest, WordWrapBreaksAfterTheLastBlankThatFitsAndLongWordsAtTheEdge)
{
    const int32_t line = m_Font->GetLineHeight();
    struct Case
    {
        std::string text;
    } cases[] = {{"go up the ramp and over"}, {"WWWWWWWWWWWWWWWWWWWW"}, {"WWWWWWWWWWWWWW jump"}};
    for (const Case& c : cases)
    {
        TestPanel* clip = AddClip(100, 480);
        guiText* text = AddText(clip, c.text, 0, 0);
        text->SetWordWrap(true);
        DrawFrame();
        const auto& records = text->GetCharRecords();
        ASSERT_FALSE(records.empty()) << c.text;
        // Every drawn character lies inside the 100 pixels and lines follow each other.
        float lastTop = records.front().top;
        int lines = 1;
        std::string laid;
        for (const auto& record : records)
        {
            if (record.width > 0)
            {
                EXPECT_LT(record.left + record.width, 100.0f + 1.0f) << c.text;
            }
            if (record.top > lastTop + line / 2)
            {
                ++lines;
                lastTop = record.top;
            }
        }
        EXPECT_GE(lines, 2) << c.text;
        // No character is lost: laid-out records cover the whole text.
        EXPECT_EQ(records.size(), c.text.size()) << c.text;
        m_Root->RemoveChild(clip);
    }
}

TEST_F(GuiTextGLTest, ACharacterWiderThanTheClipStartsItsLineAndTheLayoutEnds)
{
    TestPanel* clip = AddClip(4, 480);
    guiText* text = AddText(clip, "WWW", 0, 0);
    text->SetWordWrap(true);
    DrawFrame();
    const auto& records = text->GetCharRecords();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].top - records[0].top, float(2 * m_Font->GetLineHeight()));
}

TEST_F(GuiTextGLTest, TextPlacedAtTheEdgesOfTheIntRangeDrawsNothing)
{
    // Placements beyond 2^31 pixels reach the layout as the int range's ends; the character cells there
    // are past what a float holds exactly, and must not be converted back out of range.
    const float far = 2147483600.0f;
    const struct
    {
        float x, y;
    } cases[] = {{far, 20}, {-far, 20}, {20, far}, {20, -far}, {far, far}};
    for (const auto& c : cases)
    {
        guiText* text = AddText(m_Root, "Wq", c.x, c.y);
        DrawFrame();
        EXPECT_EQ(text->GetCharRecords().size(), 2u) << c.x << "," << c.y;
        EXPECT_EQ(text->GetQuadCount(), 0) << c.x << "," << c.y;
        EXPECT_EQ(text->GetFirstVisible(), -1) << c.x << "," << c.y;
        const auto ink = Sum(0, 0, 640, 480);
        EXPECT_EQ(ink[0] + ink[1] + ink[2], 0) << c.x << "," << c.y;
        m_Root->RemoveChild(text);
    }
}

TEST_F(GuiTextGLTest, AnUnknownFontDrawsInSystemAndMeasuringFollowsTheFont)
{
    ASSERT_NE(m_Graphics.Manager()->LoadFont(kFonts + "barmeno24b.kaff", "System"), nullptr);
    guiText* unknown = AddText(m_Root, "Go", 10, 20, "no such font");
    guiText* system = AddText(m_Root, "Go", 10, 100, "System");
    DrawFrame();
    ASSERT_EQ(unknown->GetQuadCount(), 2);
    EXPECT_EQ(unknown->GetCharRecords()[1].left, system->GetCharRecords()[1].left);
    EXPECT_EQ(unknown->GetFont(), system->GetFont());

    guiText* measured = AddText(m_Root, "", 0, 0);
    const platform::Rect empty = measured->MeasureText("");
    EXPECT_EQ(empty.right - empty.left, 0);
    EXPECT_EQ(empty.bottom - empty.top, m_Font->GetLineHeight());
    const platform::Rect word = measured->MeasureText("Mud");
    EXPECT_EQ(word.right, Of('M').advance + Of('u').advance + Of('d').advance);
    DrawFrame();
    EXPECT_EQ(measured->GetQuadCount(), 0);
    EXPECT_EQ(measured->GetExtent().x.value, 0.0f);
    EXPECT_EQ(measured->GetExtent().y.value, float(m_Font->GetLineHeight()));
}

TEST_F(GuiTextGLTest, MaxCharsGrowsWithTheTextAndCutsWhatTheConstructorGave)
{
    guiText* text = AddText(m_Root, "", 0, 0);
    text->SetText(std::string(40, 'a'));
    EXPECT_EQ(text->GetMaxChars(), 80);
    text->SetText(std::string(20000, 'a'));
    EXPECT_EQ(text->GetMaxChars(), guiText::kMaxCharsLimit);

    guiTextParams params;
    params.font = "bar16m";
    params.text = std::string(40, 'a');
    guiText* cut = new guiText(params);
    m_Root->AddChild(cut);
    DrawFrame();
    EXPECT_EQ(cut->GetQuadCount(), guiText::kDefaultMaxChars);
}

TEST_F(GuiTextGLTest, PiecesAreWordsBlanksAndLineEnds)
{
    guiText* text = AddText(m_Root, "", 0, 0);
    struct Case
    {
        std::string text;
        int count;
        // Per piece: s a space, n a line end, w anything else.
        std::string kinds;
    } cases[] = {
        {"jump ramp", 3, "wsw"}, {"  ", 2, "ss"}, {"a\tb", 3, "www"}, {"up\nhill", 3, "wnw"}, {"", 0, ""},
        {"a\r\nb", 4, "wwnw"},
    };
    for (const Case& c : cases)
    {
        text->SetText(c.text);
        EXPECT_EQ(text->GetPieceCount(), c.count) << c.text;
        for (int i = 0; i < c.count; ++i)
        {
            EXPECT_EQ(text->IsPieceSpace(i), c.kinds[i] == 's') << c.text << " " << i;
            EXPECT_EQ(text->IsPieceNewline(i), c.kinds[i] == 'n') << c.text << " " << i;
        }
        EXPECT_FALSE(text->IsPieceSpace(c.count));
    }
    text->SetText("jump ramp");
    guiCreateParams* piece = text->CreatePiece(1, 2);
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(static_cast<guiTextParams*>(piece)->text, " ramp");
    EXPECT_EQ(static_cast<guiTextParams*>(piece)->font, "bar16m");
    delete piece;
}

} // namespace
