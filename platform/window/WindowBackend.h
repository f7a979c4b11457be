#pragma once

#include "platform/window/Window.h"

#include <string>

namespace platform
{

// The native side of the window interface: real windows and their events, or a script.
class WindowBackend
{
public:
    virtual ~WindowBackend() = default;

    virtual bool CreateNativeWindow(WindowHandle window, const std::string& title, const Rect& frame) = 0;
    virtual void DestroyNativeWindow(WindowHandle window) = 0;
    // The pointer's position in the window's client area (it may lie outside); false when unknown.
    virtual bool GetPointerPosition(WindowHandle window, Point& point) = 0;
    virtual void MoveNativeWindow(WindowHandle window, const Rect& frame) = 0;
    // Command as ShowWindow's.
    virtual void ShowNativeWindow(WindowHandle window, int command) = 0;
    // Posts the messages of the native events that arrived since the last call. `nothingWaiting` is true when
    // no message, quit or paint request is pending, so that the caller would find nothing.
    virtual void PollEvents(bool nothingWaiting) = 0;
    virtual int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                               uint32_t type) = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual void SetRelativeMouse(bool on) = 0;
    // Puts the pointer at a point of the window's client area.
    virtual bool WarpPointer(WindowHandle window, const Point& point) = 0;
};

// The installed back end: the SDL one unless a test installed another.
WindowBackend& GetWindowBackend();

// Installs a back end (not owned); nullptr restores the SDL one. Returns the one it replaces (null for SDL).
WindowBackend* SetWindowBackend(WindowBackend* backend);

} // namespace platform
