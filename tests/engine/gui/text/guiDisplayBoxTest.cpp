#include "engine/gui/guiDisplayBox.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiFlowCompositor.h"
#include "engine/gui/guiImageParams.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLayoutSyntax.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/gui/guiTextParams.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct Placed
{
    std::string text;
    int x;
    int y;
};

// Display boxes in the form, laid out in "bar16m" on the test device.
class DisplayBoxTest : public TextDeskTest
{
protected:
    void TearDown() override
    {
        gui::SetLayoutVersion(gui::kLayoutVersion);
        TextDeskTest::TearDown();
    }

    guiDisplayBox* AddDisplay(int w, int h, const std::string& markup = "")
    {
        auto* box = new guiDisplayBox(guiCoordPair::Pixels(20, 30), guiCoordPair::Pixels(float(w), float(h)));
        m_Form->AddChild(box);
        box->SetText(markup);
        m_Desk->Frame();
        return box;
    }

    int LineHeight() const { return m_Font->GetLineHeight(); }

    // The drawn words (no blanks, no line ends) with their places inside the composition.
    static std::vector<Placed> Words(const guiCompositeGlyph& composition)
    {
        std::vector<Placed> words;
        for (const guiCompositeGlyph::Entry& entry : composition.GetEntries())
            for (guiGlyph* piece : entry.pieces)
            {
                guiText* text = piece != nullptr ? piece->DynamicCast<guiText>() : nullptr;
                if (text == nullptr || text->GetText() == "\n")
                    continue;
                const kaPoint at = piece->ToPixels(piece->GetPosition());
                words.push_back({text->GetText(), at.x, at.y});
            }
        return words;
    }

    static std::string Texts(const guiCompositeGlyph& composition)
    {
        std::string joined;
        for (const Placed& word : Words(composition))
            joined += "[" + word.text + "]";
        return joined;
    }
};

TEST_F(DisplayBoxTest, MarkupBecomesEntriesByTheTagRules)
{
    const struct
    {
        const char* what;
        const char* markup;
        // Per entry: kind, text or file name, font, colour, alignment, alpha, filter.
        struct Want
        {
            int kind;
            const char* text;
            const char* font;
            kaColor color;
            int alignment;
            bool alpha;
            int filter;
        };
        std::vector<Want> entries;
    } cases[] = {
        {"words outside tags are skipped",
         "Before <text font bar16m>shown</text> after",
         {{2, "shown", "bar16m", kaColor(), 0, false, 0}}},
        {"a tag named in capitals is ignored and scanning goes on",
         "<TEXT font bar16m>x</TEXT><text>y</text>",
         {{2, "y", "System", kaColor(), 0, false, 0}}},
        {"a quoted file name keeps its blank",
         "<image filename \"my picture.tga\" align 2>",
         {{1, "my picture.tga", "", kaColor(), 2, false, 0}}},
        {"an unquoted file name is empty and the words after it are lost",
         "<image filename pic.tga align 2 filter 3>",
         {{1, "", "", kaColor(), 0, false, 0}}},
        {"alpha true ends the tag's words; the image is still added",
         "<image filename \"a.tga\" align 4 alpha true filter 3>",
         {{1, "a.tga", "", kaColor(), 4, false, 0}}},
        {"alpha 1 and a filter",
         "<image alpha 1 filter 3 filename \"b.tga\">",
         {{1, "b.tga", "", kaColor(), 0, true, 3}}},
        {"a missing closing bracket: the body read so far is the tag",
         "<text font bar16m",
         {{2, "", "bar16m", kaColor(), 0, false, 0}}},
        {"a missing end tag takes the rest; colours are clamped",
         "<text color 2 -1 0.5 1 align 2>abc",
         {{2, "abc", "System", kaColor::kaColorClamped(1, 0, 0.5f, 1), 2, false, 0}}},
        {"backslash n is a line end, a line end stays one",
         "<text>a\\nb\nc</text>",
         {{2, "a\nb\nc", "System", kaColor(), 0, false, 0}}},
        {"a broken end tag is text",
         "<text>x </text y</text><text>z</text>",
         {{2, "x </text y", "System", kaColor(), 0, false, 0}, {2, "z", "System", kaColor(), 0, false, 0}}},
        {"a word for a number ends the tag's words",
         "<text align left font bar16m>z</text>",
         {{2, "z", "System", kaColor(), 0, false, 0}}},
        {"a colour keeps the channels read before a bad one",
         "<text color 0.5 0.25 x 0>c</text>",
         {{2, "c", "System", kaColor::kaColorClamped(0.5f, 0.25f, 1, 1), 0, false, 0}}},
        {"a keyword without its value changes nothing",
         "<text font>q</text>",
         {{2, "q", "System", kaColor(), 0, false, 0}}},
        {"the last of repeated keywords wins; unknown words are skipped",
         "<text align 1 bold align 2>r</text>",
         {{2, "r", "System", kaColor(), 2, false, 0}}},
        {"empty and unknown tags add nothing", "<><  ><b>bold</b>", {}},
    };
    guiDisplayBox* box = AddDisplay(600, 200);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        box->SetText(c.markup);
        EXPECT_EQ(box->GetText(), c.markup);
        const auto& entries = box->GetComposition()->GetEntries();
        ASSERT_EQ(entries.size(), c.entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i)
        {
            const auto& want = c.entries[i];
            const guiCreateParams* params = entries[i].params;
            ASSERT_EQ(params->GetWidgetClass(), want.kind);
            EXPECT_EQ(entries[i].alignment, want.alignment);
            if (want.kind == guiCreateParams::kTextParams)
            {
                const auto* text = static_cast<const guiTextParams*>(params);
                EXPECT_EQ(text->text, want.text);
                EXPECT_EQ(text->font, want.font);
                EXPECT_EQ(text->foreColor.r, want.color.r);
                EXPECT_EQ(text->foreColor.g, want.color.g);
                EXPECT_EQ(text->foreColor.b, want.color.b);
                EXPECT_EQ(text->foreColor.a, want.color.a);
            }
            else
            {
                const auto* image = static_cast<const guiImageParams*>(params);
                EXPECT_EQ(image->filename, want.text);
                EXPECT_EQ(image->alpha, want.alpha);
                EXPECT_EQ(image->filtering, want.filter);
            }
        }
    }
}

