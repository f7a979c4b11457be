#include "engine/gui/guiButton.h"
#include "engine/gui/guiCaption.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextParams.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

// The rectangle a text measures and the characters it lays out, in the generated fonts.
class TextMeasureTest : public TextDeskTest
{
protected:
    void SetUp() override
    {
        TextDeskTest::SetUp();
        for (const char* name : {"bar10m", "bar14m", "bar24b"})
        {
            const std::string file = std::string("barmeno") + (name + 3) + ".kaff";
            ASSERT_NE(m_Graphics->LoadFont(FontFile(file), name), nullptr) << file;
        }
    }

    const kaFont* Font(const std::string& name) const { return m_Graphics->GetFont(name); }

    int Advances(const std::string& font, const std::string& text) const
    {
        int width = 0;
        for (char c : text)
        {
            float u0, v0, u1, v1, w, h;
            int32_t advance = 0, bearingX = 0, bearingY = 0;
            if (Font(font)->GetGlyphMetrics(c, u0, v0, u1, v1, w, h, advance, bearingX, bearingY))
                width += advance;
        }
        return width;
    }

    // Top and bottom of the drawn characters' cells, from the last layout.
    static std::pair<float, float> InkRows(const guiText& text)
    {
        float top = 1e9f, bottom = -1e9f;
        for (const guiText::CharRecord& record : text.GetCharRecords())
            if (!record.blank)
            {
                top = std::min(top, record.top);
                bottom = std::max(bottom, record.top + record.height);
            }
        return {top, bottom};
    }
};

struct MeasureCase
{
    const char* font;
    const char* text;
};

TEST_F(TextMeasureTest, TheMeasuredLineHoldsEveryCharacterLaidOutAtThePosition)
{
    const MeasureCase cases[] = {
        {"bar16m", "Ok"},     {"bar16m", "Cancel"}, {"bar16m", "gjpqy|()"}, {"bar10m", "Yes"},
        {"bar14m", "No"},     {"bar24b", "Cancel"}, {"bar24b", "Wg{}"},     {"bar16m", "a b"},
        {"bar10m", "`'^_,."}, {"bar24b", ""},
    };
    constexpr int kX = 40, kY = 60;
    for (const MeasureCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.font) + " \"" + c.text + "\"");
        auto* text = new guiText(c.font, c.text, guiCoordPair::Pixels(kX, kY));
        m_Form->AddChild(text);
        m_Desk->Frame();

        const platform::Rect measured = text->MeasureText(c.text);
        EXPECT_EQ(measured.left, 0);
        EXPECT_EQ(measured.right, Advances(c.font, c.text));
        EXPECT_EQ(measured.bottom - measured.top, Font(c.font)->GetLineHeight());
        // The client rectangle keeps the line's top and ends at the font's deepest descender.
        platform::Rect client{};
        text->ComputeClientRect(client);
        EXPECT_EQ(client.top, measured.top);
        EXPECT_EQ(client.right, measured.right);
        EXPECT_EQ(client.bottom - client.top, Font(c.font)->GetDescent() - Font(c.font)->GetTop());
        EXPECT_LE(client.bottom, measured.bottom);

        // Placed at the text's position, both cover what is drawn; the tallest glyph may stand one pixel
        // above them, as the font's top offset rounds.
        if (*c.text != '\0')
        {
            const auto [inkTop, inkBottom] = InkRows(*text);
            EXPECT_GE(inkTop, float(kY + measured.top - 1));
            EXPECT_LE(inkBottom, float(kY + client.bottom));
            // And not far beyond them: the drawn characters fill most of the line.
            EXPECT_GT(inkBottom - inkTop, 0.5f * float(measured.bottom - measured.top));
        }
        m_Form->RemoveChild(text);
    }
}

struct CaptionCase
{
    const char* font;
    const char* label;
    int width;
    int height;
    // The label reaches from the font's tallest glyphs down to its descenders.
    bool descends;
};

// A caption built from parameters centres its text once, by the text's measured rectangle: the drawn
// characters then sit in the middle of the button.
TEST_F(TextMeasureTest, ACaptionCentresItsDrawnTextInItsButton)
{
    const CaptionCase cases[] = {
        {"bar16m", "Ok", 50, 30, false},       {"bar16m", "Cancel", 50, 30, false},
        {"bar16m", "Yes", 50, 30, false},      {"bar16m", "No", 50, 30, false},
        {"bar10m", "Ok", 50, 30, false},       {"bar24b", "Back", 110, 40, false},
        {"bar14m", "Load", 120, 24, false},    {"bar16m", "Apply|", 80, 30, true},
        {"bar24b", "Jump {g}", 160, 50, true}, {"bar10m", "Quit (y)", 70, 21, true},
    };
    constexpr int kX = 100, kY = 200;
    for (const CaptionCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.font) + " \"" + c.label + "\"");
        guiTextParams params;
        params.text = c.label;
        params.font = c.font;
        auto* button = new guiButton(guiCoordPair::Pixels(kX, kY), guiCoordPair::Pixels(c.width, c.height));
        auto* caption = new guiCaption(button, params);
        m_Form->AddChild(caption);
        // The first walk centres the text, the next lays it out where it was put.
        m_Desk->Frame();
        m_Desk->Frame();

        const guiText* text = caption->GetCaption();
        ASSERT_NE(text, nullptr);
        const auto [inkTop, inkBottom] = InkRows(*text);
        const float inkMiddle = (inkTop + inkBottom) / 2.0f;
        // The font's whole height (tallest glyph to deepest descender) is centred; a label without
        // descenders leaves the descender room below it empty, so its letters sit half of it higher.
        const float descenderRoom = c.descends ? 0.0f : float(Font(c.font)->GetDescent()) / 2.0f;
        EXPECT_NEAR(inkMiddle, kY + c.height / 2.0f - descenderRoom, 1.5f) << inkTop << " to " << inkBottom;
        // Letters stay inside the button's height.
        EXPECT_GE(inkTop, float(kY));
        EXPECT_LE(inkBottom, float(kY + c.height));

        float inkLeft = 1e9f, inkRight = -1e9f;
        for (const guiText::CharRecord& record : text->GetCharRecords())
            if (!record.blank)
            {
                inkLeft = std::min(inkLeft, record.left);
                inkRight = std::max(inkRight, record.left + record.width);
            }
        // Across, the advances are centred: the first and last letters' side bearings may differ by a
        // pixel or two, and the place is cut to a whole pixel.
        EXPECT_NEAR((inkLeft + inkRight) / 2.0f, kX + c.width / 2.0f, 2.5f) << inkLeft << " to " << inkRight;
        m_Form->RemoveChild(caption);
    }
}

} // namespace
