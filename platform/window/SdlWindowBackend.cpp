#include "platform/window/SdlWindowBackend.h"

#include "platform/system/DebugOutput.h"
#include "platform/window/DisplayConnection.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform
{

namespace
{

// Decodes UTF-8 text input into code points; a malformed byte stands for itself.
template <typename Callback> void ForEachCodePoint(const char* text, Callback callback)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    size_t i = 0;
    const size_t length = std::strlen(text);
    while (i < length)
    {
        const unsigned char lead = bytes[i];
        int extra = 0;
        uint32_t codePoint = lead;
        if (lead >= 0xF0 && lead < 0xF8)
        {
            extra = 3;
            codePoint = lead & 0x07;
        }
        else if (lead >= 0xE0)
        {
            extra = 2;
            codePoint = lead & 0x0F;
        }
        else if (lead >= 0xC0)
        {
            extra = 1;
            codePoint = lead & 0x1F;
        }
        if (extra > 0 && i + extra < length)
        {
            bool valid = true;
            for (int k = 1; k <= extra; ++k)
                valid = valid && (bytes[i + k] & 0xC0) == 0x80;
            if (valid)
            {
                for (int k = 1; k <= extra; ++k)
                    codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
                callback(codePoint);
                i += extra + 1;
                continue;
            }
        }
        callback(static_cast<uint32_t>(lead));
        ++i;
    }
}

// Key-message LPARAM: repeat count 1, Alt context, previous state and transition bits.
LPARAM KeyLParam(bool altHeld, bool repeat, bool released)
{
    uint32_t value = 1;
    if (altHeld)
        value |= 1u << 29;
    if (repeat || released)
        value |= 1u << 30;
    if (released)
        value |= 1u << 31;
    return static_cast<LPARAM>(static_cast<int32_t>(value));
}

LPARAM PointLParam(int x, int y)
{
    return static_cast<LPARAM>(
        static_cast<int32_t>(MakeLong(static_cast<uint16_t>(x), static_cast<uint16_t>(y))));
}

WPARAM MouseFlags(uint32_t buttons)
{
    WPARAM flags = 0;
    if (buttons & SDL_BUTTON_LMASK)
        flags |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK)
        flags |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK)
        flags |= MK_MBUTTON;
    const SDL_Keymod mods = SDL_GetModState();
    if (mods & KMOD_SHIFT)
        flags |= MK_SHIFT;
    if (mods & KMOD_CTRL)
        flags |= MK_CONTROL;
    return flags;
}

// Drivers that draw nowhere: a message box there would never be seen.
bool DriverHasDisplay(const char* driver)
{
    return driver != nullptr && std::strcmp(driver, "dummy") != 0 && std::strcmp(driver, "offscreen") != 0;
}

constexpr uint32_t kDisplayRetryDelay = 500;

bool IsSet(const char* variable)
{
    const char* value = std::getenv(variable);
    return value != nullptr && *value != '\0';
}

// The display the windows must appear on, or empty: none is named, or the video driver was chosen by hand.
// A headless run draws offscreen but still takes its input through the window, so it needs the display too.
std::string NamedDisplay()
{
    if (IsSet("SDL_VIDEODRIVER"))
        return std::string();
    if (IsSet("DISPLAY"))
        return std::getenv("DISPLAY");
    return IsSet("WAYLAND_DISPLAY") ? std::getenv("WAYLAND_DISPLAY") : std::string();
}

uint32_t MessageBoxFlags(uint32_t type)
{
    switch (type & 0xF0)
    {
    case MB_ICONERROR:
        return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
        return SDL_MESSAGEBOX_WARNING;
    default:
        return SDL_MESSAGEBOX_INFORMATION;
    }
}

} // namespace

