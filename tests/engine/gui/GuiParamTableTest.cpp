#include "engine/gui/GuiParamTable.h"

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

TEST(GuiParamTable, NamesHashByTheirLengthAlone)
{
    const struct
    {
        const char* name;
        std::size_t hash; // before the modulo
    } cases[] = {{"", 0},     {"A", 0},     {"ID", 2},     {"Dim", 0},
                 {"Size", 6}, {"Notes", 4}, {"Layer3", 2}, {"Visible", 8}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(GuiParamTable::BucketOf(c.name, 1000), c.hash) << c.name;
        EXPECT_EQ(GuiParamTable::BucketOf(c.name, 5), c.hash % 5) << c.name;
    }
}

TEST(GuiParamTable, LookupsAreExactWithinASharedBucket)
{
    GuiParamTable table(7);
    table.Insert("Size", "1 0 2 0", {});
    table.Insert("Name", "ok button", {});
    table.Insert("Visible", "1", true);
    table.Insert("Visible", "0", false);
    ASSERT_EQ(GuiParamTable::BucketOf("Size", 7), GuiParamTable::BucketOf("Name", 7));
    ASSERT_NE(table.Find("Name"), nullptr);
    EXPECT_EQ(table.Find("Name")->text, "ok button");
    EXPECT_EQ(table.Find("name"), nullptr);
    EXPECT_EQ(table.Find("Nam"), nullptr);
    EXPECT_EQ(table.Find("Visible")->text, "1");
    EXPECT_TRUE(ka::any_cast<bool>(table.Find("Visible")->value));
    EXPECT_EQ(table.GetEntryCount(), 4u);
    std::vector<uint32_t> sequences;
    for (const auto* entry : table.GetEntries())
        sequences.push_back(entry->sequence);
    EXPECT_EQ(sequences, (std::vector<uint32_t>{1, 2, 3, 4}));

    GuiParamTable none(0);
    none.Insert("Size", "1", {});
    EXPECT_EQ(none.Find("Size"), nullptr);
    EXPECT_EQ(none.GetEntryCount(), 0u);
    EXPECT_TRUE(none.GetEntries().empty());
}

TEST(GuiParamTable, ValueKindsWithTheirTextForms)
{
    GuiParamTable table(3);
    table.InsertInt("Int", -12);
    table.InsertFloat("Float", 0.1f);
    table.InsertBool("Bool", false);
    table.InsertString("String", "two words");
    table.InsertColor("Color", kaColor::kaColorClamped(1.0f, 0.5f, 0.25f, 2.0f));
    table.InsertCoordPair("Pair", {guiCoord::Relative(0.5f), guiCoord::Pixels(-3)});
    table.InsertFileName("Filename", "ui\\a b.bmp", "*.bmp; *.tga");
    table.InsertFileName("LoadCell", "", "*.kab");
    table.InsertAlignment("Alignment", 18);
    table.InsertChildIndex("Rollover", 2);
    table.InsertFontName("Font", "bar10m");
    table.InsertMarkup("Display", "<b>hi</b>");
    const struct
    {
        const char* name;
        const char* text;
    } texts[] = {
        {"Int", "-12"},
        {"Float", "0.1"},
        {"Bool", "0"},
        {"String", "two words"},
        {"Color", "1 0.5 0.25 1"},
        {"Pair", "0.5 1 -3 0"},
        {"Filename", "ui\\a b.bmp\n*.bmp; *.tga\n"},
        {"LoadCell", "\n*.kab\n"},
        {"Alignment", "18"},
        {"Rollover", "2"},
        {"Font", "bar10m\n"},
        {"Display", "<b>hi</b>\n"},
    };
    for (const auto& t : texts)
    {
        ASSERT_NE(table.Find(t.name), nullptr) << t.name;
        EXPECT_EQ(table.Find(t.name)->text, t.text) << t.name;
    }

    // The five kinds are types of their own, never plain ints or strings.
    const ka::any& file = table.Find("Filename")->value;
    EXPECT_EQ(ka::any_cast<guiFileNameValue>(file).filter, "*.bmp; *.tga");
    EXPECT_THROW(ka::any_cast<std::string>(file), ka::bad_any_cast);
    EXPECT_EQ(ka::any_cast<guiAlignmentValue>(table.Find("Alignment")->value).flags, 18);
    EXPECT_THROW(ka::any_cast<int32_t>(table.Find("Alignment")->value), ka::bad_any_cast);
    EXPECT_EQ(ka::any_cast<guiChildIndexValue>(table.Find("Rollover")->value).index, 2);
    EXPECT_THROW(ka::any_cast<guiAlignmentValue>(table.Find("Rollover")->value), ka::bad_any_cast);
    EXPECT_EQ(ka::any_cast<guiFontNameValue>(table.Find("Font")->value).name, "bar10m");
    EXPECT_EQ(ka::any_cast<guiMarkupValue>(table.Find("Display")->value).text, "<b>hi</b>");
}

