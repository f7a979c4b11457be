#include "engine/gui/guiManager.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaApp.h"
#include "engine/gui/guiCheckBox.h"
#include "engine/gui/guiCursor.h"
#include "engine/gui/guiWidgetEffect.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using testsupport::GuiDesk;
using testsupport::LogWidget;
using testsupport::RiffBuilder;
using Log = std::vector<std::string>;

namespace
{

std::pair<int32_t, int32_t> Cursor(const GuiDesk& desk)
{
    const kaPoint point = desk.manager.GetCursorPosition();
    return {point.x, point.y};
}

TEST(GuiManager, FindsWindowsByNameIgnoringCase)
{
    GuiDesk desk;
    guiWindow* first = desk.AddWindow("Main Window", 0, 0, 10, 10);
    desk.AddWindow("main window", 0, 0, 10, 10);
    for (const char* name : {"Main Window", "main window", "MAIN WINDOW"})
        EXPECT_EQ(desk.manager.FindWindow(name), first) << name;
    EXPECT_EQ(desk.manager.FindWindow("missing"), nullptr);
    EXPECT_TRUE(desk.manager.SwitchWindowByName("missing", first, 1, false));
    EXPECT_TRUE(first->IsVisible()) << "an unknown name switches nothing";
}

TEST(GuiManager, BringToFrontClimbsToTheTopOrders)
{
    GuiDesk desk;
    guiWindow* a = desk.AddWindow("a", 0, 0, 10, 10);
    guiWindow* b = desk.AddWindow("b", 0, 0, 10, 10);
    desk.manager.BringToFront(a);
    EXPECT_EQ(desk.manager.GetWindowOrder(a), 1);
    desk.manager.BringToFront(a);
    EXPECT_EQ(desk.manager.GetWindowOrder(a), 1) << "the front window stays where it is";
    for (int i = 0; i < 100; ++i)
        desk.manager.BringToFront(i % 2 == 0 ? b : a);
    EXPECT_EQ(desk.manager.GetWindowOrder(a), 99);
    EXPECT_EQ(desk.manager.GetWindowOrder(b), 98);
}

TEST(GuiManager, HidingTheActiveWindowActivatesTheFrontMostVisibleOne)
{
    GuiDesk desk;
    guiWindow* a = desk.AddWindow("a", 0, 0, 10, 10);
    guiWindow* b = desk.AddWindow("b", 0, 0, 10, 10);
    guiWindow* c = desk.AddWindow("c", 0, 0, 10, 10);
    desk.manager.BringToFront(a);
    desk.manager.ActivateWindow(b);
    desk.manager.HideWindow(b, 0);
    EXPECT_EQ(desk.manager.GetActiveWindow(), a) << "a has the highest order";
    desk.manager.HideWindow(a, 0);
    EXPECT_EQ(desk.manager.GetActiveWindow(), c) << "the later registered of equal orders";
    desk.manager.HideWindow(c, 0);
    EXPECT_EQ(desk.manager.GetActiveWindow(), nullptr);
}

TEST(GuiManager, ModalShowsWaitForTheirOwnWindowWhileFramesRun)
{
    GuiDesk desk;
    guiWindow* outer = desk.AddWindow("outer", 0, 0, 10, 10);
    guiWindow* inner = desk.AddWindow("inner", 0, 0, 10, 10);
    EXPECT_EQ(guiManager().ShowWindow(outer, true), 0) << "no frame callback: nothing is shown";
    int innerResult = -1;
    desk.onFrame = [&](int frame)
    {
        if (frame == 2)
            innerResult = desk.manager.ShowWindow(inner, true);
        if (frame == 4)
            desk.manager.HideWindow(inner, 8);
        if (frame == 5)
        {
            EXPECT_EQ(desk.manager.GetModalWindow(), outer) << "the outer window has the mouse again";
        }
        if (frame == 7)
            desk.manager.HideWindow(outer, 4);
        return true;
    };
    EXPECT_EQ(desk.manager.ShowWindow(outer, true), 4);
    EXPECT_EQ(innerResult, 8);
    EXPECT_EQ(desk.frames, 7);
    EXPECT_EQ(desk.manager.GetModalWindow(), nullptr);

    desk.onFrame = [](int) { return false; };
    EXPECT_EQ(desk.manager.ShowWindow(outer, true), gui::kModalCancelled) << "the application quit";
}

TEST(GuiManager, AShownWindowTakesTheMouseUntilHidden)
{
    GuiDesk desk;
    Log log;
    desk.AddWindow("a", 0, 0, 100, 100)->AddChild(new LogWidget("a", 0, 0, 100, 100, log));
    guiWindow* box = desk.AddWindow("box", 200, 200, 50, 50);
    desk.manager.ShowWindow(box, false);
    desk.Frame();
    desk.Click(50, 50);
    EXPECT_EQ(log, Log{}) << "the shown window has the mouse alone";
    desk.manager.HideWindow(box, 1);
    desk.manager.ActivateWindow(box);
    desk.Click(50, 50);
    EXPECT_EQ(log, (Log{"a>", "a+", "a down"})) << "an activated window shares the mouse";
}

TEST(GuiManager, ButtonsWaitOutPausesAndSwitchesWhileMovesGoOn)
{
    GuiDesk desk;
    kaApp app("App", "AppClass");
    Log log;
    guiWindow* a = desk.AddWindow("a", 0, 0, 100, 100);
    a->AddChild(new LogWidget("a", 0, 0, 100, 100, log));
    guiWindow* b = desk.AddWindow("b", 200, 0, 100, 100);
    desk.manager.CreateCursor();
    desk.manager.SetCursorBounds({0, 0, 300, 200});
    desk.Frame();
    app.SetPaused(true);
    desk.Click(50, 50);
    EXPECT_EQ(Cursor(desk), std::make_pair(50, 50));
    EXPECT_EQ(log, Log{"a>"}) << "paused: no click";
    app.SetPaused(false);
    desk.manager.SwitchWindow(b, a, 1, true);
    desk.Click(60, 60);
    EXPECT_EQ(Cursor(desk), std::make_pair(60, 60));
    EXPECT_EQ(log, Log{"a>"}) << "switching: no click";

    desk.MoveTo(900, -40);
    EXPECT_EQ(Cursor(desk), std::make_pair(300, 0)) << "kept inside the bounds";
    desk.manager.ShowCursor(false);
    desk.MoveTo(10, 10);
    EXPECT_EQ(Cursor(desk), std::make_pair(300, 0)) << "a hidden cursor drops the movement";
    desk.manager.ShowCursor(true);
    EXPECT_EQ(desk.manager.GetMouseData().dx, 0);
}

// Mouse records given to the manager without running a frame.
void Press(guiManager& manager, int button, bool down)
{
    guiMsgMouse message;
    message.data.buttonsChanged = true;
    message.data.changed[button] = true;
    message.data.buttons[button] = down;
    manager.OnMouseInput(message);
}

void Move(guiManager& manager, int dx, int dy)
{
    guiMsgMouse message;
    message.data.moved = true;
    message.data.dx = dx;
    message.data.dy = dy;
    manager.OnMouseInput(message);
}

void PointAt(guiManager& manager, int x, int y)
{
    guiMsgMouse message;
    message.data.moved = true;
    message.data.absolute = true;
    message.data.x = x;
    message.data.y = y;
    manager.OnMouseInput(message);
}

TEST(GuiManager, EveryButtonChangeBetweenTwoUpdatesIsDispatchedInOrder)
{
    // Each string is one frame's input: 'd' a press of button 0, 'u' its release, 'r' a right press.
    const struct
    {
        const char* input;
        int downs;
        bool checked;
    } cases[] = {{"du", 1, true}, {"dudu", 2, false}, {"dud", 2, false}, {"durdu", 3, false}, {"dudud", 3, true}, {"u", 0, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.input);
        GuiDesk desk;
        Log log;
        guiWindow* window = desk.AddWindow("w", 0, 0, 200, 100);
        window->AddChild(new LogWidget("a", 0, 0, 100, 100, log));
        auto* box = new guiCheckBox(guiCoordPair::Pixels(120, 10), guiCoordPair::Pixels(20, 20));
        box->SetClickSound(false);
        window->AddChild(box);
        desk.Frame();
        for (const int x : {50, 130})
        {
            desk.MoveTo(x, 20);
            log.clear();
            for (const char* step = c.input; *step != '\0'; ++step)
                Press(desk.manager, *step == 'r' ? 1 : 0, *step != 'u');
            desk.Frame();
            if (x == 50)
                EXPECT_EQ(std::count(log.begin(), log.end(), "a down"), c.downs);
            else
                EXPECT_EQ(box->IsChecked(), c.checked) << "each press toggles the box";
            // Whatever the frame ended with, the next frame starts with the button up.
            Press(desk.manager, 0, false);
            Press(desk.manager, 1, false);
            desk.Frame();
        }
    }
}

// Writes "+b" and "-b" for presses and releases of button b, with the buttons held at that moment.
class ButtonLogWidget : public LogWidget
{
public:
    using LogWidget::LogWidget;
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override
    {
        m_Buttons.push_back("+" + std::to_string(button) + Held(data));
        return true;
    }
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override
    {
        m_Buttons.push_back("-" + std::to_string(button) + Held(data));
        return true;
    }
    static std::string Held(const gui::MouseData& data)
    {
        std::string held = " ";
        for (int b = 0; b < 3; ++b)
            held += data.buttons[b] ? '1' : '0';
        return held;
    }
    Log m_Buttons;
};

TEST(GuiManager, ChangesOfDifferentButtonsWithinOneFrameKeepTheirOrderAndTheHeldButtons)
{
    GuiDesk desk;
    Log log;
    guiWindow* window = desk.AddWindow("w", 0, 0, 200, 100);
    auto* widget = new ButtonLogWidget("a", 0, 0, 100, 100, log);
    window->AddChild(widget);
    desk.Frame();
    desk.MoveTo(50, 20);
    Press(desk.manager, 2, true);
    Press(desk.manager, 1, true);
    Press(desk.manager, 2, false);
    Press(desk.manager, 1, false);
    desk.Frame();
    EXPECT_EQ(widget->m_Buttons, (Log{"+2 001", "+1 011", "-2 010", "-1 000"}));
}

TEST(GuiManager, AMoveCarriesTheButtonsAsTheyWereWhenItCame)
{
    // Within one frame: a move then a press is no drag; a press then a move drags the window.
    const struct
    {
        bool pressFirst;
        int windowX;
    } cases[] = {{false, 0}, {true, 10}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pressFirst ? "press, move" : "move, press");
        GuiDesk desk;
        guiWindow* window = desk.AddWindow("w", 0, 0, 100, 100);
        window->SetDraggable(true);
        desk.manager.CreateCursor();
        desk.manager.SetCursorBounds({0, 0, 640, 480});
        desk.Frame();
        desk.MoveTo(50, 50);
        if (c.pressFirst)
            Press(desk.manager, 0, true);
        Move(desk.manager, 10, 0);
        if (!c.pressFirst)
            Press(desk.manager, 0, true);
        desk.Frame();
        desk.Frame();
        EXPECT_EQ(window->GetPixelPosition().x, c.windowX);
        EXPECT_EQ(Cursor(desk), std::make_pair(60, 50));
    }
}