uint32_t ScancodeToVirtualKey(int scancode)
{
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + static_cast<uint32_t>(scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return VK_F1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return VK_F1 + 12 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return VK_NUMPAD0 + 1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_KP_1);

    switch (scancode)
    {
    case SDL_SCANCODE_0:
        return '0';
    case SDL_SCANCODE_KP_0:
        return VK_NUMPAD0;
    case SDL_SCANCODE_BACKSPACE:
        return VK_BACK;
    case SDL_SCANCODE_TAB:
        return VK_TAB;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
        return VK_RETURN;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT:
        return VK_SHIFT;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL:
        return VK_CONTROL;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT:
        return VK_MENU;
    case SDL_SCANCODE_PAUSE:
        return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK:
        return VK_CAPITAL;
    case SDL_SCANCODE_ESCAPE:
        return VK_ESCAPE;
    case SDL_SCANCODE_SPACE:
        return VK_SPACE;
    case SDL_SCANCODE_PAGEUP:
        return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN:
        return VK_NEXT;
    case SDL_SCANCODE_END:
        return VK_END;
    case SDL_SCANCODE_HOME:
        return VK_HOME;
    case SDL_SCANCODE_LEFT:
        return VK_LEFT;
    case SDL_SCANCODE_UP:
        return VK_UP;
    case SDL_SCANCODE_RIGHT:
        return VK_RIGHT;
    case SDL_SCANCODE_DOWN:
        return VK_DOWN;
    case SDL_SCANCODE_SELECT:
        return VK_SELECT;
    case SDL_SCANCODE_EXECUTE:
        return VK_EXECUTE;
    case SDL_SCANCODE_PRINTSCREEN:
        return VK_SNAPSHOT;
    case SDL_SCANCODE_INSERT:
        return VK_INSERT;
    case SDL_SCANCODE_DELETE:
        return VK_DELETE;
    case SDL_SCANCODE_HELP:
        return VK_HELP;
    case SDL_SCANCODE_LGUI:
        return VK_LWIN;
    case SDL_SCANCODE_RGUI:
        return VK_RWIN;
    case SDL_SCANCODE_APPLICATION:
        return VK_APPS;
    case SDL_SCANCODE_KP_MULTIPLY:
        return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS:
        return VK_ADD;
    case SDL_SCANCODE_KP_MINUS:
        return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD:
        return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE:
        return VK_DIVIDE;
    case SDL_SCANCODE_NUMLOCKCLEAR:
        return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK:
        return VK_SCROLL;
    case SDL_SCANCODE_SEMICOLON:
        return VK_OEM_1;
    case SDL_SCANCODE_EQUALS:
        return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA:
        return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS:
        return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD:
        return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH:
        return VK_OEM_2;
    case SDL_SCANCODE_GRAVE:
        return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET:
        return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH:
        return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET:
        return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE:
        return VK_OEM_7;
    default:
        return 0;
    }
}

SdlWindowBackend& GetSdlWindowBackend()
{
    static SdlWindowBackend backend;
    return backend;
}

void SdlWindowBackend::Shutdown()
{
    if (!DisplayConnection::IsLost())
        for (auto& entry : m_Windows)
            SDL_DestroyWindow(entry.second.window);
    m_Windows.clear();
    StopVideo();
    // SDL's own shutdown closes the display, which a lost connection cannot take.
    if (!DisplayConnection::IsLost())
        SDL_Quit();
}

bool SdlWindowBackend::StartVideo()
{
    if (m_VideoStarted)
        return true;
    if (DisplayConnection::IsLost())
        return false;
    DisplayConnection::TakeOver();
    // Closing the last window is the user's close request alone, not also a quit that could not be told
    // from a signal's.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The game cannot start without its window: the player is told why, not only a debugger.
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
    {
        std::fprintf(stderr, "The video system could not be started: %s\n", SDL_GetError());
        return false;
    }
    // SDL falls back to a driver that draws nowhere when the display named cannot be opened; the game
    // would then run unseen. A server still starting or too busy to take the connection gets one more try.
    const std::string display = NamedDisplay();
    if (!display.empty() && !DriverHasDisplay(SDL_GetCurrentVideoDriver()))
    {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Delay(kDisplayRetryDelay);
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 || !DriverHasDisplay(SDL_GetCurrentVideoDriver()))
        {
            if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
            std::fprintf(stderr, "The display \"%s\" could not be opened.\n", display.c_str());
            return false;
        }
    }
    m_VideoStarted = true;
    m_LossHandled = false;
    SDL_ShowCursor(m_CursorVisible ? SDL_ENABLE : SDL_DISABLE);
    // The native events, to learn of a window destroyed by another program.
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
    if (m_RelativeMouse)
        SDL_SetRelativeMouseMode(SDL_TRUE);
    return true;
}

