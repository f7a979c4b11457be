#pragma once

#include "platform/window/WindowBackend.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace platform
{

// A window back end driven by a script, for tests. Installs itself for its lifetime with a fresh window state
// and restores the previous back end afterwards. Scripted messages arrive in order; an idle step holds the
// rest back until one pass of the message loop finds nothing waiting (no message, quit or paint request).
class ScriptedWindowBackend : public WindowBackend
{
public:
    struct MessageBoxRecord
    {
        WindowHandle owner = nullptr;
        std::string text;
        std::string caption;
        uint32_t type = 0;
    };

    struct NativeWindow
    {
        std::string title;
        Rect frame;
        int showCommand = SW_HIDE;
        bool alive = true;
    };

    ScriptedWindowBackend();
    ~ScriptedWindowBackend() override;
    ScriptedWindowBackend(const ScriptedWindowBackend&) = delete;
    ScriptedWindowBackend& operator=(const ScriptedWindowBackend&) = delete;

    // A message for the first window alive when it arrives (or for no window when none is).
    void Input(uint32_t message, WPARAM wParam = 0, LPARAM lParam = 0);
    // A key press as Windows reports it: down (WM_SYSKEYDOWN for Alt and F10), then up.
    void KeyDown(uint32_t virtualKey);
    void KeyUp(uint32_t virtualKey);
    // One WM_CHAR per character.
    void Type(const std::string& text);
    void Idle(int passes = 1);
    // Where the pointer stands on the screen; client positions count from the window's frame.
    void SetPointer(int32_t x, int32_t y) { m_Pointer = Point{x, y}; }
    // Off: the system cannot say where its pointer is (as over another program's window on some systems).
    void SetPointerKnown(bool known) { m_PointerKnown = known; }
    bool ScriptDone() const { return m_Script.empty(); }

    void FailWindowCreation(bool fail) { m_FailCreation = fail; }

    const std::vector<MessageBoxRecord>& MessageBoxes() const { return m_MessageBoxes; }
    const std::map<WindowHandle, NativeWindow>& NativeWindows() const { return m_Natives; }
    bool CursorVisible() const { return m_CursorVisible; }
    bool RelativeMouse() const { return m_RelativeMouse; }

    bool CreateNativeWindow(WindowHandle window, const std::string& title, const Rect& frame) override;
    void DestroyNativeWindow(WindowHandle window) override;
    bool GetPointerPosition(WindowHandle window, Point& point) override;
    void MoveNativeWindow(WindowHandle window, const Rect& frame) override;
    void ShowNativeWindow(WindowHandle window, int command) override;
    void PollEvents(bool nothingWaiting) override;
    int ShowMessageBox(WindowHandle owner, const std::string& text, const std::string& caption,
                       uint32_t type) override;
    void SetCursorVisible(bool visible) override;
    void SetRelativeMouse(bool on) override { m_RelativeMouse = on; }
    bool WarpPointer(WindowHandle window, const Point& point) override;

private:
    struct Step
    {
        bool idle = false;
        Message message;
    };

    WindowHandle FirstAliveWindow() const;

    WindowBackend* m_Previous = nullptr;
    std::deque<Step> m_Script;
    std::vector<WindowHandle> m_Order;
    std::map<WindowHandle, NativeWindow> m_Natives;
    std::vector<MessageBoxRecord> m_MessageBoxes;
    bool m_FailCreation = false;
    bool m_CursorVisible = true;
    bool m_RelativeMouse = false;
    Point m_Pointer;
    bool m_PointerKnown = true;
};

} // namespace platform