TEST(GuiManager, TheCursorFollowsThePointersPositionWithoutDrift)
{
    GuiDesk desk;
    desk.manager.CreateCursor();
    desk.manager.SetCursorBounds({0, 0, 640, 480});
    // Positions outside the window, as while a button is held past its edge, stop the cursor at the
    // bounds; coming back puts it under the pointer again.
    const struct
    {
        int x, y;
        std::pair<int32_t, int32_t> cursor;
    } steps[] = {{300, 200, {300, 200}}, {-102, 200, {0, 200}},  {-400, 900, {0, 480}},
                 {300, 200, {300, 200}}, {700, -5, {640, 0}},    {639, 479, {639, 479}}};
    for (const auto& step : steps)
    {
        PointAt(desk.manager, step.x, step.y);
        desk.Frame();
        EXPECT_EQ(Cursor(desk), step.cursor) << step.x << "," << step.y;
    }
    // Several positions in one frame: the last counts, and movement after it adds to it.
    PointAt(desk.manager, 10, 10);
    PointAt(desk.manager, 20, 30);
    Move(desk.manager, 5, 5);
    desk.Frame();
    EXPECT_EQ(Cursor(desk), std::make_pair(25, 35));
    // A hidden cursor stays where it was.
    desk.manager.ShowCursor(false);
    PointAt(desk.manager, 100, 100);
    desk.Frame();
    EXPECT_EQ(Cursor(desk), std::make_pair(25, 35));
}

