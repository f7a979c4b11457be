#include "platform/window/SdlWindowBackend.h"
#include "platform/window/DisplayConnection.h"
#include "platform/window/Window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

using namespace platform;

namespace
{

LRESULT DefaultProcedure(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProc(window, message, wParam, lParam);
}

// The real SDL back end on SDL's dummy video driver, fed with pushed SDL events.
class SdlWindowBackendTest : public testing::Test
{
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        _ResetWindowState();
        WindowClass windowClass;
        windowClass.procedure = &DefaultProcedure;
        windowClass.className = "SdlTestClass";
        RegisterClass(windowClass);
        m_Window = CreateWindow(0, "SdlTestClass", "SDL test", WS_OVERLAPPED, CW_USEDEFAULT, 0, CW_USEDEFAULT,
                                0, nullptr, nullptr);
        ASSERT_NE(m_Window, nullptr);
        m_Native = GetSdlWindowBackend().GetSdlWindow(m_Window);
        ASSERT_NE(m_Native, nullptr);
        Drain();
    }

    void TearDown() override { _ResetWindowState(); }

    std::vector<Message> Drain()
    {
        std::vector<Message> messages;
        Message message;
        for (int guard = 0; guard < 100 && PeekMessage(message, PM_REMOVE); ++guard)
        {
            if (message.message == WM_PAINT)
                ValidateRect(message.window, nullptr);
            else
                messages.push_back(message);
        }
        return messages;
    }

    // The (message, wParam) pairs of the messages.
    static std::vector<std::pair<uint32_t, WPARAM>> Pairs(const std::vector<Message>& messages)
    {
        std::vector<std::pair<uint32_t, WPARAM>> pairs;
        for (const Message& message : messages)
            pairs.emplace_back(message.message, message.wParam);
        return pairs;
    }

    void PushKey(uint32_t type, SDL_Scancode scancode, uint16_t mod = KMOD_NONE, uint8_t repeat = 0)
    {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = SDL_GetWindowID(m_Native);
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.repeat = repeat;
        event.key.keysym.scancode = scancode;
        event.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
        event.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void PushText(const char* text)
    {
        SDL_Event event{};
        event.type = SDL_TEXTINPUT;
        event.text.windowID = SDL_GetWindowID(m_Native);
        std::strncpy(event.text.text, text, sizeof(event.text.text) - 1);
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    void PushWindowEvent(uint8_t kind)
    {
        SDL_Event event{};
        event.type = SDL_WINDOWEVENT;
        event.window.windowID = SDL_GetWindowID(m_Native);
        event.window.event = kind;
        ASSERT_EQ(SDL_PushEvent(&event), 1);
    }

    WindowHandle m_Window = nullptr;
    SDL_Window* m_Native = nullptr;
};

} // namespace

TEST_F(SdlWindowBackendTest, WindowTakesTheMovedSizeAndShows)
{
    MoveWindow(m_Window, 0, 0, 800, 600, true);
    ShowWindow(m_Window, SW_SHOWDEFAULT);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(m_Native, &width, &height);
    EXPECT_EQ(width, 800);
    EXPECT_EQ(height, 600);
    EXPECT_TRUE((SDL_GetWindowFlags(m_Native) & SDL_WINDOW_SHOWN) != 0);
    EXPECT_STREQ(SDL_GetWindowTitle(m_Native), "SDL test");
}

TEST_F(SdlWindowBackendTest, KeysBecomeKeyMessagesWithVirtualKeyCodes)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LSHIFT, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F5, KMOD_LSHIFT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F5, KMOD_LSHIFT, 1);
    PushKey(SDL_KEYUP, SDL_SCANCODE_F5, KMOD_LSHIFT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_RSHIFT);
    const std::vector<Message> messages = Drain();
    EXPECT_EQ(Pairs(messages), (std::vector<std::pair<uint32_t, WPARAM>>{{WM_KEYDOWN, VK_SHIFT},
                                                                         {WM_KEYDOWN, VK_F5},
                                                                         {WM_KEYDOWN, VK_F5},
                                                                         {WM_KEYUP, VK_F5},
                                                                         {WM_KEYUP, VK_SHIFT}}));
    ASSERT_EQ(messages.size(), 5u);
    EXPECT_EQ(messages[0].window, m_Window);
    // An auto-repeat is another key-down, marked as already down.
    EXPECT_EQ(messages[1].lParam & (1 << 30), 0);
    EXPECT_NE(messages[2].lParam & (1 << 30), 0);
}