namespace
{

// A widget class that takes a "Font" property, with the font its text is drawn in.
struct FontTaker
{
    const char* name;
    std::function<guiGlyph*()> make;
    std::function<std::string(guiGlyph&)> drawnFont;
};

std::string FontOfNewRow(guiGlyph& glyph)
{
    auto* list = glyph.DynamicCast<guiListBox>();
    list->AddRow("row", ka::any());
    const guiText* row = list->GetCell(list->GetUsedRows() - 1, 0)->DynamicCast<guiText>();
    return row != nullptr ? row->GetFontName() : "no row";
}

} // namespace

TEST(GuiParamTable, FontEntriesGiveTheBareNameToEveryClassThatTakesOne)
{
    using testsupport::Px;
    const FontTaker takers[] = {
        {"text", [] { return new guiText("System", "abc", Px(0, 0)); },
         [](guiGlyph& glyph) { return glyph.DynamicCast<guiText>()->GetFontName(); }},
        {"text box", [] { return new guiTextBox(Px(0, 0), Px(80, 20)); },
         [](guiGlyph& glyph) { return glyph.DynamicCast<guiTextBox>()->GetInnerText()->GetFontName(); }},
        {"list box", [] { return new guiListBox(Px(0, 0), Px(80, 40)); }, FontOfNewRow},
    };
    testsupport::TempDir dir;
    for (const FontTaker& taker : takers)
        for (const char* value : {"bar16m", "bar16m\n", "bar16m\r\n", "bar16m  ", "bar16m \t\r\n"})
        {
            const std::string label = std::string(taker.name) + " given \"" + value + "\"";
            guiGlyph* glyph = taker.make();
            glyph->AddRef();
            GuiParamTable change(4);
            change.Insert("Font", value, ka::any());
            glyph->SetProperties(change);
            EXPECT_EQ(taker.drawnFont(*glyph), "bar16m") << label;

            // The sheet shows the name and one line end, and applying it again changes nothing.
            GuiParamTable sheet(16);
            glyph->GetProperties(sheet);
            ASSERT_NE(sheet.Find("Font"), nullptr) << label;
            EXPECT_EQ(sheet.Find("Font")->text, "bar16m\n") << label;
            glyph->SetProperties(sheet);
            EXPECT_EQ(taker.drawnFont(*glyph), "bar16m") << label;

            // Saved and loaded back: the font line holds the bare name and no empty line follows.
            const std::string layout = gui::FormatLayout(*glyph, false);
            EXPECT_EQ(layout.find("\n\n"), std::string::npos) << label << "\n" << layout;
            EXPECT_NE(layout.find("_Font bar16m\n"), std::string::npos) << label << "\n" << layout;
            guiGlyph* read = testsupport::RoundTrip(*glyph, false, dir);
            ASSERT_NE(read, nullptr) << label;
            EXPECT_EQ(taker.drawnFont(*read), "bar16m") << label;
            read->Release();
            glyph->Release();
        }
}

TEST(GuiParamTable, FirstLinesDropTheirLineEnd)
{
    const std::pair<const char*, const char*> cases[] = {{"", ""},
                                                         {"a b.tga", "a b.tga"},
                                                         {"a b.tga\n*.tga\n", "a b.tga"},
                                                         {"a.kab\r\n*.kab\r\n", "a.kab"},
                                                         {"\n*.kab\n", ""},
                                                         {"name \n", "name "}};
    for (const auto& [text, line] : cases)
        EXPECT_EQ(GuiParamTable::FirstLine(text), line) << text;
    EXPECT_EQ(GuiParamTable::FontName("  \r\n"), "");
    EXPECT_EQ(GuiParamTable::FontName("bar 16\n"), "bar 16") << "blanks inside a name stay";
}