TEST(GuiManager, TheMouseIsRelativeExactlyWhileTheCursorIsHidden)
{
    platform::ScriptedWindowBackend window;
    GuiDesk desk;
    desk.manager.CreateCursor();
    EXPECT_FALSE(window.RelativeMouse());
    for (const bool show : {false, false, true, true, false, true})
    {
        desk.manager.ShowCursor(show);
        EXPECT_EQ(window.RelativeMouse(), !show) << show;
    }
    {
        GuiDesk hiding;
        hiding.manager.CreateCursor();
        hiding.manager.ShowCursor(false);
        EXPECT_TRUE(window.RelativeMouse());
    }
    EXPECT_FALSE(window.RelativeMouse()) << "a manager that ends gives the pointer back";
}

TEST(GuiManager, RemovingAWindowEndsItsWaitAndDropsItsEffects)
{
    GuiDesk desk;
    guiWindow* dialog = desk.AddWindow("dialog", 0, 0, 10, 10);
    auto* effect = new guiWidgetEffect(dialog);
    effect->SetDelayedVisibility(false, 5.0f);
    desk.manager.QueueEffect(effect);
    desk.onFrame = [&](int frame)
    {
        if (frame == 2)
        {
            desk.manager.QueueRemoval(dialog);
            desk.manager.QueueRemoval(dialog);
        }
        return frame < 10;
    };
    EXPECT_EQ(desk.manager.ShowWindow(dialog, true), gui::kModalCancelled);
    EXPECT_EQ(desk.frames, 3) << "the wait ended with the window";
    EXPECT_EQ(desk.manager.GetWindows().size(), 0u);
    EXPECT_EQ(desk.manager.GetEffectCount(), 0u);
    EXPECT_EQ(desk.manager.GetModalWindow(), nullptr);
}

