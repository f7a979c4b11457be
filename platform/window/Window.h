#pragma once

#include "platform/window/Rect.h"
#include "platform/window/WindowConstants.h"

#include <cstdint>
#include <string>

// Windows, the message queue, message boxes and the cursor. The calls keep the shape and the semantics of the
// Windows originals the engine was written against; a back end (WindowBackend) supplies the native windows
// and turns the native events into queued messages.
namespace platform
{

struct WindowObject;
using WindowHandle = WindowObject*;
struct ModuleObject;
using InstanceHandle = ModuleObject*;

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;

using WindowProcedure = LRESULT (*)(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam);

struct Message
{
    WindowHandle window = nullptr;
    uint32_t message = WM_NULL;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

struct WindowClass
{
    uint32_t style = 0;
    WindowProcedure procedure = nullptr;
    InstanceHandle instance = nullptr;
    // Names the icon resource; we have no resources, so the name is only kept.
    std::string iconName;
    int cursor = IDC_ARROW;
    int background = BLACK_BRUSH;
    std::string className;
};

constexpr uint16_t LoWord(uintptr_t value)
{
    return static_cast<uint16_t>(value & 0xFFFF);
}

constexpr uint16_t HiWord(uintptr_t value)
{
    return static_cast<uint16_t>((value >> 16) & 0xFFFF);
}

constexpr uintptr_t MakeLong(uint16_t low, uint16_t high)
{
    return static_cast<uintptr_t>(low) | (static_cast<uintptr_t>(high) << 16);
}

// Returns the class atom, or 0 when the name is empty or already registered.
uint16_t RegisterClass(const WindowClass& windowClass);

// Null when the class is unknown or the back end cannot make the window. The window starts hidden.
WindowHandle CreateWindow(uint32_t exStyle, const std::string& className, const std::string& title,
                          uint32_t style, int x, int y, int width, int height, WindowHandle parent,
                          InstanceHandle instance);

// Sends WM_DESTROY while the window still exists, then removes it and drops its queued messages.
bool DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);

// Grows a client rectangle to the window rectangle of the style. Our windows have no frame of their own
// (the native system decorates them outside the client area), so the rectangle is kept.
bool AdjustWindowRect(Rect& rect, uint32_t style, bool hasMenu, uint32_t exStyle);
bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint);
bool GetWindowRect(WindowHandle window, Rect& rect);
bool GetClientRect(WindowHandle window, Rect& rect);
bool ShowWindow(WindowHandle window, int command);
// Sends WM_PAINT at once when the window needs painting.
bool UpdateWindow(WindowHandle window);
// Painting is pending until validated; a null rectangle means the whole client area.
bool InvalidateRect(WindowHandle window, const Rect* rect);
bool ValidateRect(WindowHandle window, const Rect* rect);

// Takes the next message: posted and input messages in order, then WM_QUIT, then WM_PAINT for a window that
// needs painting. WM_PAINT stays pending until the window is validated.
bool PeekMessage(Message& message, uint32_t removeFlags);
// Whether a message of that id waits in the queue (WM_QUIT: whether a quit was posted), after taking the
// native events that arrived; nothing is removed. For loops that must notice a quit without handling
// the messages before it.
bool IsMessageWaiting(uint32_t message);
// Posts the control characters that keys produce (Backspace, Tab, Enter, Escape); printable characters
// arrive from the back end's text input.
bool TranslateMessage(const Message& message);
LRESULT DispatchMessage(const Message& message);
LRESULT SendMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam);
bool PostMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);
// A close command (WM_SYSCOMMAND with SC_CLOSE) sends WM_CLOSE; WM_CLOSE destroys the window; WM_PAINT
// validates it; everything else gives 0.
LRESULT DefWindowProc(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam);

int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t type);

// The system pointer's position in the client coordinates of the window (GetCursorPos, then ScreenToClient);
// false, with the point at 0, 0, for a window that does not exist or a pointer the system cannot place.
bool GetCursorClientPosition(WindowHandle window, Point& point);

// Puts the system pointer at a point of the window's client area (ClientToScreen, then SetCursorPos); false
// for a window that does not exist.
bool SetCursorClientPosition(WindowHandle window, const Point& point);

// Display counter: the cursor shows while it is 0 or above. Returns the new count.
int ShowCursor(bool show);

// While on, the pointer is held in the window and the mouse reports movement without bounds (a view steered
// by the mouse while no pointer shows); off, the pointer moves freely and positions are the pointer's.
void SetRelativeMouseMode(bool on);

// Forgets every class, window and queued message (tests only).
void _ResetWindowState();

} // namespace platform