// Text from outside (a file's names and values) made into mark-up shows exactly as it is: the box's own
// parser gives back every character, in the one look of the opening tag, and mark-up after it still reads.
TEST_F(DisplayBoxTest, TextMarkupShowsAnyTextAsItIsInOneLook)
{
    const char* const opening = "<text font bar16m color .5 .25 1 1>";
    const std::string texts[] = {
        "plain words",
        "a < b > c and <b>bold</b>",
        "</text>",
        "x</text>y</text></text>z",
        "ends with </text",
        "ends with <",
        "ends with </tex",
        "<text color 1 0 0 1>red</text>",
        "C:\\new\\names, \\n and \\\\n",
        "a backslash at the end \\",
        "",
    };
    guiDisplayBox* box = AddDisplay(600, 200);
    for (const std::string& text : texts)
    {
        SCOPED_TRACE(text);
        box->SetText(guiDisplayBox::TextMarkup(opening, text) + "<text>after</text>");
        const auto& entries = box->GetComposition()->GetEntries();
        ASSERT_GE(entries.size(), 2u);
        std::string shown;
        for (std::size_t i = 0; i + 1 < entries.size(); ++i)
        {
            ASSERT_EQ(entries[i].params->GetWidgetClass(), guiCreateParams::kTextParams);
            const auto* params = static_cast<const guiTextParams*>(entries[i].params);
            shown += params->text;
            EXPECT_EQ(params->font, "bar16m");
            EXPECT_EQ(params->foreColor.r, 0.5f);
            EXPECT_EQ(params->foreColor.g, 0.25f);
            EXPECT_EQ(params->foreColor.b, 1.0f);
        }
        EXPECT_EQ(shown, text);
        const auto* last = static_cast<const guiTextParams*>(entries.back().params);
        EXPECT_EQ(last->text, "after");
        EXPECT_EQ(last->font, "System");
    }
}