void SdlWindowBackend::StopVideo()
{
    if (!m_VideoStarted)
        return;
    m_VideoStarted = false;
    if (DisplayConnection::IsLost())
        return;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    DisplayConnection::Watch(nullptr);
}

bool SdlWindowBackend::CreateNativeWindow(WindowHandle window, const std::string& title, const Rect& frame)
{
    if (!StartVideo())
        return false;
    // The game draws through OpenGL into this window; drivers without OpenGL still get a window.
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // The GL visual is chosen when the window is made, so the device's buffers are asked for here.
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_Window* native = SDL_CreateWindow(title.c_str(), frame.left, frame.top, width, height,
                                          SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
    if (native == nullptr)
        native = SDL_CreateWindow(title.c_str(), frame.left, frame.top, width, height, SDL_WINDOW_HIDDEN);
    if (native == nullptr)
    {
        std::fprintf(stderr, "The window could not be made: %s\n", SDL_GetError());
        if (m_Windows.empty())
            StopVideo();
        return false;
    }
    Native& entry = m_Windows[window];
    entry = Native{native, SDL_GetWindowID(native), false};
    SDL_StartTextInput();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(native, &info) == SDL_TRUE && info.subsystem == SDL_SYSWM_X11)
    {
        DisplayConnection::Watch(info.info.x11.display);
        entry.xWindow = static_cast<unsigned long>(info.info.x11.window);
        DisplayConnection::AddWindow(entry.xWindow);
    }
    return true;
}

void SdlWindowBackend::DestroyNativeWindow(WindowHandle window)
{
    const auto found = m_Windows.find(window);
    if (found == m_Windows.end())
        return;
    const bool lost = DisplayConnection::IsLost();
    if (!lost)
        SDL_DestroyWindow(found->second.window);
    // The requests that destroy a window destroyed elsewhere fail: their errors are awaited while the window
    // is still known.
    if (found->second.destroyedElsewhere)
        DisplayConnection::Sync();
    if (found->second.xWindow != 0)
        DisplayConnection::RemoveWindow(found->second.xWindow);
    m_Windows.erase(found);
    if (m_Windows.empty())
    {
        // Events already waiting belong to the windows just gone.
        if (!lost)
            SDL_StopTextInput();
        StopVideo();
    }
}

void SdlWindowBackend::MoveNativeWindow(WindowHandle window, const Rect& frame)
{
    const auto found = m_Windows.find(window);
    if (found == m_Windows.end() || DisplayConnection::IsLost())
        return;
    SDL_SetWindowSize(found->second.window, frame.right - frame.left, frame.bottom - frame.top);
    SDL_SetWindowPosition(found->second.window, frame.left, frame.top);
}

void SdlWindowBackend::ShowNativeWindow(WindowHandle window, int command)
{
    const auto found = m_Windows.find(window);
    if (found == m_Windows.end() || DisplayConnection::IsLost())
        return;
    SDL_Window* native = found->second.window;
    const DisplayConnection::WaitingCall waiting;
    switch (command)
    {
    case SW_HIDE:
        SDL_HideWindow(native);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        SDL_ShowWindow(native);
        SDL_MinimizeWindow(native);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(native);
        SDL_ShowWindow(native);
        break;
    default:
        SDL_ShowWindow(native);
        break;
    }
}

WindowHandle SdlWindowBackend::FindById(uint32_t id) const
{
    for (const auto& entry : m_Windows)
        if (entry.second.id == id)
            return entry.first;
    // Keyboard events without a window go to the first one.
    return m_Windows.empty() ? nullptr : m_Windows.begin()->first;
}

void SdlWindowBackend::PostActivate(WindowHandle window, uint32_t state)
{
    const auto found = m_Windows.find(window);
    const uint16_t minimised = (found != m_Windows.end() && found->second.minimised) ? 1 : 0;
    PostMessage(window, WM_ACTIVATE, MakeLong(static_cast<uint16_t>(state), minimised), 0);
}

void SdlWindowBackend::NotePointer(WindowHandle window, int x, int y)
{
    Native& native = m_Windows[window];
    native.pointerKnown = true;
    native.pointerX = x;
    native.pointerY = y;
}

