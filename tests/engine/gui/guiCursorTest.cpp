#include "engine/gui/guiCursor.h"

#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiWidgetFactory.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(Cursor, TheHotSpotLandsOnThePointerAndIsSavedAsTheOffset)
{
    testsupport::TempDir dir;
    guiCursor cursor("ui/none.tga", 8, 4);
    cursor.SetName("pointer");
    cursor.SetPosition(guiCoordPair::Pixels(100, 100));
    EXPECT_EQ(Xy(cursor.GetPixelPosition()), std::make_pair(92, 96));
    EXPECT_NE(gui::FormatLayout(cursor, false).find("\nFilename ui/none.tga\nHotspot -8 -4\n"),
              std::string::npos);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(cursor, binary, dir);
        ASSERT_NE(read, nullptr);
        guiCursor* copy = read->DynamicCast<guiCursor>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetName(), "pointer");
        EXPECT_EQ(copy->GetFilename(), "ui/none.tga");
        EXPECT_EQ(copy->GetPosition(), guiCoordPair::Pixels(92, 96));
        copy->SetPosition(guiCoordPair::Pixels(10, 10));
        copy->SetPosition(guiCoordPair::Pixels(100, 100));
        EXPECT_EQ(Xy(copy->GetPixelPosition()), std::make_pair(92, 96));
        read->Release();
    }
}

TEST(Cursor, AHiddenCursorStillFollowsThePointer)
{
    guiCursor* cursor = new guiCursor("ui/none.tga", 2, 3);
    cursor->AddRef();
    cursor->SetVisible(false);
    cursor->SetPosition(guiCoordPair::Pixels(50, 60));
    EXPECT_EQ(Xy(cursor->GetPixelPosition()), std::make_pair(48, 57));
    TestWindow window;
    window.Frame(cursor);
    cursor->SetOwnerWindow(nullptr);
    EXPECT_TRUE(window.hitList.empty());
    cursor->Release();
}

TEST(Cursor, APictureThatDoesNotLoadLeavesAnUntexturedImageOfItsSize)
{
    testsupport::TempDir dir;
    guiGlyph* made =
        GetWidgetFactoriesById().at(4)->Create(guiCoordPair::Pixels(5, 5), guiCoordPair::Pixels(9, 9));
    guiCursor* cursor = made->DynamicCast<guiCursor>();
    ASSERT_NE(cursor, nullptr);
    EXPECT_EQ(cursor->GetFilename(), "");
    ASSERT_NE(cursor->GetImage(), nullptr);
    EXPECT_EQ(cursor->GetImage()->GetTexture(), nullptr);
    EXPECT_TRUE(cursor->GetImage()->IsAlpha());
    EXPECT_TRUE(cursor->GetImage()->IsAlphaHitTesting());
    EXPECT_EQ(cursor->GetSize(), cursor->GetImage()->GetSize());
    // An empty name written as a line of its own reads back empty, and the hot spot after it whole.
    cursor->SetName("plain");
    guiGlyph* read = testsupport::RoundTrip(*cursor, false, dir);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetName(), "plain");
    EXPECT_EQ(gui::FormatLayout(*read, false), gui::FormatLayout(*cursor, false));
    read->Release();
    made->Release();
}

} // namespace