TEST_F(DisplayBoxTest, WordsFlowIntoLinesOfTheBoxWidth)
{
    const int blank = Width(" ");
    const int lh = LineHeight();
    const struct
    {
        const char* what;
        const char* markup;
        int width;
        std::vector<Placed> words;
    } cases[] = {
        {"three words, two fit: the third starts line two without a blank",
         "<text font bar16m>alpha beta gamma</text>",
         Width("alpha beta ") + 2,
         {{"alpha", 0, 0}, {"beta", Width("alpha "), 0}, {"gamma", 0, lh}}},
        {"the blank that breaks the line takes no room",
         "<text font bar16m>alpha beta gamma</text>",
         Width("alpha beta") + 1,
         {{"alpha", 0, 0}, {"beta", Width("alpha "), 0}, {"gamma", 0, lh}}},
        {"two line ends leave an empty line",
         "<text font bar16m>a\n\nb</text>",
         300,
         {{"a", 0, 0}, {"b", 0, 2 * lh}}},
        {"alignment 2 centres each line",
         "<text font bar16m align 2>ab cd</text>",
         Width("ab cd") - 1,
         {{"ab", (Width("ab cd") - 1 - Width("ab ")) / 2, 0},
          {"cd", (Width("ab cd") - 1 - Width("cd")) / 2, lh}}},
        {"entries follow one another on the line",
         "<text font bar16m>one </text><text font bar16m>two</text>",
         300,
         {{"one", 0, 0}, {"two", Width("one "), 0}}},
        {"a word wider than the box stands alone, without an empty line before it",
         "<text font bar16m>a wwwwwwwwwwww b</text>",
         Width("www"),
         {{"a", 0, 0}, {"wwwwwwwwwwww", 0, lh}, {"b", 0, 2 * lh}}},
    };
    ASSERT_GT(blank, 0);
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        guiDisplayBox* box = AddDisplay(c.width, 100, c.markup);
        const std::vector<Placed> words = Words(*box->GetComposition());
        ASSERT_EQ(words.size(), c.words.size()) << Texts(*box->GetComposition());
        for (std::size_t i = 0; i < words.size(); ++i)
        {
            EXPECT_EQ(words[i].text, c.words[i].text);
            EXPECT_EQ(words[i].x, c.words[i].x) << words[i].text;
            EXPECT_EQ(words[i].y, c.words[i].y) << words[i].text;
        }
        m_Form->RemoveChild(box);
    }
}

TEST_F(DisplayBoxTest, AnEntryLimitDropsTheOldestEntriesPieces)
{
    guiDisplayBox* box = AddDisplay(400, 100);
    guiCompositeGlyph* composition = box->GetComposition();
    composition->SetEntryLimit(3);
    guiTextParams params;
    params.font = "bar16m";
    std::vector<guiGlyph*> first;
    for (const char* word : {"one ", "two ", "three ", "four "})
    {
        params.text = word;
        box->AppendText(params, 0);
        if (first.empty())
            first = composition->GetEntries().front().pieces;
    }
    EXPECT_EQ(composition->GetEntries().size(), 3u);
    EXPECT_EQ(Texts(*composition), "[two][three][four]");
    EXPECT_EQ(composition->GetChildCount(), 3) << "only the kept words are drawn";
    EXPECT_EQ(Words(*composition).front().x, 0) << "the rest moved up to the line start";
    composition->SetEntryLimit(1);
    EXPECT_EQ(Texts(*composition), "[four]");

    // The console empties its box before each line.
    box->SetText("<text>old</text>");
    box->Clear();
    EXPECT_EQ(box->GetText(), "");
    EXPECT_TRUE(composition->GetEntries().empty());
    EXPECT_EQ(composition->GetChildCount(), 0);
    box->AppendText(params, 0);
    EXPECT_EQ(Texts(*composition), "[four]");
}

TEST_F(DisplayBoxTest, TheWindowListsThePiecesAndForgetsThemWithTheBox)
{
    guiDisplayBox* box = AddDisplay(300, 60, "<text font bar16m>two words</text>");
    const guiGlyph* composition = box->GetComposition();
    std::vector<const guiGlyph*> pieces;
    for (const auto& entry : box->GetComposition()->GetEntries())
        for (guiGlyph* piece : entry.pieces)
            if (piece != nullptr)
                pieces.push_back(piece);
    ASSERT_EQ(pieces.size(), 2u);
    auto listed = [this](const guiGlyph* glyph)
    {
        const auto& list = m_Form->GetHitList();
        return std::find(list.begin(), list.end(), glyph) != list.end();
    };
    EXPECT_TRUE(listed(pieces[0]) && listed(pieces[1])) << "the words are drawn by the window";
    EXPECT_FALSE(listed(composition));
    m_Form->RemoveChild(box);
    for (const guiGlyph* gone : {pieces[0], pieces[1], composition})
        EXPECT_FALSE(listed(gone)) << "only compared, never followed";
}

