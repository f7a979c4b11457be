#pragma once

#include "platform/window/WindowBackend.h"

#include <cstdint>
#include <map>

struct SDL_Window;
union SDL_Event;

namespace platform
{

// Windows made with SDL2. Native events become the messages a Windows program expects: keys with
// virtual-key codes (WM_SYSKEY* while Alt is held, and for F10), characters from text input, mouse,
// activation, paint requests, the user's close requests (WM_SYSCOMMAND with SC_CLOSE, which the application
// may answer with a question) and quit requests such as a signal's (WM_CLOSE, which it may not). Message
// boxes are SDL's when a display exists, else a line on stderr. Once the display is lost (DisplayConnection)
// no call reaches SDL's video again: the windows get WM_CLOSE and are then forgotten without a word to the
// display. A window another program destroys gets WM_CLOSE the same way. A display named by DISPLAY or
// WAYLAND_DISPLAY that cannot be opened makes no window (with a line on stderr) rather than one on a driver
// that draws nowhere, unless a video driver was chosen by hand; a headless run (TARVOLIN_GFX_HEADLESS) is no
// exception.
class SdlWindowBackend : public WindowBackend
{
public:
    SdlWindowBackend() = default;
    // Calls nothing: the process's back end is a static that outlives SDL, which Shutdown ends.
    ~SdlWindowBackend() override = default;
    SdlWindowBackend(const SdlWindowBackend&) = delete;
    SdlWindowBackend& operator=(const SdlWindowBackend&) = delete;

    bool CreateNativeWindow(WindowHandle window, const std::string& title, const Rect& frame) override;
    void DestroyNativeWindow(WindowHandle window) override;
    bool GetPointerPosition(WindowHandle window, Point& point) override;
    void MoveNativeWindow(WindowHandle window, const Rect& frame) override;
    void ShowNativeWindow(WindowHandle window, int command) override;
    void PollEvents(bool nothingWaiting) override;
    int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       uint32_t type) override;
    void SetCursorVisible(bool visible) override;
    // Kept until video starts when asked before.
    void SetRelativeMouse(bool on) override;
    bool WarpPointer(WindowHandle window, const Point& point) override;

    // The SDL window behind a handle, for the graphics back end; null when there is none or the display is
    // lost.
    SDL_Window* GetSdlWindow(WindowHandle window) const;
    // True while the SDL window is one of ours on a display still there: only then may it be drawn to.
    bool IsLive(const SDL_Window* window) const;

    // Destroys the windows left and shuts SDL down; after the display was lost, only forgets them. The
    // program calls it once its application has shut down; video starts again with the next window.
    void Shutdown();

private:
    struct Native
    {
        SDL_Window* window = nullptr;
        uint32_t id = 0;
        bool minimised = false;
        // The X window behind it (0 on other drivers), and whether another program destroyed it.
        unsigned long xWindow = 0;
        bool destroyedElsewhere = false;
        // Where the last mouse event over the window put the pointer, until the pointer leaves it.
        bool pointerKnown = false;
        int pointerX = 0;
        int pointerY = 0;
    };

    bool StartVideo();
    void StopVideo();
    void Translate(const SDL_Event& event);
    WindowHandle FindById(uint32_t id) const;
    void PostActivate(WindowHandle window, uint32_t state);
    void NotePointer(WindowHandle window, int x, int y);

    std::map<WindowHandle, Native> m_Windows;
    bool m_VideoStarted = false;
    bool m_LossHandled = false;
    bool m_CursorVisible = true;
    bool m_RelativeMouse = false;
};

// The process's SDL back end.
SdlWindowBackend& GetSdlWindowBackend();

// The Windows virtual-key code of an SDL scan code; 0 for keys without one.
uint32_t ScancodeToVirtualKey(int scancode);

} // namespace platform
