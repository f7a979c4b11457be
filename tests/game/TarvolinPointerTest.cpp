#include "engine/core/kaClock.h"
#include "engine/gui/guiManager.h"
#include "platform/window/Window.h"
#include "platform/window/WindowConstants.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/Recorders.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

// A recording window that keeps presses and releases in one list: "+0" a press of button 0, "-0" its
// release.
class ClickRecorder : public gametest::RecordingWindow
{
public:
    bool OnMouseDown(int32_t button, const gui::MouseData& data) override
    {
        clicks.push_back("+" + std::to_string(button));
        return RecordingWindow::OnMouseDown(button, data);
    }
    bool OnMouseUp(int32_t button, const gui::MouseData& data) override
    {
        clicks.push_back("-" + std::to_string(button));
        return RecordingWindow::OnMouseUp(button, data);
    }
    std::vector<std::string> clicks;
};

// The game started with a scripted mouse and window; the system pointer stands at (50, 60) on the screen.
class TarvolinPointerTest : public ::testing::Test
{
protected:
    TarvolinPointerTest() : m_Mouse(gametest::Mouse()), m_Game(Options(m_Mouse)) {}

    static HeadlessGame::Options Options(const gametest::Script& mouse)
    {
        HeadlessGame::Options options;
        options.devices = {mouse, gametest::Keyboard()};
        return options;
    }

    void SetUp() override
    {
        m_Game.Window().SetPointer(50, 60);
        ASSERT_TRUE(m_Game.Start());
        m_Game.SetClockStep(0.0);
        GetTime(6);
        m_Recorder = new ClickRecorder();
        m_Game.Gui().AddWindow(m_Recorder);
        m_Game.Gui().ActivateWindow(m_Recorder);
        m_Game.Gui().BringToFront(m_Recorder);
        m_Frame = m_Game.Window().NativeWindows().at(m_Game.App().GetWindowHandle()).frame;
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
        {
            m_Game.Clock().AdvanceSeconds(0.02);
            ASSERT_TRUE(m_Game.Frame());
        }
    }

    // Puts the system pointer at a client position of the game's window.
    void Pointer(int32_t x, int32_t y) { m_Game.Window().SetPointer(x + m_Frame.left, y + m_Frame.top); }
    kaPoint Cursor() { return m_Game.Gui().GetCursorPosition(); }

    gametest::Script m_Mouse;
    HeadlessGame m_Game;
    ClickRecorder* m_Recorder = nullptr;
    platform::Rect m_Frame;
};

} // namespace

TEST_F(TarvolinPointerTest, TheShownCursorSitsWhereThePointerIsAndTheMouseMotionCannotMakeItDrift)
{
    Pointer(200, 150);
    Frames(1);
    EXPECT_EQ(Cursor().x, 200);
    EXPECT_EQ(Cursor().y, 150);
    // The mouse also reports its motion; the pointer's place alone counts.
    m_Mouse->PushReading({30, 20, 0, 0, 0, 0});
    Pointer(230, 170);
    Frames(1);
    EXPECT_EQ(Cursor().x, 230);
    EXPECT_EQ(Cursor().y, 170);
    m_Mouse->PushReading({90, 20, 0, 0, 0, 0});
    Frames(2);
    EXPECT_EQ(Cursor().x, 230);
    EXPECT_EQ(Cursor().y, 170);
    // The GUI's own placing of the cursor stands until the pointer moves again.
    m_Game.Gui().SetCursorPosition(10, 12);
    Frames(2);
    EXPECT_EQ(Cursor().x, 10);
    EXPECT_EQ(Cursor().y, 12);
    Pointer(231, 170);
    Frames(1);
    EXPECT_EQ(Cursor().x, 231);
    EXPECT_EQ(Cursor().y, 170);
}

TEST_F(TarvolinPointerTest, HiddenTheCursorStaysAndTheMouseIsRelativeShownAgainThePointerComesToIt)
{
    Pointer(100, 100);
    Frames(1);
    m_Game.Gui().ShowCursor(false);
    EXPECT_TRUE(m_Game.Window().RelativeMouse());
    Pointer(300, 250);
    Frames(2);
    EXPECT_EQ(Cursor().x, 100);
    EXPECT_EQ(Cursor().y, 100);
    // The pointer wandered while the cursor hid; shown again, the cursor stays and the pointer goes to it.
    m_Game.Gui().ShowCursor(true);
    EXPECT_FALSE(m_Game.Window().RelativeMouse());
    Frames(1);
    EXPECT_EQ(Cursor().x, 100);
    EXPECT_EQ(Cursor().y, 100);
    platform::Point pointer;
    ASSERT_TRUE(platform::GetCursorClientPosition(m_Game.App().GetWindowHandle(), pointer));
    EXPECT_EQ(pointer.x, 100);
    EXPECT_EQ(pointer.y, 100);
    // From there the pointer leads again.
    Pointer(120, 90);
    Frames(1);
    EXPECT_EQ(Cursor().x, 120);
    EXPECT_EQ(Cursor().y, 90);
}

TEST_F(TarvolinPointerTest, EveryButtonChangeWithinOneFrameReachesTheGuiInOrder)
{
    struct Case
    {
        std::vector<uint32_t> messages;
        std::vector<std::string> clicks;
    };
    using namespace platform;
    const Case cases[] = {
        {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {"+0", "-0"}},
        {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDOWN, WM_LBUTTONUP}, {"+0", "-0", "+0", "-0"}},
        // Buttons as the controls number them: the middle is button 1, the right button 2.
        {{WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONUP}, {"+2", "+1", "-2", "-1"}},
    };
    for (const Case& c : cases)
    {
        m_Recorder->clicks.clear();
        for (uint32_t message : c.messages)
            m_Game.Window().Input(message);
        Frames(1);
        EXPECT_EQ(m_Recorder->clicks, c.clicks) << c.messages.size();
    }
}

TEST_F(TarvolinPointerTest, AClickSeenByTheWindowAndByThePolledMouseReachesTheGuiOnce)
{
    // The message first, the poll with it.
    m_Game.Window().Input(platform::WM_LBUTTONDOWN);
    m_Mouse->PushReading({0, 0, 0, 1, 0, 0});
    Frames(3);
    m_Game.Window().Input(platform::WM_LBUTTONUP);
    m_Mouse->PushReading({0, 0, 0, 0, 0, 0});
    Frames(3);
    EXPECT_EQ(m_Recorder->clicks, (std::vector<std::string>{"+0", "-0"}));
    // The poll a frame ahead of the message.
    m_Mouse->PushReading({0, 0, 0, 1, 0, 0});
    Frames(1);
    m_Game.Window().Input(platform::WM_LBUTTONDOWN);
    Frames(2);
    m_Mouse->PushReading({0, 0, 0, 0, 0, 0});
    Frames(1);
    m_Game.Window().Input(platform::WM_LBUTTONUP);
    Frames(2);
    EXPECT_EQ(m_Recorder->clicks, (std::vector<std::string>{"+0", "-0", "+0", "-0"}));
}