// A click handler that opens a modal window runs frames inside the frame that dispatched the click.
class ModalFromHandler : public LogWidget
{
public:
    ModalFromHandler(GuiDesk& desk, guiWindow* dialog, Log& log)
        : LogWidget("opener", 0, 0, 100, 100, log), m_Desk(desk), m_Dialog(dialog)
    {
    }
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override
    {
        LogWidget::OnMouseDown(button, data);
        m_Desk.manager.ShowWindow(m_Dialog, true);
        // Not taken: the walk goes on to the windows behind.
        return false;
    }

private:
    GuiDesk& m_Desk;
    guiWindow* m_Dialog;
};

TEST(GuiManager, NestedFramesNeitherReplayTheMouseNorTouchRemovedWindows)
{
    GuiDesk desk;
    Log log;
    guiWindow* dialog = desk.AddWindow("dialog", 500, 500, 10, 10);
    desk.manager.HideWindow(dialog, 0);
    desk.AddWindow("doomed", 0, 0, 100, 100);
    guiWindow* main = desk.AddWindow("main", 0, 0, 100, 100);
    main->AddChild(new ModalFromHandler(desk, dialog, log));
    desk.Frame();
    desk.MoveTo(50, 50);
    desk.onFrame = [&](int frame)
    {
        if (frame == 1)
            desk.manager.QueueRemoval(desk.manager.FindWindow("doomed"));
        if (frame == 3)
            desk.manager.HideWindow(dialog, 1);
        return true;
    };
    desk.Button(0, true);
    EXPECT_EQ(std::count(log.begin(), log.end(), "opener down"), 1);
    EXPECT_EQ(desk.manager.FindWindow("doomed"), nullptr);
}

TEST(GuiManager, GuiSoundsPlayUnlessMuted)
{
    platform::NullAudioSink sink;
    testsupport::TempDir dir;
    SoundManager sounds;
    ASSERT_TRUE(sounds.Init(nullptr));
    Wizard wizard;
    wizard.Init(&sounds, false);
    const std::string click =
        dir.Write("click.wav", RiffBuilder::PcmWave(1, 22050, 16,
                                                    RiffBuilder::Samples16(std::vector<int16_t>(100, 1000))));
    GuiDesk desk;
    EXPECT_TRUE(desk.manager.PlayGuiSound(click));
    EXPECT_FALSE(desk.manager.PlayGuiSound(dir.File("missing.wav")));
    wizard.SetMuted(true);
    EXPECT_FALSE(desk.manager.AreGuiSoundsOn());
    EXPECT_FALSE(desk.manager.PlayGuiSound(click));
    wizard.SetMuted(false);
    EXPECT_TRUE(desk.manager.PlayGuiSound(click));
    wizard.Shutdown();
}

} // namespace
