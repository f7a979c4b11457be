#include "engine/gui/guiScroller.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiBackground.h"
#include "engine/gui/guiImage.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPlaceholder.h"
#include "engine/gui/guiScrollBar.h"
#include "engine/gui/guiScrollerParams.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/PixelCoords.h"
#include "tests/support/engine/gui/TestScrollable.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

using testsupport::Px;
using testsupport::Values;

namespace
{

// Without pictures the parts have no size: arrows of 16 by 16 and a thumb 8 long, as the sample
// pictures give them.
void SizeParts(guiScrollBar* bar)
{
    for (guiButton* arrow : {bar->GetLess(), bar->GetMore()})
        arrow->SetSize(Px(16, 16));
    bar->GetSlider()->GetThumb()->SetSize(bar->IsVertical() ? Px(16, 8) : Px(8, 16));
    bar->SetDirty(true);
}

TEST(ScrollBar, ThePartsAreLaidOutAlongTheBar)
{
    struct Case
    {
        int32_t orientation;
        std::pair<float, float> size, more, backAt, backSize, from, to;
        const char* lessPicture;
    } cases[] = {
        {1, {16, 200}, {0, 184}, {0, 16}, {16, 168}, {0, 4}, {0, 164}, "ui/common/UI_ScrollUpArrow_N.bmp"},
        {2, {150, 16}, {134, 0}, {16, 0}, {118, 16}, {4, 0}, {114, 0}, "ui/common/UI_ScrollLeftArrow_N.bmp"},
    };
    for (const Case& c : cases)
    {
        testsupport::GuiDesk desk;
        guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
        auto* bar = new guiScrollBar(c.orientation, Px(c.size.first, c.size.second));
        window->AddChild(bar);
        SizeParts(bar);
        desk.Frame();
        EXPECT_EQ(bar->GetLess()->GetName(), "Less");
        EXPECT_EQ(bar->GetMore()->GetName(), "Down");
        EXPECT_EQ(bar->GetLess()->GetStateImage(0)->GetFilename(), c.lessPicture);
        EXPECT_EQ(bar->GetLess()->GetRepeatRate(), 0.05f);
        EXPECT_EQ(bar->GetSlider()->IsHorizontal(), c.orientation == 2);
        EXPECT_EQ(Values(bar->GetLess()->GetPosition()), std::make_pair(0.0f, 0.0f));
        EXPECT_EQ(Values(bar->GetMore()->GetPosition()), c.more) << c.orientation;
        EXPECT_EQ(Values(bar->GetBack()->GetPosition()), c.backAt) << c.orientation;
        EXPECT_EQ(Values(bar->GetBack()->GetSize()), c.backSize) << c.orientation;
        EXPECT_EQ(Values(bar->GetSlider()->GetFrom()), c.from) << c.orientation;
        EXPECT_EQ(Values(bar->GetSlider()->GetTo()), c.to) << c.orientation;
        // The back keeps its place over frames, with the slider inside it.
        desk.Frame();
        EXPECT_EQ(Values(bar->GetBack()->GetPosition()), c.backAt) << c.orientation;
        bar->SetVisible(false);
        EXPECT_FALSE(bar->GetLess()->IsVisible());
        EXPECT_FALSE(bar->GetBack()->IsVisible());
        bar->SetVisible(true);
        EXPECT_TRUE(bar->GetMore()->IsVisible());
    }
}

TEST(ScrollBar, AnArrowStepsOnReleaseAndRepeatsWhileHeld)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    auto* bar = new guiScrollBar(1, Px(16, 200));
    bar->SetPosition(Px(300, 100));
    int steps = 0;
    bar->SetOnLess(
        [&steps](int)
        {
            ++steps;
            return true;
        });
    window->AddChild(bar);
    SizeParts(bar);
    for (guiButton* arrow : {bar->GetLess(), bar->GetMore()})
        arrow->SetClickSound(false);
    desk.Frame();
    desk.Click(308, 108);
    EXPECT_EQ(steps, 1);
    // Pressed, then released away from it: no step.
    desk.Button(0, true);
    desk.MoveTo(400, 400);
    desk.Button(0, false);
    EXPECT_EQ(steps, 1);

