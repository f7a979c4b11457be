#include "engine/gui/guiWidget.h"

#include "engine/gui/GuiParamTable.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiPlaceholder.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"
#include "tests/support/engine/gui/TestWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

// A placeholder that counts the input that reaches it.
class CountingWidget : public guiPlaceholder
{
public:
    CountingWidget(float x, float y, float w, float h)
        : guiPlaceholder(guiCoordPair::Pixels(x, y), guiCoordPair::Pixels(w, h))
    {
    }
    bool OnMouseMove(const guiMsgMouse& message) override
    {
        ++moves;
        return guiPlaceholder::OnMouseMove(message);
    }
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override
    {
        ++downs;
        return guiPlaceholder::OnMouseDown(button, data);
    }
    bool OnKey(const guiMsgKey& message) override
    {
        ++keys;
        return guiPlaceholder::OnKey(message);
    }
    int moves = 0;
    int downs = 0;
    int keys = 0;
};

guiMsgMouse MouseAt(int x, int y)
{
    guiMsgMouse message;
    message.data.x = x;
    message.data.y = y;
    return message;
}

class WidgetTest : public ::testing::Test
{
protected:
    // A parent widget of 100 by 100 at the origin holding a child of 100 by 100 at 50, 50: the child's
    // hit rectangle is the part inside its parent.
    void SetUp() override
    {
        m_Parent = new CountingWidget(0, 0, 100, 100);
        m_Parent->AddRef();
        m_Child = new CountingWidget(50, 50, 100, 100);
        m_Parent->AddChild(m_Child);
        m_Window.Frame(m_Parent);
    }
    void TearDown() override { m_Parent->Release(); }

    TestWindow m_Window;
    CountingWidget* m_Parent = nullptr;
    CountingWidget* m_Child = nullptr;
};

TEST_F(WidgetTest, TheHitRectangleIsTheClippedPartAndHiddenOrExcludedWidgetsNeverHit)
{
    const platform::Rect& rect = m_Child->GetHitRect();
    EXPECT_EQ((std::vector<int>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<int>{50, 50, 100, 100}));
    struct Case
    {
        int x, y;
        bool hidden, excluded, hits;
    } cases[] = {
        {60, 60, false, false, true},  {99, 99, false, false, true}, {120, 120, false, false, false},
        {40, 60, false, false, false}, {60, 60, true, false, false}, {60, 60, false, true, false},
    };
    for (const Case& c : cases)
    {
        m_Child->SetVisible(!c.hidden);
        m_Child->SetExcludedFromHitList(c.excluded);
        guiGlyph* hit = nullptr;
        EXPECT_EQ(m_Child->HitTest(kaPoint(c.x, c.y), hit), c.hits) << c.x << "," << c.y;
        EXPECT_EQ(hit, c.hits ? m_Child : nullptr);
    }
}

TEST_F(WidgetTest, UnhandledMouseInputGoesUpOnlyWithPassMouseAndOverTheParent)
{
    struct Case
    {
        bool pass;
        int x, y;
        int parentMoves;
    } cases[] = {{true, 60, 60, 1}, {false, 60, 60, 0}, {true, 120, 120, 0}};
    for (const Case& c : cases)
    {
        m_Parent->moves = 0;
        m_Parent->downs = 0;
        m_Child->SetPassMouse(c.pass);
        EXPECT_TRUE(m_Child->OnMouseMove(MouseAt(c.x, c.y)));
        EXPECT_TRUE(m_Child->OnMouseDown(0, MouseAt(c.x, c.y).data));
        EXPECT_EQ(m_Parent->moves, c.parentMoves) << c.pass << " " << c.x;
        EXPECT_EQ(m_Parent->downs, c.parentMoves) << c.pass << " " << c.x;
    }
}

TEST_F(WidgetTest, KeysClimbToEnclosingWidgetsAndStopAtTheWindow)
{
    // The window would take the key (it has no focused widget): the climb ends below it.
    TestWindow window;
    CountingWidget* outer = new CountingWidget(0, 0, 10, 10);
    window.AddChild(outer);
    CountingWidget* inner = new CountingWidget(0, 0, 10, 10);
    outer->AddChild(inner);
    EXPECT_FALSE(inner->OnKey(guiMsgKey()));
    EXPECT_EQ(inner->keys, 1);
    EXPECT_EQ(outer->keys, 1);
}

TEST_F(WidgetTest, ButtonsFireTheirEventsAndEveryHandlerOfATypeRunsInOrder)
{
    std::vector<std::string> calls;
    auto record = [&calls](const std::string& name, bool answer)
    {
        return [&calls, name, answer](const guiMsgEvent& message)
        {
            calls.push_back(name + ":" + std::to_string(message.type));
            return answer;
        };
    };
    m_Child->AddHandler(gui::kEventButton0Down, record("first", false));
    m_Child->AddHandler(gui::kEventButton2Down, record("right", false));
    m_Child->AddHandler(gui::kEventButton0Down, guiWidget::Handler());
    m_Child->AddHandler(gui::kEventButton0Down, record("second", true));
    m_Child->SetPassMouse(false);
    for (int button : {0, 1, 2})
        m_Child->OnMouseDown(button, MouseAt(60, 60).data);
    EXPECT_EQ(calls, (std::vector<std::string>{"first:11", "second:11", "right:5"}));
    calls.clear();
    EXPECT_TRUE(m_Child->FireEvent(guiMsgEvent(gui::kEventButton0Down, m_Child)));
    EXPECT_FALSE(m_Child->FireEvent(guiMsgEvent(gui::kEventButton2Down, m_Child)));
    EXPECT_FALSE(m_Child->FireEvent(guiMsgEvent(gui::kEventDoubleClick, m_Child)));
}