// Alt and F10 are system keys; text input is one character per code point; focus and minimising become
// activation.
TEST_F(SdlWindowBackendTest, SystemKeysTextAndFocusBecomeTheirMessages)
{
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_LALT, KMOD_LALT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_X, KMOD_LALT);
    PushKey(SDL_KEYUP, SDL_SCANCODE_LALT);
    PushKey(SDL_KEYDOWN, SDL_SCANCODE_F10);
    PushText("a~");
    PushText("\xC3\xA9");
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    PushWindowEvent(SDL_WINDOWEVENT_MINIMIZED);
    PushWindowEvent(SDL_WINDOWEVENT_RESTORED);
    PushWindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    EXPECT_EQ(Pairs(Drain()), (std::vector<std::pair<uint32_t, WPARAM>>{
                                   {WM_SYSKEYDOWN, VK_MENU},
                                   {WM_SYSKEYDOWN, 'X'},
                                   {WM_SYSKEYUP, VK_MENU},
                                   {WM_SYSKEYDOWN, VK_F10},
                                   {WM_CHAR, WPARAM('a')},
                                   {WM_CHAR, WPARAM('~')},
                                   {WM_CHAR, WPARAM(0xE9)},
                                   {WM_ACTIVATE, MakeLong(WA_INACTIVE, 0)},
                                   {WM_ACTIVATE, MakeLong(WA_INACTIVE, 1)},
                                   {WM_ACTIVATE, MakeLong(WA_ACTIVE, 0)},
                                   {WM_ACTIVATE, MakeLong(WA_ACTIVE, 0)}}));
}

TEST_F(SdlWindowBackendTest, ExposureAsksForPaint)
{
    PushWindowEvent(SDL_WINDOWEVENT_EXPOSED);
    Message message;
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.message, WM_PAINT);
}

// The user's close comes as the close command, which an application may answer with a question; a quit
// request (a signal) closes the window without one. Either, through the default procedure, closes it once.
TEST_F(SdlWindowBackendTest, CloseAndQuitRequestsCloseTheWindowOnce)
{
    struct Case
    {
        const char* name;
        bool closeButton;
        bool quit;
        uint32_t first;
        WPARAM firstWParam;
    };
    const Case cases[] = {{"close button", true, false, WM_SYSCOMMAND, SC_CLOSE},
                          {"quit request", false, true, WM_CLOSE, 0},
                          {"close button, then quit request", true, true, WM_SYSCOMMAND, SC_CLOSE}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.closeButton)
            PushWindowEvent(SDL_WINDOWEVENT_CLOSE);
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        if (c.quit)
        {
            ASSERT_EQ(SDL_PushEvent(&quit), 1);
        }
        Message message;
        ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
        EXPECT_EQ(message.message, c.first);
        EXPECT_EQ(message.wParam, c.firstWParam);
        DispatchMessage(message);
        EXPECT_FALSE(IsWindow(m_Window));
        EXPECT_EQ(GetSdlWindowBackend().GetSdlWindow(m_Window), nullptr);
        // The second close request went with the window.
        EXPECT_FALSE(PeekMessage(message, PM_REMOVE));
        TearDown();
    }
}

TEST_F(SdlWindowBackendTest, ALostDisplayClosesTheWindowsOnceAndShutdownLeavesItAlone)
{
    struct Case
    {
        const char* name;
        bool lost;
    };
    for (const Case c : {Case{"display there", false}, Case{"display lost", true}})
    {
        SCOPED_TRACE(c.name);
        SetUp();
        const uint32_t id = SDL_GetWindowID(m_Native);
        DisplayConnection::_SetLost(c.lost);
        std::vector<Message> messages = Drain();
        EXPECT_EQ(messages.size(), c.lost ? 1u : 0u);
        if (c.lost)
        {
            EXPECT_EQ(messages[0].message, WM_CLOSE);
            EXPECT_EQ(messages[0].window, m_Window);
            EXPECT_TRUE(Drain().empty());
            EXPECT_EQ(GetSdlWindowBackend().GetSdlWindow(m_Window), nullptr);
        }
        EXPECT_EQ(GetSdlWindowBackend().IsLive(m_Native), !c.lost);

        DestroyWindow(m_Window);
        GetSdlWindowBackend().Shutdown();
        // A lost display is never spoken to again: its window and SDL's video stay as they were.
        EXPECT_EQ(SDL_GetWindowFromID(id) != nullptr, c.lost);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO) != 0, c.lost);
        DisplayConnection::_SetLost(false);
        if (c.lost)
        {
            SDL_DestroyWindow(m_Native);
            SDL_Quit();
        }
        TearDown();
    }
}