    struct Case
    {
        std::vector<float> frames;
        int whileHeld;
    } cases[] = {{{0.39f}, 0}, {{0.42f}, 0}, {{0.42f, 0.05f}, 1}, {{0.42f, 0.05f, 0.05f, 0.05f}, 3}};
    for (const Case& c : cases)
    {
        steps = 0;
        desk.MoveTo(308, 108);
        desk.manager.Update(0.0f);
        desk.Button(0, true);
        desk.manager.Update(0.0f);
        for (float dt : c.frames)
        {
            desk.manager.Update(dt);
            desk.Frame(0.0f);
        }
        EXPECT_EQ(steps, c.whileHeld) << c.frames.size();
        desk.Button(0, false);
        EXPECT_EQ(steps, c.whileHeld + 1) << c.frames.size();
        desk.MoveTo(400, 400);
    }
}

TEST(ScrollBar, WrittenAndReadItFindsItsPartsAndRefusesOthers)
{
    testsupport::TempDir dir;
    auto* bar = new guiScrollBar(2, Px(150, 16));
    bar->AddRef();
    const std::string text = gui::FormatLayout(*bar, false);
    const std::string refs = "Orientation 2\nLess true 0\nMore true 1\nSlider true 2\n";
    ASSERT_NE(text.find(refs), std::string::npos) << text;
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*bar, binary, dir);
        ASSERT_NE(read, nullptr);
        guiScrollBar* copy = read->DynamicCast<guiScrollBar>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetLess(), copy->GetChild(0));
        EXPECT_EQ(copy->GetMore(), copy->GetChild(1));
        EXPECT_EQ(copy->GetBack(), copy->GetChild(2));
        ASSERT_NE(copy->GetSlider(), nullptr);
        EXPECT_EQ(copy->GetSlider(), copy->GetBack()->GetComponent());
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*bar, binary));
        read->Release();
    }
    struct Case
    {
        const char* refs;
        bool less, more, back;
    } cases[] = {
        {"Orientation 2\nLess true 2\nMore true 0\nSlider true 1\n", false, true, false},
        {"Orientation 2\nLess false\nMore true 7\nSlider true 2\n", false, false, true},
    };
    for (const Case& c : cases)
    {
        std::string changed = text;
        changed.replace(changed.find(refs), refs.size(), c.refs);
        guiGlyph* read = gui::LoadLayout(dir.Write("bad.kab", changed));
        ASSERT_NE(read, nullptr);
        guiScrollBar* copy = read->DynamicCast<guiScrollBar>();
        EXPECT_EQ(copy->GetLess() != nullptr, c.less) << c.refs;
        EXPECT_EQ(copy->GetMore() != nullptr, c.more) << c.refs;
        EXPECT_EQ(copy->GetBack() != nullptr, c.back) << c.refs;
        testsupport::GuiDesk desk;
        desk.AddWindow("w", 0, 0, 640, 480)->AddChild(read);
        desk.Frame();
    }
    // The sheet's orientation builds the parts anew.
    GuiParamTable sheet(16);
    sheet.Insert("Orientation", "1", ka::any());
    bar->SetProperties(sheet);
    EXPECT_EQ(bar->GetChildCount(), 3);
    EXPECT_EQ(bar->GetMore()->GetStateImage(0)->GetFilename(), "ui/common/UI_ScrollDownArrow_N.bmp");
    EXPECT_EQ(bar->GetMore()->GetStateImage(1)->GetFilename(), "ui/common/UI_ScrollDownArrow_R.bmp");
    EXPECT_EQ(bar->GetMore()->GetStateImage(2)->GetFilename(), "ui/common/UI_ScrollDownArrow_C.bmp");
    EXPECT_EQ(bar->GetBack()->GetImage()->GetFilename(), "ui/common/UI_ScrollBack.bmp");
    EXPECT_EQ(bar->GetSlider()->GetThumb()->GetFilename(), "ui/common/UI_ScrollSlider_N.bmp");
    bar->Release();
}

