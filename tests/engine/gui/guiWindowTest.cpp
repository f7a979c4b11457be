#include "engine/gui/guiWindow.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"
#include "tests/support/engine/gui/LayoutRoundTrip.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::GuiDesk;
using testsupport::LogWidget;
using Log = std::vector<std::string>;

namespace
{

std::pair<float, float> At(const guiCoordPair& pair)
{
    return {pair.x.value, pair.y.value};
}

TEST(Window, AlignmentPlacesTheWindowAroundItsAnchor)
{
    struct Case
    {
        int32_t alignment;
        std::pair<float, float> expected;
    };
    const Case cases[] = {
        {0, {400, 300}},      {1 | 8, {400, 300}},  {2 | 16, {300, 250}},
        {4 | 32, {200, 200}}, {2 | 32, {300, 200}}, {4 | 8, {200, 300}},
    };
    for (const Case& c : cases)
    {
        guiWindow window("w", guiCoordPair::Pixels(400, 300), guiCoordPair::Pixels(200, 100), c.alignment);
        EXPECT_EQ(At(window.GetPosition()), c.expected) << "alignment " << c.alignment;
        EXPECT_EQ(At(window.GetAnchor()), std::make_pair(400.0f, 300.0f));
    }
    guiWindow window("w", guiCoordPair::Pixels(400, 300), guiCoordPair::Pixels(200, 100), 2 | 16);
    window.SetSize(guiCoordPair::Pixels(101, 51));
    EXPECT_EQ(At(window.GetPosition()), std::make_pair(350.0f, 275.0f)) << "half sizes truncate";
    window.SetPosition(guiCoordPair::Pixels(100, 100));
    EXPECT_EQ(At(window.GetPosition()), std::make_pair(50.0f, 75.0f));
    window.SetAlignment(0);
    EXPECT_EQ(At(window.GetPosition()), std::make_pair(100.0f, 100.0f));
}

TEST(Window, BlockRoundTripsInBothForms)
{
    testsupport::TempDir dir;
    guiWindow window("saved", guiCoordPair::Pixels(40, 30), guiCoordPair::Pixels(200, 100), 4 | 32);
    window.SetDraggable(true);
    window.SetAlphaHitTesting(true);
    window.AddChild(new guiWindow(guiCoordPair::Pixels(1, 2), guiCoordPair::Pixels(3, 4)));
    for (bool binary : {false, true})
    {
        guiGlyph* loaded = testsupport::RoundTrip(window, binary, dir);
        ASSERT_NE(loaded, nullptr) << binary;
        loaded->AddRef();
        auto* copy = loaded->DynamicCast<guiWindow>();
        ASSERT_NE(copy, nullptr);
        EXPECT_TRUE(copy->IsDraggable());
        EXPECT_TRUE(copy->IsAlphaHitTesting());
        EXPECT_EQ(copy->GetAlignment(), 4 | 32);
        EXPECT_EQ(At(copy->GetAnchor()), std::make_pair(40.0f, 30.0f)) << "the loaded position is the anchor";
        EXPECT_EQ(copy->GetName(), "saved");
        ASSERT_EQ(copy->GetChildCount(), 1);
        EXPECT_NE(copy->GetChild(0)->DynamicCast<guiWindow>(), nullptr);
        loaded->Release();
    }
    const std::string file = dir.Write("plain.kab", "T1.11\n[Rectangle]\n");
    guiWindow other(file);
    EXPECT_EQ(other.GetName(), "") << "a layout of another class leaves the defaults";
    EXPECT_EQ(other.GetChildCount(), 0);
}

// A window at (100, 100) of 300 x 200 holding a panel P (the left half) with widgets A and B side by
// side in it, and C outside the panel.
class WindowInput : public ::testing::Test
{
protected:
    void SetUp() override
    {
        window = desk.AddWindow("w", 100, 100, 300, 200);
        panel = new LogWidget("P", 0, 0, 150, 100, log);
        a = new LogWidget("A", 10, 10, 50, 50, log);
        b = new LogWidget("B", 80, 10, 50, 50, log);
        c = new LogWidget("C", 200, 10, 50, 50, log);
        panel->AddChild(a);
        panel->AddChild(b);
        window->AddChild(panel);
        window->AddChild(c);
        desk.Frame();
    }