void SdlWindowBackend::PollEvents(bool /*nothingWaiting*/)
{
    if (!m_VideoStarted)
        return;
    if (DisplayConnection::IsLost())
    {
        // The display is gone: the windows close as if the user closed them, once.
        if (!m_LossHandled)
            for (const auto& entry : m_Windows)
                PostMessage(entry.first, WM_CLOSE, 0, 0);
        m_LossHandled = true;
        return;
    }
    SDL_Event event;
    while (m_VideoStarted && SDL_PollEvent(&event) != 0)
        Translate(event);
    // A window another program destroyed closes as if the user closed it, once.
    for (auto& entry : m_Windows)
    {
        Native& native = entry.second;
        if (native.xWindow == 0 || native.destroyedElsewhere || !DisplayConnection::IsWindowDestroyed(native.xWindow))
            continue;
        native.destroyedElsewhere = true;
        DebugPrintf("[SdlWindowBackend::PollEvents] : the window was destroyed by another program\n");
        PostMessage(entry.first, WM_CLOSE, 0, 0);
    }
}

void SdlWindowBackend::Translate(const SDL_Event& event)
{
    switch (event.type)
    {
    case SDL_SYSWMEVENT:
        if (event.syswm.msg != nullptr && event.syswm.msg->subsystem == SDL_SYSWM_X11 &&
            event.syswm.msg->msg.x11.event.type == DestroyNotify)
            DisplayConnection::MarkDestroyed(event.syswm.msg->msg.x11.event.xdestroywindow.window);
        break;
    case SDL_QUIT:
        // A quit request (a signal, the session ending) closes every window the normal way, without asking.
        for (const auto& entry : m_Windows)
            PostMessage(entry.first, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT:
    {
        const WindowHandle window = FindById(event.window.windowID);
        if (window == nullptr)
            break;
        Native& native = m_Windows[window];
        switch (event.window.event)
        {
        case SDL_WINDOWEVENT_EXPOSED:
            InvalidateRect(window, nullptr);
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // The user's own close (the window manager's close button): the application may ask first.
            PostMessage(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            native.pointerKnown = false;
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            PostActivate(window, WA_ACTIVE);
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            PostActivate(window, WA_INACTIVE);
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            native.minimised = true;
            PostActivate(window, WA_INACTIVE);
            break;
        case SDL_WINDOWEVENT_RESTORED:
            native.minimised = false;
            PostActivate(window, WA_ACTIVE);
            break;
        default:
            break;
        }
        break;
    }
    case SDL_KEYDOWN:
    case SDL_KEYUP:
    {
        const uint32_t key = ScancodeToVirtualKey(event.key.keysym.scancode);
        const WindowHandle window = FindById(event.key.windowID);
        if (key == 0 || window == nullptr)
            break;
        const bool released = event.type == SDL_KEYUP;
        const bool altHeld = (event.key.keysym.mod & KMOD_ALT) != 0 || key == VK_MENU;
        // Windows reports keys pressed with Alt, and F10, as system keys.
        const bool system = altHeld || key == VK_F10;
        const uint32_t message =
            released ? (system ? WM_SYSKEYUP : WM_KEYUP) : (system ? WM_SYSKEYDOWN : WM_KEYDOWN);
        PostMessage(window, message, key, KeyLParam(altHeld && !released, event.key.repeat != 0, released));
        break;
    }
    case SDL_TEXTINPUT:
    {
        const WindowHandle window = FindById(event.text.windowID);
        if (window == nullptr)
            break;
        const SDL_Keymod mods = SDL_GetModState();
        const bool altOnly = (mods & KMOD_ALT) != 0 && (mods & KMOD_CTRL) == 0;
        const uint32_t message = altOnly ? WM_SYSCHAR : WM_CHAR;
        ForEachCodePoint(event.text.text, [&](uint32_t codePoint)
                         { PostMessage(window, message, codePoint, KeyLParam(altOnly, false, false)); });
        break;
    }
    case SDL_MOUSEMOTION:
    {
        const WindowHandle window = FindById(event.motion.windowID);
        if (window == nullptr)
            break;
        NotePointer(window, event.motion.x, event.motion.y);
        PostMessage(window, WM_MOUSEMOVE, MouseFlags(event.motion.state),
                    PointLParam(event.motion.x, event.motion.y));
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
    {
        const WindowHandle window = FindById(event.button.windowID);
        if (window == nullptr)
            break;
        const bool down = event.type == SDL_MOUSEBUTTONDOWN;
        uint32_t message = 0;
        switch (event.button.button)
        {
        case SDL_BUTTON_LEFT:
            message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            break;
        case SDL_BUTTON_RIGHT:
            message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP;
            break;
        case SDL_BUTTON_MIDDLE:
            message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP;
            break;
        default:
            return;
        }
        NotePointer(window, event.button.x, event.button.y);
        PostMessage(window, message, MouseFlags(SDL_GetMouseState(nullptr, nullptr)),
                    PointLParam(event.button.x, event.button.y));
        break;
    }
    case SDL_MOUSEWHEEL:
    {
        const WindowHandle window = FindById(event.wheel.windowID);
        if (window == nullptr || event.wheel.y == 0)
            break;
        int x = 0;
        int y = 0;
        const uint32_t buttons = SDL_GetMouseState(&x, &y);
        const int delta =
            (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y) * WHEEL_DELTA;
        PostMessage(window, WM_MOUSEWHEEL,
                    MakeLong(static_cast<uint16_t>(MouseFlags(buttons)),
                             static_cast<uint16_t>(static_cast<int16_t>(delta))),
                    PointLParam(x, y));
        break;
    }
    default:
        break;
    }
}

int SdlWindowBackend::ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                                     uint32_t type)
{
    bool hasDisplay = false;
    if (!DisplayConnection::IsLost())
        hasDisplay = m_VideoStarted
                         ? DriverHasDisplay(SDL_GetCurrentVideoDriver())
                         : (std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr);
    if (hasDisplay)
    {
        const auto found = m_Windows.find(owner);
        SDL_Window* parent = found != m_Windows.end() ? found->second.window : nullptr;
        if (SDL_ShowSimpleMessageBox(MessageBoxFlags(type), caption.c_str(), text.c_str(), parent) == 0)
            return IDOK;
    }
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return IDOK;
}

bool SdlWindowBackend::GetPointerPosition(WindowHandle window, Point& point)
{
    const auto found = m_Windows.find(window);
    if (found == m_Windows.end() || found->second.window == nullptr || DisplayConnection::IsLost())
        return false;
    // Asking X about a window another program destroyed fails with an error that would end the process.
    const Native& native = found->second;
    if (native.destroyedElsewhere || (native.xWindow != 0 && DisplayConnection::IsWindowDestroyed(native.xWindow)))
        return false;
    // The position the messages just handed out carry, as a Windows program reads it from them.
    if (native.pointerKnown)
    {
        point = Point{native.pointerX, native.pointerY};
        return true;
    }
    int x = 0;
    int y = 0;
    // Over our window SDL already answers in its client coordinates; elsewhere the desktop position is
    // moved by the window's.
    if (SDL_GetMouseFocus() == found->second.window)
        SDL_GetMouseState(&x, &y);
    else
    {
        int left = 0;
        int top = 0;
        SDL_GetGlobalMouseState(&x, &y);
        SDL_GetWindowPosition(found->second.window, &left, &top);
        x -= left;
        y -= top;
    }
    point = Point{x, y};
    return true;
}

void SdlWindowBackend::SetCursorVisible(bool visible)
{
    m_CursorVisible = visible;
    if (m_VideoStarted && !DisplayConnection::IsLost())
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

void SdlWindowBackend::SetRelativeMouse(bool on)
{
    m_RelativeMouse = on;
    if (m_VideoStarted && !DisplayConnection::IsLost())
        SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE);
}

bool SdlWindowBackend::WarpPointer(WindowHandle window, const Point& point)
{
    SDL_Window* native = GetSdlWindow(window);
    if (native == nullptr)
        return false;
    SDL_WarpMouseInWindow(native, point.x, point.y);
    // The pointer is there from now on, before the motion the warp may report arrives.
    NotePointer(window, point.x, point.y);
    return true;
}

SDL_Window* SdlWindowBackend::GetSdlWindow(WindowHandle window) const
{
    const auto found = m_Windows.find(window);
    return found != m_Windows.end() && !DisplayConnection::IsLost() ? found->second.window : nullptr;
}

bool SdlWindowBackend::IsLive(const SDL_Window* window) const
{
    if (window == nullptr || DisplayConnection::IsLost())
        return false;
    for (const auto& entry : m_Windows)
        if (entry.second.window == window)
            return true;
    return false;
}

} // namespace platform