// A scroller of 200 by 100 at 50, 50 around a list of rows 10 pixels high.
class ScrollerTest : public ::testing::Test
{
protected:
    void Build(int32_t orientations)
    {
        m_Window = m_Desk.AddWindow("w", 0, 0, 640, 480);
        m_List = new TestScrollable(Px(0, 0), Px(200, 100));
        m_List->rows = 5;
        m_Scroller = new guiScroller(Px(0, 0), Px(200, 100));
        m_Scroller->SetOrientations(orientations);
        m_Scroller->SetChild(m_List);
        m_Scroller->SetPosition(Px(50, 50));
        for (guiScrollBar* bar : {m_Scroller->GetVerticalBar(), m_Scroller->GetHorizontalBar()})
            if (bar != nullptr)
            {
                SizeParts(bar);
                for (guiButton* arrow : {bar->GetLess(), bar->GetMore()})
                    arrow->SetClickSound(false);
            }
        m_Window->AddChild(m_Scroller);
        m_Desk.Frame();
    }
    bool Key(uint8_t key, bool virtualKey)
    {
        guiMsgKey message;
        message.key = key;
        message.virtualKey = virtualKey ? 1 : 0;
        return m_Scroller->OnKey(message);
    }

    testsupport::GuiDesk m_Desk;
    guiWindow* m_Window = nullptr;
    TestScrollable* m_List = nullptr;
    guiScroller* m_Scroller = nullptr;
};

TEST_F(ScrollerTest, TheBarShowsOnlyWhileTheContentNeedsIt)
{
    Build(1);
    guiScrollBar* bar = m_Scroller->GetVerticalBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(m_Scroller->GetHorizontalBar(), nullptr);
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(m_List->GetVerticalScroll(), 0.0f);
    EXPECT_EQ(Values(m_List->GetSize()), std::make_pair(200.0f, 100.0f));
    EXPECT_EQ(m_Scroller->GetScrollable(), m_List);

    m_List->rows = 30;
    m_Desk.Frame();
    EXPECT_TRUE(bar->IsVisible());
    EXPECT_EQ(Values(bar->GetPosition()), std::make_pair(184.0f, 0.0f));
    EXPECT_EQ(Values(m_List->GetSize()), std::make_pair(184.0f, 100.0f));
    m_Desk.Frame();
    EXPECT_EQ(Xy(bar->GetDrawingOrigin()), std::make_pair(50, 50));

    // Arrows: the more one at the bar's foot, 50 + 100 - 16.
    m_Desk.Click(240, 140);
    EXPECT_NEAR(m_List->GetVerticalScroll(), 0.05f, 1e-6f);
    m_Desk.Click(240, 55);
    EXPECT_EQ(m_List->GetVerticalScroll(), 0.0f);

    m_Scroller->SetVerticalPosition(0.5f);
    m_List->rows = 5;
    m_Desk.Frame();
    EXPECT_FALSE(bar->IsVisible());
    EXPECT_EQ(m_List->GetVerticalScroll(), 0.0f);
    EXPECT_EQ(Values(m_List->GetSize()), std::make_pair(200.0f, 100.0f));
}

TEST_F(ScrollerTest, DraggingTheThumbSetsTheFraction)
{
    Build(1);
    m_List->rows = 30;
    m_Desk.Frame();
    m_Desk.Frame();
    guiSlider* slider = m_Scroller->GetVerticalBar()->GetSlider();
    // The thumb's centre at value 0: the track starts 4 into the back, which starts under the arrow.
    m_Desk.MoveTo(242, 50 + 16 + 4);
    m_Desk.Button(0, true);
    ASSERT_TRUE(slider->IsDragging());
    m_Desk.MoveTo(242, 50 + 16 + 4 + 30);
    EXPECT_NEAR(m_List->GetVerticalScroll(), 0.5f, 1e-6f);
    EXPECT_EQ(slider->GetThumb()->GetPosition().y.value, 30.0f);
    m_Desk.Button(0, false);
    m_Desk.Frame();
    EXPECT_EQ(slider->GetThumb()->GetPosition().y.value, 30.0f);
}