TEST_F(DisplayBoxTest, AppendingKeepsTheLastLineAtTheBottom)
{
    const int lh = LineHeight();
    guiDisplayBox* box = AddDisplay(300, 3 * lh);
    guiCompositeGlyph* composition = box->GetComposition();
    guiTextParams params;
    params.font = "bar16m";
    for (int i = 1; i <= 6; ++i)
    {
        params.text = "line " + std::to_string(i) + "\n";
        box->AppendText(params, 0);
        m_Desk->Frame();
        const std::vector<Placed> words = Words(*composition);
        const int lastBottom = composition->GetPixelPosition().y + words.back().y + lh;
        if (i <= 3)
            EXPECT_EQ(composition->GetPixelPosition().y, 0) << i << " lines fit";
        else
            EXPECT_EQ(lastBottom, 3 * lh) << "line " << i << " ends at the box's bottom";
    }
    EXPECT_FLOAT_EQ(box->GetVerticalScroll(), 0.5f);

    // Without device objects the position stays.
    box->SetVerticalScroll(0.0f);
    box->ReleaseDeviceObjectsAll();
    params.text = "line 7\n";
    box->AppendText(params, 0);
    EXPECT_EQ(box->GetVerticalScroll(), 0.0f);
}

TEST_F(DisplayBoxTest, OneScrollStepMovesOneLine)
{
    const int lh = LineHeight();
    guiDisplayBox* box = AddDisplay(300, 3 * lh, "<text font bar16m>l1\nl2\nl3\nl4\nl5\nl6</text>");
    guiCompositeGlyph* composition = box->GetComposition();
    auto top = [composition] { return composition->ToPixels(composition->GetPosition()).y; };
    EXPECT_EQ(box->GetScrollDirections(), 1);
    EXPECT_EQ(top(), -3 * lh) << "the text set shows its end";
    const struct
    {
        int step;
        int y;
    } steps[] = {{1, -4 * lh}, {1, -5 * lh}, {1, -5 * lh}, {-1, -4 * lh}, {-1, -3 * lh}, {-1, -2 * lh},
                 {-1, -lh},    {-1, 0},      {-1, 0},      {1, -lh},      {0, -lh}};
    for (const auto& s : steps)
    {
        box->ScrollVertical(s.step);
        EXPECT_EQ(top(), s.y) << "step " << s.step;
        m_Desk->Frame();
    }
    EXPECT_FLOAT_EQ(box->GetVerticalScroll(), 0.2f);
    box->SetVerticalScroll(0.4f);
    EXPECT_EQ(top(), -2 * lh);

    // Without content nothing divides by its height.
    box->SetText("");
    EXPECT_EQ(composition->ScrollStep(1), 0.0f);
    EXPECT_EQ(composition->ScrollStep(-1), 0.0f);
    EXPECT_EQ(box->GetVerticalScroll(), 0.0f);
}

TEST_F(DisplayBoxTest, LayoutsRoundTripAndReadingReplacesTheStoredEntries)
{
    auto* box = new guiDisplayBox(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(200, 80));
    box->AddRef();
    box->SetName("news");
    box->SetText("<text font bar16m color .5 .5 .5 1 align 2>A file cannot\ncontain</text>"
                 "<image filename \"x y.tga\" align 1 alpha 1 filter 2>");
    box->GetComposition()->SetEntryLimit(5);
    box->GetComposition()->SetMargins({{1, 2, 3}, {4, 5, 6}});
    for (bool binary : {false, true})
    {
        SCOPED_TRACE(binary ? "binary" : "text");
        const std::string bytes = gui::FormatLayout(*box, binary);
        guiGlyph* read = gui::LoadLayout(m_Dir.Write(binary ? "b.kab" : "t.kab", bytes));
        ASSERT_NE(read, nullptr);
        auto* again = read->DynamicCast<guiDisplayBox>();
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(again->GetText(), box->GetText());
        EXPECT_EQ(again->GetComposition()->GetEntryLimit(), 5);
        EXPECT_EQ(again->GetComposition()->GetMargins().size(), 2u);
        EXPECT_EQ(again->GetComposition()->GetEntries().size(), 2u);
        EXPECT_EQ(gui::FormatLayout(*read, binary), bytes);
        read->AddRef();
        read->Release();
    }

    // The entries stored with the composition give way to the display text's.
    std::string text = gui::FormatLayout(*box, false);
    const std::size_t line = text.find("Display ");
    text.replace(line, text.find('\n', line) - line, "Display <text>other</text>");
    guiGlyph* read = gui::LoadLayout(m_Dir.Write("other.kab", text));
    ASSERT_NE(read, nullptr);
    auto* other = static_cast<guiDisplayBox*>(read);
    ASSERT_EQ(other->GetComposition()->GetEntries().size(), 1u);
    EXPECT_EQ(static_cast<const guiTextParams*>(other->GetComposition()->GetEntries()[0].params)->text,
              "other");
    read->AddRef();
    read->Release();

    // "Display" in the property sheet is the escaped mark-up.
    GuiParamTable sheet(16);
    box->GetProperties(sheet);
    ASSERT_NE(sheet.Find("Display"), nullptr);
    EXPECT_EQ(sheet.Find("Display")->text, gui::EscapeNewlines(box->GetText()) + "\n");
    GuiParamTable change(16);
    change.InsertMarkup("Display", "<text>one\\ntwo</text>");
    box->SetProperties(change);
    EXPECT_EQ(box->GetText(), "<text>one\ntwo</text>");
    box->Release();
}

