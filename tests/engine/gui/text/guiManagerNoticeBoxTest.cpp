#include "engine/gui/guiManager.h"

#include "engine/gui/guiText.h"
#include "engine/gui/guiTextBox.h"
#include "tests/support/engine/gui/TestWindow.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

namespace
{

using NoticeBoxTest = TextDeskTest;

TEST_F(NoticeBoxTest, TheForegroundHoldsAHiddenNoticeBoxInTheMiddleOfTheScreen)
{
    ASSERT_NE(m_Graphics->LoadFont(FontFile("barmeno24b.kaff"), "System"), nullptr);
    m_Desk->manager.CreateCursor();
    guiTextBox* box = m_Desk->manager.GetNoticeBox();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->GetParent(), m_Desk->manager.GetForegroundWindow());
    EXPECT_FALSE(box->IsVisible());
    const int width = int(m_Graphics->GetPresentParameters().BackBufferWidth);
    const int height = int(m_Graphics->GetPresentParameters().BackBufferHeight);
    ASSERT_GT(width, 0);
    EXPECT_EQ(Xy(box->GetPixelPosition()), std::make_pair(width / 2 - 100, height / 2 - 25));
    EXPECT_EQ(Xy(box->GetPixelSize()), std::make_pair(200, 50));
    const kaColor& color = box->GetInnerText()->GetColor();
    EXPECT_EQ(color.r, 1.0f);
    EXPECT_FLOAT_EQ(color.g, 0.7f);
    EXPECT_FLOAT_EQ(color.b, 0.26f);
    EXPECT_EQ(color.a, 1.0f);
    EXPECT_EQ(box->GetInnerText()->GetFontName(), "fg_dcn16");
    // That font is not loaded: the box draws in "System".
    ASSERT_NE(m_Graphics->GetFontTexture("System"), nullptr);
    EXPECT_EQ(box->GetInnerText()->GetFont(), m_Graphics->GetFontTexture("System"));

    box->SetText("Saved", 0);
    box->SetVisible(true);
    m_Desk->Frame();
    EXPECT_EQ(box->GetInnerText()->GetQuadCount(), 5);
    EXPECT_FALSE(box->IsCaretShown());
}

} // namespace