TEST_F(ScrollerTest, BothBarsShareTheCornerWhenBothAreNeeded)
{
    Build(3);
    m_List->rows = 30;
    m_List->lineWidth = 500;
    m_Desk.Frame();
    guiScrollBar* vertical = m_Scroller->GetVerticalBar();
    guiScrollBar* horizontal = m_Scroller->GetHorizontalBar();
    ASSERT_NE(horizontal, nullptr);
    EXPECT_TRUE(vertical->IsVisible());
    EXPECT_TRUE(horizontal->IsVisible());
    EXPECT_EQ(Values(vertical->GetSize()), std::make_pair(16.0f, 84.0f));
    EXPECT_EQ(Values(horizontal->GetPosition()), std::make_pair(0.0f, 84.0f));
    EXPECT_EQ(Values(horizontal->GetSize()), std::make_pair(184.0f, 16.0f));
    EXPECT_EQ(Values(m_List->GetSize()), std::make_pair(184.0f, 84.0f));

    // Once the lines fit, the vertical bar runs the whole side again.
    m_List->lineWidth = 10;
    m_Desk.Frame();
    EXPECT_FALSE(horizontal->IsVisible());
    EXPECT_EQ(vertical->GetPixelSize().y, 100);
    EXPECT_EQ(Values(m_List->GetSize()).second, 100.0f);
}

TEST_F(ScrollerTest, OnlyVirtualArrowKeysScrollAndEveryKeyIsTaken)
{
    Build(3);
    m_List->rows = 30;
    m_List->lineWidth = 500;
    m_Desk.Frame();
    struct Case
    {
        uint8_t key;
        bool virtualKey;
        int vertical;
        float horizontal;
    } cases[] = {{40, true, 1, 0.0f},  {39, true, 1, 0.25f}, {37, false, 1, 0.25f}, {40, false, 1, 0.25f},
                 {38, true, 0, 0.25f}, {37, true, 0, 0.0f},  {'a', false, 0, 0.0f}, {13, true, 0, 0.0f}};
    // Eight of the thirty rows show above the horizontal bar: a step is one of the 22 hidden rows.
    const float row = 1.0f / 22.0f;
    for (const Case& c : cases)
    {
        EXPECT_TRUE(Key(c.key, c.virtualKey)) << int(c.key);
        EXPECT_NEAR(m_List->GetVerticalScroll(), c.vertical * row, 1e-6f) << int(c.key) << c.virtualKey;
        EXPECT_NEAR(m_List->GetHorizontalScroll(), c.horizontal, 1e-6f) << int(c.key) << c.virtualKey;
    }
}

TEST(Scroller, AroundAWidgetThatDoesNotScrollItShowsNothingAndScrollsNothing)
{
    testsupport::GuiDesk desk;
    guiWindow* window = desk.AddWindow("w", 0, 0, 640, 480);
    auto* scroller = new guiScroller(Px(0, 0), Px(200, 100));
    auto* plain = new guiPlaceholder(Px(10, 10), Px(50, 50));
    EXPECT_FALSE(scroller->AcceptsChild(plain));
    auto* list = new TestScrollable(Px(0, 0), Px(1, 1));
    list->AddRef();
    EXPECT_TRUE(scroller->AcceptsChild(list));
    list->Release();
    scroller->SetChild(plain);
    window->AddChild(scroller);
    desk.Frame();
    EXPECT_EQ(scroller->GetScrollable(), nullptr);
    EXPECT_FALSE(scroller->GetVerticalBar()->IsVisible());
    EXPECT_TRUE(scroller->ScrollDown());
    EXPECT_TRUE(scroller->SetVerticalPosition(0.7f));
    guiMsgKey down;
    down.key = 40;
    down.virtualKey = 1;
    EXPECT_TRUE(scroller->OnKey(down));
    desk.Frame();
}

