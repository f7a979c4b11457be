#include "platform/window/ScriptedWindowBackend.h"

namespace platform
{

ScriptedWindowBackend::ScriptedWindowBackend()
{
    _ResetWindowState();
    m_Previous = SetWindowBackend(this);
}

ScriptedWindowBackend::~ScriptedWindowBackend()
{
    _ResetWindowState();
    SetWindowBackend(m_Previous);
}

void ScriptedWindowBackend::Input(uint32_t message, WPARAM wParam, LPARAM lParam)
{
    Step step;
    step.message = Message{nullptr, message, wParam, lParam};
    m_Script.push_back(step);
}

void ScriptedWindowBackend::KeyDown(uint32_t virtualKey)
{
    Input(virtualKey == VK_MENU || virtualKey == VK_F10 ? WM_SYSKEYDOWN : WM_KEYDOWN, virtualKey, 1);
}

void ScriptedWindowBackend::KeyUp(uint32_t virtualKey)
{
    Input(virtualKey == VK_MENU || virtualKey == VK_F10 ? WM_SYSKEYUP : WM_KEYUP, virtualKey,
          static_cast<LPARAM>(static_cast<int32_t>(0xC0000001u)));
}

void ScriptedWindowBackend::Type(const std::string& text)
{
    for (const char c : text)
        Input(WM_CHAR, static_cast<unsigned char>(c), 1);
}

void ScriptedWindowBackend::Idle(int passes)
{
    for (int i = 0; i < passes; ++i)
    {
        Step step;
        step.idle = true;
        m_Script.push_back(step);
    }
}

WindowHandle ScriptedWindowBackend::FirstAliveWindow() const
{
    for (const WindowHandle window : m_Order)
        if (m_Natives.at(window).alive)
            return window;
    return nullptr;
}

bool ScriptedWindowBackend::CreateNativeWindow(WindowHandle window, const std::string& title,
                                               const Rect& frame)
{
    if (m_FailCreation)
        return false;
    m_Natives[window] = NativeWindow{title, frame, SW_HIDE, true};
    m_Order.push_back(window);
    return true;
}

void ScriptedWindowBackend::DestroyNativeWindow(WindowHandle window)
{
    const auto found = m_Natives.find(window);
    if (found != m_Natives.end())
        found->second.alive = false;
}

bool ScriptedWindowBackend::GetPointerPosition(WindowHandle window, Point& point)
{
    const auto found = m_Natives.find(window);
    if (found == m_Natives.end() || !found->second.alive || !m_PointerKnown)
        return false;
    point = Point{m_Pointer.x - found->second.frame.left, m_Pointer.y - found->second.frame.top};
    return true;
}

bool ScriptedWindowBackend::WarpPointer(WindowHandle window, const Point& point)
{
    const auto found = m_Natives.find(window);
    if (found == m_Natives.end() || !found->second.alive)
        return false;
    m_Pointer = Point{point.x + found->second.frame.left, point.y + found->second.frame.top};
    return true;
}

void ScriptedWindowBackend::MoveNativeWindow(WindowHandle window, const Rect& frame)
{
    const auto found = m_Natives.find(window);
    if (found != m_Natives.end())
        found->second.frame = frame;
}

void ScriptedWindowBackend::ShowNativeWindow(WindowHandle window, int command)
{
    const auto found = m_Natives.find(window);
    if (found != m_Natives.end())
        found->second.showCommand = command;
}

void ScriptedWindowBackend::PollEvents(bool nothingWaiting)
{
    while (!m_Script.empty())
    {
        Step& step = m_Script.front();
        if (step.idle)
        {
            // The idle step is used up by the pass that finds nothing waiting.
            if (nothingWaiting)
                m_Script.pop_front();
            return;
        }
        Message message = step.message;
        m_Script.pop_front();
        message.window = FirstAliveWindow();
        PostMessage(message.window, message.message, message.wParam, message.lParam);
        nothingWaiting = false;
    }
}

int ScriptedWindowBackend::ShowMessageBox(WindowHandle owner, const std::string& text,
                                          const std::string& caption, uint32_t type)
{
    m_MessageBoxes.push_back(MessageBoxRecord{owner, text, caption, type});
    return IDOK;
}

void ScriptedWindowBackend::SetCursorVisible(bool visible)
{
    m_CursorVisible = visible;
}

} // namespace platform