TEST_F(SdlWindowBackendTest, ADestroyedBackendLeavesSdlAlone)
{
    // The process's back end is a static destroyed after SDL has ended, or on a display that is gone.
    SDL_Window* native = nullptr;
    {
        SdlWindowBackend backend;
        SetWindowBackend(&backend);
        const WindowHandle window = CreateWindow(0, "SdlTestClass", "other", WS_OVERLAPPED, CW_USEDEFAULT, 0,
                                                 CW_USEDEFAULT, 0, nullptr, nullptr);
        native = backend.GetSdlWindow(window);
        SetWindowBackend(nullptr);
    }
    ASSERT_NE(native, nullptr);
    EXPECT_EQ(SDL_GetWindowFromID(SDL_GetWindowID(native)), native);
    SDL_DestroyWindow(native);
}

TEST_F(SdlWindowBackendTest, MouseBecomesMouseMessages)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = SDL_GetWindowID(m_Native);
    event.motion.x = 12;
    event.motion.y = 34;
    event.motion.state = SDL_BUTTON_LMASK;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    event = SDL_Event{};
    event.type = SDL_MOUSEBUTTONDOWN;
    event.button.windowID = SDL_GetWindowID(m_Native);
    event.button.button = SDL_BUTTON_RIGHT;
    event.button.x = 5;
    event.button.y = 6;
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    const std::vector<Message> messages = Drain();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].message, WM_MOUSEMOVE);
    EXPECT_EQ(messages[0].wParam & MK_LBUTTON, MK_LBUTTON);
    EXPECT_EQ(LoWord(messages[0].lParam), 12);
    EXPECT_EQ(HiWord(messages[0].lParam), 34);
    EXPECT_EQ(messages[1].message, WM_RBUTTONDOWN);
    EXPECT_EQ(LoWord(messages[1].lParam), 5);
    EXPECT_EQ(HiWord(messages[1].lParam), 6);
}

// The pointer stands where the last mouse message over the window put it, as the program reads it from them;
// once it leaves, the back end asks SDL again.
TEST_F(SdlWindowBackendTest, ThePointerIsWhereTheLastMouseEventPutIt)
{
    struct Case
    {
        uint32_t type;
        int x;
        int y;
    };
    for (const Case& step : {Case{SDL_MOUSEMOTION, 120, 80}, Case{SDL_MOUSEBUTTONDOWN, 121, 82},
                             Case{SDL_MOUSEMOTION, 300, 40}})
    {
        SDL_Event event{};
        event.type = step.type;
        if (step.type == SDL_MOUSEMOTION)
        {
            event.motion.windowID = SDL_GetWindowID(m_Native);
            event.motion.x = step.x;
            event.motion.y = step.y;
        }
        else
        {
            event.button.windowID = SDL_GetWindowID(m_Native);
            event.button.button = SDL_BUTTON_LEFT;
            event.button.x = step.x;
            event.button.y = step.y;
        }
        ASSERT_EQ(SDL_PushEvent(&event), 1);
        Drain();
        Point point;
        ASSERT_TRUE(GetCursorClientPosition(m_Window, point));
        EXPECT_EQ(point.x, step.x);
        EXPECT_EQ(point.y, step.y);
    }
    PushWindowEvent(SDL_WINDOWEVENT_LEAVE);
    Drain();
    // SDL itself saw no motion of a pointer: the stale place is not answered.
    Point point;
    ASSERT_TRUE(GetCursorClientPosition(m_Window, point));
    EXPECT_FALSE(point.x == 300 && point.y == 40);
}

TEST_F(SdlWindowBackendTest, MessageBoxWithoutDisplayGoesToStandardError)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBox(m_Window, "Something failed.", "Application Error", MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Application Error: Something failed.\n");
}

TEST(ScancodeToVirtualKey, MapsKeysByPositionToWindowsCodes)
{
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_A), 'A');
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_Z), 'Z');
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_0), '0');
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_9), '9');
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F1), VK_F1);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F12), VK_F1 + 11);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F13), VK_F1 + 12);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_F24), VK_F24);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_0), VK_NUMPAD0);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_9), VK_NUMPAD0 + 9);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_RCTRL), VK_CONTROL);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_KP_ENTER), VK_RETURN);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_PAUSE), VK_PAUSE);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_DELETE), VK_DELETE);
    EXPECT_EQ(ScancodeToVirtualKey(SDL_SCANCODE_UNKNOWN), 0u);
}