TEST(Scroller, WrittenReadAndWrittenAgainKeepsItsBytesAndItsBars)
{
    testsupport::TempDir dir;
    auto* list = new TestScrollable(Px(0, 0), Px(120, 60));
    list->rows = 3;
    guiScrollerParams params;
    params.orientations = 3;
    params.position = Px(30, 40);
    auto* scroller = new guiScroller(list, params);
    scroller->AddRef();
    EXPECT_EQ(Values(scroller->GetPosition()), std::make_pair(30.0f, 40.0f));
    EXPECT_EQ(scroller->GetScrollable(), list);
    const std::string text = gui::FormatLayout(*scroller, false);
    EXPECT_NE(
        text.find("Orientations 3\nVertical true 0\nHorizontal true 1\nWidget true\n[TestScrollable]\n"),
        std::string::npos)
        << text;
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(*scroller, binary, dir);
        ASSERT_NE(read, nullptr);
        guiScroller* copy = read->DynamicCast<guiScroller>();
        ASSERT_NE(copy, nullptr);
        EXPECT_EQ(copy->GetVerticalBar(), copy->GetChild(0));
        EXPECT_EQ(copy->GetHorizontalBar(), copy->GetChild(1));
        ASSERT_NE(copy->GetScrollable(), nullptr);
        EXPECT_EQ(copy->GetScrollable(), copy->GetComponent());
        EXPECT_EQ(gui::FormatLayout(*copy, binary), gui::FormatLayout(*scroller, binary));
        read->Release();
    }
    // A bar reference to the other bar's place, or to nothing, is no bar.
    std::string changed = text;
    changed.replace(changed.find("Horizontal true 1\n"), 18, "Horizontal true 0\n");
    guiGlyph* read = gui::LoadLayout(dir.Write("same.kab", changed));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->DynamicCast<guiScroller>()->GetHorizontalBar(), nullptr);
    read->Release();

    GuiParamTable sheet(16);
    sheet.Insert("Orientations", "2", ka::any());
    scroller->SetProperties(sheet);
    EXPECT_EQ(scroller->GetVerticalBar(), nullptr);
    ASSERT_NE(scroller->GetHorizontalBar(), nullptr);
    EXPECT_EQ(scroller->GetChildCount(), 1);
    scroller->Release();
}

TEST(ScrollerParams, TheTextFormHoldsTheResolvedNamesAndTheBinaryTheGivenOnes)
{
    guiScrollerParams params;
    params.size = Px(100, 50);
    params.images.slider = "ui/own/Thumb";
    std::ostringstream text;
    params.WriteText(text);
    EXPECT_EQ(text.str().substr(0, text.str().find("_ForeColor")),
              "_Size 100 0 50 0\n_Bitmap\nui/common/UI_ScrollUpArrow\nui/common/UI_ScrollDownArrow\n"
              "ui/own/Thumb\nui/common/UI_ScrollBack\n");
    guiScrollerParams read;
    std::istringstream in(text.str());
    read.ReadText(in);
    EXPECT_EQ(Values(read.size), std::make_pair(100.0f, 50.0f));
    EXPECT_EQ(read.images.GetSlider(), "ui/own/Thumb");
    EXPECT_EQ(read.images.GetBack(), "ui/common/UI_ScrollBack");
    std::ostringstream again;
    read.WriteText(again);
    EXPECT_EQ(again.str(), text.str());
    guiCreateParams* made = CreateParams(guiCreateParams::kScrollerParams);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetWidgetClass(), guiCreateParams::kScrollerParams);
    EXPECT_EQ(made->CreateWidget(), nullptr);
    delete made;
}

} // namespace
