#include "platform/window/Window.h"

#include "platform/window/SdlWindowBackend.h"
#include "platform/window/WindowBackend.h"

#include <algorithm>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace platform
{

struct WindowObject
{
    WindowProcedure procedure = nullptr;
    std::string className;
    std::string title;
    Rect frame;
    bool alive = true;
    bool destroying = false;
    bool visible = false;
    bool needsPaint = false;
};

namespace
{

// Size of a window created with CW_USEDEFAULT for its width.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

struct WindowState
{
    std::map<std::string, WindowClass> classes;
    uint16_t nextAtom = 0xC000;
    // Destroyed windows stay listed (not alive) so that a stale handle is recognised, never reused.
    std::vector<std::unique_ptr<WindowObject>> windows;
    std::deque<Message> queue;
    bool quitPosted = false;
    int quitCode = 0;
    int cursorCount = 0;
};

WindowState& State()
{
    static WindowState state;
    return state;
}

WindowBackend* g_Backend = nullptr;

WindowObject* FindAlive(WindowHandle window)
{
    if (window == nullptr)
        return nullptr;
    for (const auto& object : State().windows)
        if (object.get() == window)
            return object->alive ? object.get() : nullptr;
    return nullptr;
}

WindowObject* FindPaintRequest()
{
    for (const auto& object : State().windows)
        if (object->alive && object->needsPaint)
            return object.get();
    return nullptr;
}

} // namespace

WindowBackend& GetWindowBackend()
{
    return g_Backend != nullptr ? *g_Backend : GetSdlWindowBackend();
}

WindowBackend* SetWindowBackend(WindowBackend* backend)
{
    WindowBackend* previous = g_Backend;
    g_Backend = backend;
    return previous;
}

uint16_t RegisterClass(const WindowClass& windowClass)
{
    WindowState& state = State();
    if (windowClass.className.empty() || state.classes.count(windowClass.className) != 0)
        return 0;
    state.classes[windowClass.className] = windowClass;
    return state.nextAtom++;
}

WindowHandle CreateWindow(uint32_t /*exStyle*/, const std::string& className, const std::string& title,
                          uint32_t /*style*/, int x, int y, int width, int height, WindowHandle /*parent*/,
                          InstanceHandle /*instance*/)
{
    WindowState& state = State();
    const auto found = state.classes.find(className);
    if (found == state.classes.end())
        return nullptr;

    if (x == CW_USEDEFAULT)
        x = y = 0;
    if (width == CW_USEDEFAULT)
    {
        width = kDefaultWidth;
        height = kDefaultHeight;
    }

    auto object = std::make_unique<WindowObject>();
    object->procedure = found->second.procedure;
    object->className = className;
    object->title = title;
    object->frame = Rect{x, y, x + width, y + height};
    WindowHandle handle = object.get();
    state.windows.push_back(std::move(object));
    if (!GetWindowBackend().CreateNativeWindow(handle, title, handle->frame))
    {
        state.windows.pop_back();
        return nullptr;
    }
    return handle;
}

bool DestroyWindow(WindowHandle window)
{
    WindowObject* object = FindAlive(window);
    if (object == nullptr || object->destroying)
        return false;
    object->destroying = true;
    SendMessage(window, WM_DESTROY, 0, 0);
    GetWindowBackend().DestroyNativeWindow(window);
    object->alive = false;
    object->needsPaint = false;
    std::deque<Message>& queue = State().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [window](const Message& message) { return message.window == window; }),
                queue.end());
    return true;
}

bool IsWindow(WindowHandle window)
{
    return FindAlive(window) != nullptr;
}

bool AdjustWindowRect(Rect& /*rect*/, uint32_t /*style*/, bool /*hasMenu*/, uint32_t /*exStyle*/)
{
    return true;
}

bool MoveWindow(WindowHandle window, int x, int y, int width, int height, bool repaint)
{
    WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    object->frame = Rect{x, y, x + width, y + height};
    GetWindowBackend().MoveNativeWindow(window, object->frame);
    if (repaint && object->visible)
        object->needsPaint = true;
    return true;
}

bool GetWindowRect(WindowHandle window, Rect& rect)
{
    const WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    rect = object->frame;
    return true;
}

bool GetClientRect(WindowHandle window, Rect& rect)
{
    const WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    rect = Rect{0, 0, object->frame.right - object->frame.left, object->frame.bottom - object->frame.top};
    return true;
}