TEST_F(WidgetTest, AHandlerAddedWhileEventsFireRunsFromTheNextFiring)
{
    int added = 0;
    m_Child->AddHandler(gui::kEventValueChanged,
                        [&](const guiMsgEvent&)
                        {
                            m_Child->AddHandler(gui::kEventValueChanged,
                                                [&](const guiMsgEvent&) { return ++added > 0; });
                            return false;
                        });
    EXPECT_FALSE(m_Child->FireEvent(guiMsgEvent(gui::kEventValueChanged, m_Child)));
    EXPECT_EQ(added, 0);
    EXPECT_TRUE(m_Child->FireEvent(guiMsgEvent(gui::kEventValueChanged, m_Child)));
    EXPECT_EQ(added, 1);
}

TEST_F(WidgetTest, FocusChangesFireWithTextAndValue)
{
    std::vector<std::pair<std::string, bool>> seen;
    m_Child->AddHandler(gui::kEventFocusChanged,
                        [&seen](const guiMsgEvent& message)
                        {
                            seen.emplace_back(message.text, ka::any_cast<bool>(message.value));
                            return true;
                        });
    m_Child->OnFocusGained();
    EXPECT_TRUE(m_Child->HasFocus());
    m_Child->OnFocusLost();
    EXPECT_FALSE(m_Child->HasFocus());
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, bool>>{{"1", true}, {"0", false}}));
}

TEST(Placeholder, KeepsNameNotesPassMousePositionAndSizeInBothForms)
{
    testsupport::TempDir dir;
    guiPlaceholder slot({guiCoord::Relative(0.25f), guiCoord::Pixels(12)}, guiCoordPair::Pixels(200, 100));
    slot.SetName("the slot");
    slot.SetNotes("filled at run time");
    slot.SetPassMouse(false);
    for (bool binary : {false, true})
    {
        guiGlyph* read = testsupport::RoundTrip(slot, binary, dir);
        ASSERT_NE(read, nullptr);
        guiPlaceholder* placeholder = read->DynamicCast<guiPlaceholder>();
        ASSERT_NE(placeholder, nullptr);
        EXPECT_EQ(placeholder->GetName(), "the slot");
        EXPECT_EQ(placeholder->GetNotes(), "filled at run time");
        EXPECT_FALSE(placeholder->PassesMouse());
        EXPECT_EQ(placeholder->GetPosition(), slot.GetPosition());
        EXPECT_EQ(placeholder->GetSize(), slot.GetSize());
        EXPECT_EQ(placeholder->GetClipMode(), guiGlyph::kClipToParent);
        read->Release();
    }
    GuiParamTable sheet(8);
    slot.GetProperties(sheet);
    ASSERT_NE(sheet.Find("Notes"), nullptr);
    EXPECT_EQ(sheet.Find("Notes")->text, "filled at run time");
}

TEST(Placeholder, NotesWithLineBreaksSurviveBinaryToTextToBinary)
{
    testsupport::TempDir dir;
    guiPlaceholder root(guiCoordPair::Pixels(5, 6), guiCoordPair::Pixels(300, 200));
    root.SetName("the slot");
    root.SetNotes("first line\nName impostor\n\nlast line\n");
    auto* child = new guiPlaceholder(guiCoordPair::Pixels(1, 2), guiCoordPair::Pixels(3, 4));
    child->SetName("inner");
    child->SetNotes("\nNumChildren 7");
    root.AddChild(child);

    const std::string binary = gui::FormatLayout(root, true);
    guiGlyph* fromBinary = gui::LoadLayout(dir.Write("first.kab", binary));
    ASSERT_NE(fromBinary, nullptr);
    guiGlyph* fromText = gui::LoadLayout(dir.Write("second.kab", gui::FormatLayout(*fromBinary, false)));
    fromBinary->Release();
    ASSERT_NE(fromText, nullptr);
    EXPECT_EQ(fromText->GetName(), "the slot");
    EXPECT_EQ(static_cast<guiWidget*>(fromText)->GetNotes(), root.GetNotes());
    ASSERT_EQ(fromText->GetChildCount(), 1);
    EXPECT_EQ(static_cast<guiWidget*>(fromText->GetChild(0))->GetNotes(), child->GetNotes());
    EXPECT_EQ(gui::FormatLayout(*fromText, true), binary) << "every field kept";
    fromText->Release();
}

} // namespace
