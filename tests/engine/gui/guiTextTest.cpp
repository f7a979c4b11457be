#include "engine/gui/guiText.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiTextParams.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace
{

TEST(TextTest, FontTextAndColourSurviveBothFormsWithLineEnds)
{
    testsupport::TempDir dir;
    guiTextParams params;
    params.font = "bar12m";
    params.text = "first line\n\nthird, after an empty one";
    params.foreColor = kaColor::kaColorClamped(1.0f, 0.7f, 0.26f, 1.0f);
    params.position = guiCoordPair::Pixels(12, 34);
    guiText text(params);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(text, binary, dir);
        ASSERT_NE(read, nullptr) << binary;
        guiText* copy = read->DynamicCast<guiText>();
        ASSERT_NE(copy, nullptr) << binary;
        EXPECT_EQ(copy->GetText(), params.text) << binary;
        EXPECT_EQ(copy->GetFontName(), "bar12m") << binary;
        EXPECT_EQ(copy->GetColor().g, text.GetColor().g) << binary;
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(text, binary));
        read->Release();
    }
    // The text block: the font, then the text on one line with its line ends escaped.
    std::ostringstream block;
    params.WriteText(block);
    EXPECT_EQ(block.str().rfind("_Font bar12m\n_Text first line\\n\\nthird, after an empty one\n", 0), 0u);
}

TEST(TextTest, ThePropertySheetSetsTextFontAndColourButNotMaxChars)
{
    guiText text("bar10m", "", guiCoordPair::Pixels(0, 0));
    GuiParamTable sheet(16);
    text.GetProperties(sheet);
    ASSERT_NE(sheet.Find("MaxChars"), nullptr);
    GuiParamTable changes(16);
    changes.InsertInt("MaxChars", 4);
    changes.InsertString("Text", std::string(50, 'x'));
    changes.InsertFontName("Font", "bar24b");
    text.SetProperties(changes);
    EXPECT_EQ(text.GetText(), std::string(50, 'x'));
    EXPECT_EQ(text.GetFontName(), "bar24b");
    // Grown by the text, never set from the sheet.
    EXPECT_EQ(text.GetMaxChars(), 100);
}

} // namespace
