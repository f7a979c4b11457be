#include "engine/gui/guiRectangle.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiLines.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::Px;

namespace
{

class RectangleTest : public ::testing::Test
{
protected:
    guiRectangle* Make(float width, bool filled)
    {
        m_Rectangle = new guiRectangle(Px(20, 20), Px(120, 60));
        m_Rectangle->AddRef();
        m_Rectangle->SetBorderWidth(width);
        m_Rectangle->SetFilled(filled);
        m_Window.Frame(m_Rectangle);
        return m_Rectangle;
    }
    void TearDown() override
    {
        if (m_Rectangle != nullptr)
            m_Rectangle->Release();
    }

    guiRectangle* m_Rectangle = nullptr;
    TestWindow m_Window;
    testsupport::TempDir m_Dir;
};

TEST_F(RectangleTest, TheOutlineIsFourSegmentsInsideTheRectangle)
{
    guiRectangle* rectangle = Make(2.0f, true);
    guiLines* border = rectangle->GetBorder();
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->GetLineWidth(), 2.0f);
    const std::vector<guiCoordPair> want = {Px(0, 0),    Px(120, 0), Px(119, 0), Px(119, 60),
                                            Px(120, 60), Px(0, 60),  Px(1, 60),  Px(1, 0)};
    EXPECT_EQ(border->GetPoints(), want);
    EXPECT_EQ(rectangle->GetChildCount(), 2);
    EXPECT_TRUE(rectangle->GetFill()->IsVisible());
}

TEST_F(RectangleTest, WidthAndFilledDecideWhichPartsShow)
{
    struct Case
    {
        float width;
        bool filled;
        int children;
        bool border;
    } cases[] = {{0.0f, true, 1, false}, {3.0f, false, 2, true}, {-1.0f, true, 1, false}};
    for (const Case& c : cases)
    {
        guiRectangle* rectangle = Make(c.width, c.filled);
        EXPECT_EQ(rectangle->GetChildCount(), c.children) << c.width;
        EXPECT_EQ(rectangle->GetBorder() != nullptr, c.border) << c.width;
        ASSERT_NE(rectangle->GetFill(), nullptr);
        EXPECT_EQ(rectangle->GetFill()->IsVisible(), c.filled);
        rectangle->Release();
        m_Rectangle = nullptr;
    }
}

TEST_F(RectangleTest, PropertiesRebuildTheOutlineAtTheNextRenderAndTintTheFillAtOnce)
{
    guiRectangle* rectangle = Make(2.0f, true);
    GuiParamTable sheet(8);
    sheet.Insert("BorderWidth", "5", ka::any(5.0f));
    sheet.Insert("FillColor", "1 0 0 0.5", ka::any());
    rectangle->SetProperties(sheet);
    EXPECT_EQ(rectangle->GetFill()->GetColor().g, 0.0f);
    EXPECT_TRUE(rectangle->GetFill()->IsAlpha());
    EXPECT_EQ(rectangle->GetBorder()->GetLineWidth(), 2.0f);
    m_Window.Frame(rectangle);
    ASSERT_NE(rectangle->GetBorder(), nullptr);
    EXPECT_EQ(rectangle->GetBorder()->GetLineWidth(), 5.0f);
    EXPECT_EQ(rectangle->GetChildCount(), 2);
    EXPECT_EQ(rectangle->GetBorder()->GetPoints()[2], Px(117.5f, 0));

    GuiParamTable read(8);
    rectangle->GetProperties(read);
    std::vector<std::string> names;
    for (const GuiParamTable::Entry* entry : read.GetEntries())
        names.push_back(entry->name);
    EXPECT_EQ(std::vector<std::string>(names.begin(), names.begin() + 4),
              (std::vector<std::string>{"BorderColor", "BorderWidth", "FillColor", "Filled"}));
}

TEST_F(RectangleTest, FillAndBorderComeBackByIndexInBothForms)
{
    guiRectangle* rectangle = Make(2.0f, true);
    const std::string text = gui::FormatLayout(*rectangle, false);
    EXPECT_NE(text.find("Fill 0\nBorder 1\n"), std::string::npos);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*rectangle, binary, m_Dir);
        ASSERT_NE(read, nullptr);
        guiRectangle* copy = read->DynamicCast<guiRectangle>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetFill(), copy->GetChild(0));
        EXPECT_EQ(copy->GetBorder(), copy->GetChild(1));
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*rectangle, binary));
        read->Release();
    }
}

TEST_F(RectangleTest, AnIndexOutOfRangeOrOfTheWrongClassNamesNoPart)
{
    guiRectangle* rectangle = Make(2.0f, true);
    const std::string text = gui::FormatLayout(*rectangle, false);
    struct Case
    {
        const char* indices;
        bool fill, border;
    } cases[] = {{"Fill -1\nBorder -1\n", false, false},
                 {"Fill 1\nBorder 0\n", false, false},
                 {"Fill 7\nBorder 1\n", false, true},
                 {"Fill 0\nBorder -9\n", true, false}};
    for (const Case& c : cases)
    {
        std::string changed = text;
        changed.replace(changed.find("Fill 0\nBorder 1\n"), 16, c.indices);
        guiGlyph* read = gui::LoadLayout(m_Dir.Write("rectangle.kab", changed));
        ASSERT_NE(read, nullptr);
        guiRectangle* copy = read->DynamicCast<guiRectangle>();
        EXPECT_EQ(copy->GetFill() != nullptr, c.fill) << c.indices;
        EXPECT_EQ(copy->GetBorder() != nullptr, c.border) << c.indices;
        EXPECT_EQ(copy->GetChildCount(), 2);
        // Drawing after a wrong index neither mistakes one part for the other nor loses the outline.
        TestWindow window;
        window.Frame(copy);
        EXPECT_EQ(copy->GetBorder() != nullptr, true);
        read->Release();
    }
}

} // namespace
