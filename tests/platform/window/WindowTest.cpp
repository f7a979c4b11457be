#include "platform/window/Window.h"
#include "platform/window/ScriptedWindowBackend.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace platform;

namespace
{

struct Received
{
    WindowHandle window;
    uint32_t message;
    WPARAM wParam;
    LPARAM lParam;
    bool windowAlive;
};

std::vector<Received> g_Received;
// Messages the test procedure leaves to DefWindowProc.
bool g_UseDefault = true;

LRESULT RecordingProcedure(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    g_Received.push_back(Received{window, message, wParam, lParam, IsWindow(window)});
    return g_UseDefault ? DefWindowProc(window, message, wParam, lParam) : 0;
}

class WindowTest : public testing::Test
{
protected:
    void SetUp() override
    {
        g_Received.clear();
        g_UseDefault = true;
        WindowClass windowClass;
        windowClass.procedure = &RecordingProcedure;
        windowClass.className = "TestClass";
        ASSERT_NE(RegisterClass(windowClass), 0);
    }

    WindowHandle MakeWindow()
    {
        return CreateWindow(0, "TestClass", "Title", WS_OVERLAPPED, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                            nullptr, nullptr);
    }

    std::vector<uint32_t> DrainMessages()
    {
        std::vector<uint32_t> ids;
        Message message;
        for (int guard = 0; guard < 100 && PeekMessage(message, PM_REMOVE); ++guard)
        {
            ids.push_back(message.message);
            DispatchMessage(message);
            if (message.message == WM_QUIT)
                break;
        }
        return ids;
    }

    ScriptedWindowBackend m_Backend;
};

} // namespace

TEST_F(WindowTest, RegistersEachClassNameOnceAndCreatesOnlyFromKnownOnes)
{
    WindowClass windowClass;
    windowClass.className = "TestClass";
    EXPECT_EQ(RegisterClass(windowClass), 0);
    windowClass.className = "";
    EXPECT_EQ(RegisterClass(windowClass), 0);
    windowClass.className = "Other";
    EXPECT_NE(RegisterClass(windowClass), 0);
    // Creation fails for an unknown class or a refusing back end.
    EXPECT_EQ(CreateWindow(0, "Missing", "", 0, 0, 0, 10, 10, nullptr, nullptr), nullptr);
    m_Backend.FailWindowCreation(true);
    EXPECT_EQ(MakeWindow(), nullptr);
    EXPECT_TRUE(m_Backend.NativeWindows().empty());
}

TEST_F(WindowTest, NewWindowIsHiddenAndMovesToTheGivenFrame)
{
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(m_Backend.NativeWindows().at(window).showCommand, SW_HIDE);
    ASSERT_TRUE(MoveWindow(window, 0, 0, 800, 600, true));
    Rect client;
    ASSERT_TRUE(GetClientRect(window, client));
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 600);
    const Rect frame = m_Backend.NativeWindows().at(window).frame;
    EXPECT_EQ(std::make_tuple(frame.left, frame.top, frame.right, frame.bottom),
              std::make_tuple(0, 0, 800, 600));
    // Adjusting keeps the client rectangle.
    Rect rect{0, 0, 800, 600};
    ASSERT_TRUE(AdjustWindowRect(rect, WS_OVERLAPPED, false, 0));
    EXPECT_EQ(rect.right - rect.left, 800);
    EXPECT_EQ(rect.bottom - rect.top, 600);
}

TEST_F(WindowTest, PostedMessagesComeBeforeQuitAndQuitBeforePaint)
{
    WindowHandle window = MakeWindow();
    ShowWindow(window, SW_SHOW);
    PostQuitMessage(3);
    PostMessage(window, WM_APP + 1, 5, 6);
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_APP + 1);
    EXPECT_EQ(message.wParam, 5u);
    EXPECT_EQ(message.lParam, 6);
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    EXPECT_EQ(message.window, window);
}

TEST_F(WindowTest, PaintStaysPendingUntilValidated)
{
    WindowHandle window = MakeWindow();
    ShowWindow(window, SW_SHOW);
    g_UseDefault = false;
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    DispatchMessage(message);
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
    ValidateRect(window, nullptr);
    EXPECT_FALSE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_NULL);
    InvalidateRect(window, nullptr);
    EXPECT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
}

TEST_F(WindowTest, DefaultPaintHandlingValidates)
{
    WindowHandle window = MakeWindow();
    ShowWindow(window, SW_SHOW);
    EXPECT_EQ(DrainMessages(), std::vector<uint32_t>{WM_PAINT});
}

TEST_F(WindowTest, UpdateWindowPaintsAtOnceOnlyWhenNeeded)
{
    WindowHandle window = MakeWindow();
    UpdateWindow(window);
    EXPECT_TRUE(g_Received.empty());
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    ASSERT_EQ(g_Received.size(), 1u);
    EXPECT_EQ(g_Received[0].message, WM_PAINT);
}

TEST_F(WindowTest, PeekWithoutRemovingLeavesTheMessage)
{
    WindowHandle window = MakeWindow();
    PostMessage(window, WM_APP, 0, 0);
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_NOREMOVE));
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_APP);
    EXPECT_FALSE(PeekMessage(message, PM_REMOVE));
}

TEST_F(WindowTest, ClosingDestroysTheWindowAfterItsDestroyMessage)
{
    WindowHandle window = MakeWindow();
    PostMessage(window, WM_CLOSE, 0, 0);
    PostMessage(window, WM_APP, 0, 0);
    EXPECT_EQ(DrainMessages(), std::vector<uint32_t>{WM_CLOSE});
    ASSERT_EQ(g_Received.size(), 2u);
    EXPECT_EQ(g_Received[1].message, WM_DESTROY);
    EXPECT_TRUE(g_Received[1].windowAlive);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(m_Backend.NativeWindows().at(window).alive);
    // A stale handle is refused, never reused.
    EXPECT_FALSE(PostMessage(window, WM_APP, 0, 0));
    EXPECT_FALSE(DestroyWindow(window));
}