    GuiDesk desk;
    Log log;
    guiWindow* window = nullptr;
    LogWidget* panel = nullptr;
    LogWidget* a = nullptr;
    LogWidget* b = nullptr;
    LogWidget* c = nullptr;
};

TEST_F(WindowInput, FocusAndHoverChainsChangeInOrder)
{
    struct Step
    {
        bool click;
        int x, y;
        Log expected;
    };
    const Step steps[] = {
        {false, 120, 120, {"A>", "P>"}},
        {false, 190, 120, {"B>", "A<"}},
        {false, 390, 290, {"B<", "P<"}},
        {true, 120, 120, {"A>", "P>", "A+", "P+", "A down"}},
        {true, 190, 120, {"B>", "A<", "B+", "A-", "B down"}},
        {true, 310, 120, {"C>", "B<", "P<", "C+", "B-", "P-", "C down"}},
        {true, 390, 290, {"C<", "C-"}},
    };
    for (const Step& step : steps)
    {
        log.clear();
        if (step.click)
            desk.Click(step.x, step.y);
        else
            desk.MoveTo(step.x, step.y);
        EXPECT_EQ(log, step.expected) << step.x << "," << step.y;
    }
    EXPECT_EQ(desk.manager.GetActiveWindow(), window) << "a click on no widget activates the window";
    EXPECT_EQ(window->GetFocusedWidget(), nullptr);
}

TEST_F(WindowInput, KeysGoToTheFocusedWidgetAndFocusNextWraps)
{
    window->SetFocusOrder({a, c});
    struct Step
    {
        bool moved;
        guiWidget* focused;
    };
    const Step steps[] = {{false, a}, {true, c}, {false, a}};
    for (const Step& step : steps)
    {
        EXPECT_EQ(window->FocusNext(), step.moved);
        EXPECT_EQ(window->GetFocusedWidget(), step.focused);
    }
    log.clear();
    desk.manager.OnKey(guiMsgKey());
    EXPECT_EQ(log, Log{"A key"});
    window->RemoveChild(panel);
    EXPECT_EQ(window->GetFocusedWidget(), nullptr) << "a destroyed widget is forgotten";
    EXPECT_EQ(window->GetFocusChain(), std::vector<guiWidget*>{window});
}

TEST_F(WindowInput, AWindowInsideAnotherForgetsItsOwnDestroyedWidgets)
{
    auto* inner = new guiWindow(guiCoordPair::Pixels(200, 120), guiCoordPair::Pixels(90, 70));
    window->AddChild(inner);
    auto* field = new LogWidget("F", 0, 0, 20, 20, log);
    inner->AddChild(field);
    desk.Frame();
    inner->SetFocus(field);
    ASSERT_EQ(inner->GetFocusedWidget(), field);
    inner->RemoveChild(field);
    EXPECT_EQ(inner->GetFocusedWidget(), nullptr);
    EXPECT_EQ(inner->GetFocusChain(), std::vector<guiWidget*>{inner});
    EXPECT_TRUE(inner->GetHitList().empty());
}

TEST_F(WindowInput, DraggableWindowMovesByTheDragUnlessAWidgetHasFocus)
{
    window->SetDraggable(true);
    desk.MoveTo(380, 280);
    desk.Button(0, true);
    desk.MoveTo(390, 300);
    EXPECT_EQ(At(window->GetPosition()), std::make_pair(110.0f, 120.0f));
    desk.Button(0, false);
    desk.MoveTo(130, 140);
    desk.Button(0, true);
    ASSERT_EQ(window->GetFocusedWidget(), a);
    desk.MoveTo(140, 150);
    EXPECT_EQ(At(window->GetPosition()), std::make_pair(110.0f, 120.0f)) << "focused: no drag";
}

TEST(WindowStack, FrontWindowTakesTheClickAndAlphaHitTestingPassesBareSpots)
{
    GuiDesk desk;
    Log log;
    guiWindow* back = desk.AddWindow("back", 0, 0, 300, 300);
    back->AddChild(new LogWidget("back", 0, 0, 300, 300, log));
    guiWindow* front = desk.AddWindow("front", 0, 0, 300, 300);
    front->AddChild(new LogWidget("front", 0, 0, 100, 100, log));
    desk.Frame();
    const struct
    {
        bool alpha;
        int x, y;
        std::string taker;
    } cases[] = {
        {false, 50, 50, "front down"},
        {true, 50, 50, "front down"},
        {false, 200, 200, ""},
        {true, 200, 200, "back down"},
    };
    for (const auto& c : cases)
    {
        front->SetAlphaHitTesting(c.alpha);
        log.clear();
        desk.Click(c.x, c.y);
        std::string taker;
        for (const std::string& entry : log)
            if (entry.find(" down") != std::string::npos)
                taker = entry;
        EXPECT_EQ(taker, c.taker) << c.alpha << " " << c.x;
    }
}

} // namespace
