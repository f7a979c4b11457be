#include "engine/gui/GuiParamTable.h"

#include "engine/core/kaColor.h"
#include "engine/gui/guiCoordPair.h"

#include <gtest/gtest.h>

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