TEST_F(DisplayBoxTest, DamagedCompositionBlocksAreReadWithinTheirBytes)
{
    guiCompositeGlyph source(new guiFlowCompositor());
    guiTextParams words;
    words.text = "kept";
    source.AddEntry(words, 0);
    std::ostringstream written;
    source.WriteText(written);
    std::string text = written.str();

    // An entry of a kind that makes no pieces is read and dropped; the next one still counts.
    guiTextBoxParams boxParams;
    boxParams.text = "dropped";
    std::ostringstream other;
    boxParams.WriteText(other);
    text.replace(text.find("Params 1"), 8,
                 "Params 2\nParam 3 0\n" + other.str().substr(0, other.str().size() - 1));
    {
        std::istringstream stream(text);
        guiCompositeGlyph read(stream);
        ASSERT_NE(read.GetCompositor(), nullptr);
        ASSERT_EQ(read.GetEntries().size(), 1u);
        EXPECT_EQ(static_cast<const guiTextParams*>(read.GetEntries()[0].params)->text, "kept");
    }
    source.AddEntry(boxParams, 0);
    EXPECT_EQ(source.GetEntries().size(), 1u) << "a text box's parameters make no entry";

    // Huge counts end with the bytes.
    for (const char* count : {"Params 2147483647", "Margins _Size 2147483647"})
    {
        std::string huge = written.str();
        const std::string key = std::string(count).substr(0, std::string(count).rfind(' '));
        const std::size_t at = huge.find(key);
        huge.replace(at, huge.find('\n', at) - at, count);
        std::istringstream stream(huge);
        guiCompositeGlyph read(stream);
        EXPECT_LE(read.GetEntries().size(), 1u) << count;
    }
    std::stringstream bytes;
    kaBinaryStream binary(bytes.rdbuf());
    binary.WriteBool(true).WriteInt32(1).WriteInt32(0).WriteInt32(0x7FFFFFFF).WriteInt32(1).WriteInt32(2);
    guiCompositeGlyph read(binary);
    EXPECT_EQ(read.GetMargins().size(), 0u);
    EXPECT_NE(read.GetCompositor(), nullptr);

    // An unknown compositor kind leaves none: nothing is laid out.
    std::string unknown = written.str();
    unknown.replace(unknown.find("\n1\n"), 3, "\n9\n");
    std::istringstream stream(unknown);
    guiCompositeGlyph noCompositor(stream);
    EXPECT_EQ(noCompositor.GetCompositor(), nullptr);
}

TEST_F(DisplayBoxTest, ALayoutWithoutACompositionGetsAFreshOne)
{
    auto* box = new guiDisplayBox(guiCoordPair::Pixels(0, 0), guiCoordPair::Pixels(100, 40));
    box->AddRef();
    std::string text = gui::FormatLayout(*box, false);
    box->Release();
    const std::size_t from = text.find("Composition true");
    const std::size_t to = text.find("PassMouse");
    text.replace(from, to - from, "Composition false\n");
    text.replace(text.find("Display "), 8, "Display <text font bar16m>still works</text>");
    guiGlyph* read = gui::LoadLayout(m_Dir.Write("bare.kab", text));
    ASSERT_NE(read, nullptr);
    auto* bare = static_cast<guiDisplayBox*>(read);
    ASSERT_NE(bare->GetComposition(), nullptr);
    EXPECT_EQ(bare->GetComposition()->GetCompositor()->GetKind(), guiFlowCompositor::kKind);
    m_Form->AddChild(bare);
    m_Desk->Frame();
    EXPECT_EQ(Texts(*bare->GetComposition()), "[still][works]");
}

} // namespace