// The close command (the system's own low bits aside) becomes WM_CLOSE, sent at once, which destroys the
// window; other commands leave it alone.
TEST_F(WindowTest, TheCloseCommandClosesTheWindowThroughItsCloseMessage)
{
    const struct
    {
        WPARAM command;
        bool closes;
    } cases[] = {{SC_CLOSE, true}, {SC_CLOSE | 0x2, true}, {0xF020 /* minimise */, false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.command);
        g_Received.clear();
        WindowHandle window = MakeWindow();
        PostMessage(window, WM_SYSCOMMAND, c.command, 0);
        EXPECT_EQ(DrainMessages(), std::vector<uint32_t>{WM_SYSCOMMAND});
        std::vector<uint32_t> handled;
        for (const Received& received : g_Received)
            handled.push_back(received.message);
        EXPECT_EQ(handled, c.closes ? (std::vector<uint32_t>{WM_SYSCOMMAND, WM_CLOSE, WM_DESTROY})
                                    : std::vector<uint32_t>{WM_SYSCOMMAND});
        EXPECT_EQ(IsWindow(window), !c.closes);
    }
}

TEST_F(WindowTest, TranslationAddsControlCharactersOnly)
{
    WindowHandle window = MakeWindow();
    const uint32_t keys[] = {VK_ESCAPE, VK_BACK, VK_TAB, VK_RETURN, 'A', VK_F5};
    for (const uint32_t key : keys)
        PostMessage(window, WM_KEYDOWN, key, 1);
    std::vector<std::pair<uint32_t, WPARAM>> seen;
    Message message;
    while (PeekMessage(message, PM_REMOVE))
    {
        seen.emplace_back(message.message, message.wParam);
        TranslateMessage(message);
    }
    const std::vector<std::pair<uint32_t, WPARAM>> expected = {
        {WM_KEYDOWN, VK_ESCAPE}, {WM_CHAR, 0x1B},    {WM_KEYDOWN, VK_BACK},   {WM_CHAR, 0x08},
        {WM_KEYDOWN, VK_TAB},    {WM_CHAR, 0x09},    {WM_KEYDOWN, VK_RETURN}, {WM_CHAR, 0x0D},
        {WM_KEYDOWN, 'A'},       {WM_KEYDOWN, VK_F5}};
    EXPECT_EQ(seen, expected);
}

TEST_F(WindowTest, ScriptedIdleStepWaitsForAnEmptyPass)
{
    WindowHandle window = MakeWindow();
    ShowWindow(window, SW_SHOW);
    m_Backend.Input(WM_APP);
    m_Backend.Idle();
    m_Backend.Input(WM_APP + 1);
    std::vector<uint32_t> ids;
    Message message;
    for (int pass = 0; pass < 6; ++pass)
    {
        if (PeekMessage(message, PM_REMOVE))
        {
            ids.push_back(message.message);
            DispatchMessage(message);
        }
        else
        {
            ids.push_back(WM_NULL);
        }
    }
    EXPECT_EQ(ids, (std::vector<uint32_t>{WM_APP, WM_PAINT, WM_NULL, WM_APP + 1, WM_NULL, WM_NULL}));
    EXPECT_TRUE(m_Backend.ScriptDone());
}

TEST_F(WindowTest, CursorShowsWhileItsCountIsNotNegative)
{
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_FALSE(m_Backend.CursorVisible());
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_FALSE(m_Backend.CursorVisible());
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_TRUE(m_Backend.CursorVisible());
}

TEST_F(WindowTest, MessageBoxesAreRecordedWithTheirOwner)
{
    WindowHandle window = MakeWindow();
    EXPECT_EQ(MessageBox(window, "text", "caption", MB_OK), IDOK);
    ASSERT_EQ(m_Backend.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Backend.MessageBoxes()[0].owner, window);
    EXPECT_EQ(m_Backend.MessageBoxes()[0].text, "text");
    EXPECT_EQ(m_Backend.MessageBoxes()[0].caption, "caption");
}

TEST_F(WindowTest, CursorPositionIsCountedFromTheClientAreaOfTheWindow)
{
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(MoveWindow(window, 100, 50, 800, 600, false));
    struct Case
    {
        int32_t screenX, screenY, clientX, clientY;
    };
    for (const Case& c : {Case{100, 50, 0, 0}, Case{350, 400, 250, 350}, Case{20, 10, -80, -40}})
    {
        m_Backend.SetPointer(c.screenX, c.screenY);
        Point point{-1, -1};
        EXPECT_TRUE(GetCursorClientPosition(window, point));
        EXPECT_EQ(point.x, c.clientX);
        EXPECT_EQ(point.y, c.clientY);
    }
    DestroyWindow(window);
    Point point{7, 7};
    EXPECT_FALSE(GetCursorClientPosition(window, point));
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 0);
}

TEST_F(WindowTest, WaitingMessagesAreFoundBehindOthersAndStayQueued)
{
    WindowHandle window = MakeWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsMessageWaiting(WM_CLOSE));
    m_Backend.Input(WM_KEYDOWN, VK_ESCAPE);
    m_Backend.Input(WM_CLOSE);
    EXPECT_TRUE(IsMessageWaiting(WM_CLOSE));
    EXPECT_FALSE(IsMessageWaiting(WM_QUIT));
    PostQuitMessage(3);
    EXPECT_TRUE(IsMessageWaiting(WM_QUIT));
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_KEYDOWN);
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_CLOSE);
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_QUIT);
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(IsMessageWaiting(WM_QUIT));
}