bool ShowWindow(WindowHandle window, int command)
{
    WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    const bool wasVisible = object->visible;
    object->visible = command != SW_HIDE;
    if (object->visible && !wasVisible)
        object->needsPaint = true;
    GetWindowBackend().ShowNativeWindow(window, command);
    return wasVisible;
}

bool UpdateWindow(WindowHandle window)
{
    const WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    if (object->needsPaint)
        SendMessage(window, WM_PAINT, 0, 0);
    return true;
}

bool InvalidateRect(WindowHandle window, const Rect* /*rect*/)
{
    WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    object->needsPaint = true;
    return true;
}

bool ValidateRect(WindowHandle window, const Rect* /*rect*/)
{
    WindowObject* object = FindAlive(window);
    if (object == nullptr)
        return false;
    object->needsPaint = false;
    return true;
}

bool PeekMessage(Message& message, uint32_t removeFlags)
{
    WindowState& state = State();
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    GetWindowBackend().PollEvents(state.queue.empty() && !state.quitPosted && FindPaintRequest() == nullptr);

    if (!state.queue.empty())
    {
        message = state.queue.front();
        if (remove)
            state.queue.pop_front();
        return true;
    }
    if (state.quitPosted)
    {
        message = Message{nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0};
        if (remove)
            state.quitPosted = false;
        return true;
    }
    if (WindowObject* painted = FindPaintRequest())
    {
        message = Message{painted, WM_PAINT, 0, 0};
        return true;
    }
    message = Message{};
    return false;
}

bool IsMessageWaiting(uint32_t message)
{
    WindowState& state = State();
    GetWindowBackend().PollEvents(false);
    if (message == WM_QUIT)
        return state.quitPosted;
    for (const Message& waiting : state.queue)
        if (waiting.message == message)
            return true;
    return false;
}

bool TranslateMessage(const Message& message)
{
    if (message.message != WM_KEYDOWN)
        return false;
    switch (message.wParam)
    {
    case VK_BACK:
    case VK_TAB:
    case VK_RETURN:
    case VK_ESCAPE:
        State().queue.push_front(Message{message.window, WM_CHAR, message.wParam, message.lParam});
        return true;
    default:
        return false;
    }
}

LRESULT DispatchMessage(const Message& message)
{
    return SendMessage(message.window, message.message, message.wParam, message.lParam);
}

LRESULT SendMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    const WindowObject* object = FindAlive(window);
    if (object == nullptr || object->procedure == nullptr)
        return 0;
    return object->procedure(window, message, wParam, lParam);
}

bool PostMessage(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (window != nullptr && !IsWindow(window))
        return false;
    State().queue.push_back(Message{window, message, wParam, lParam});
    return true;
}

void PostQuitMessage(int exitCode)
{
    State().quitPosted = true;
    State().quitCode = exitCode;
}

LRESULT DefWindowProc(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM /*lParam*/)
{
    switch (message)
    {
    case WM_SYSCOMMAND:
        if ((wParam & SC_COMMAND_MASK) == SC_CLOSE)
            SendMessage(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    default:
        return 0;
    }
}

int MessageBox(WindowHandle owner, const std::string& text, const std::string& caption, uint32_t type)
{
    return GetWindowBackend().ShowMessageBox(FindAlive(owner), text, caption, type);
}

bool GetCursorClientPosition(WindowHandle window, Point& point)
{
    point = Point{};
    const WindowHandle alive = FindAlive(window);
    if (alive == nullptr || !GetWindowBackend().GetPointerPosition(alive, point))
    {
        point = Point{};
        return false;
    }
    return true;
}

bool SetCursorClientPosition(WindowHandle window, const Point& point)
{
    const WindowHandle alive = FindAlive(window);
    return alive != nullptr && GetWindowBackend().WarpPointer(alive, point);
}

int ShowCursor(bool show)
{
    WindowState& state = State();
    state.cursorCount += show ? 1 : -1;
    GetWindowBackend().SetCursorVisible(state.cursorCount >= 0);
    return state.cursorCount;
}

void SetRelativeMouseMode(bool on)
{
    GetWindowBackend().SetRelativeMouse(on);
}

void _ResetWindowState()
{
    WindowState& state = State();
    for (const auto& object : state.windows)
        if (object->alive)
            GetWindowBackend().DestroyNativeWindow(object.get());
    state = WindowState();
}

} // namespace platform
