#include "platform/window/DisplayConnection.h"

#include <X11/Xlib.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <mutex>
#include <unistd.h>
#include <vector>

namespace platform
{

namespace
{

std::atomic<Display*> g_Watched{nullptr};
std::atomic<bool> g_Lost{false};
std::atomic<int> g_WaitingCalls{0};

// Only async-signal-safe calls here: the watchdog runs as a signal handler.
void Say(const char* text)
{
    size_t length = 0;
    while (text[length] != '\0')
        ++length;
    while (length > 0)
    {
        const ssize_t written = write(STDERR_FILENO, text, length);
        if (written <= 0)
            return;
        text += written;
        length -= static_cast<size_t>(written);
    }
}

void OnShutdownTooSlow(int)
{
    Say("The display connection was lost and the shutdown did not finish in time: exiting.\n");
    _exit(1);
}

// The shutdown that follows a lost display runs without a display; should anything still wait on it, the
// alarm ends the process.
void ArmWatchdog()
{
    struct sigaction action = {};
    action.sa_handler = &OnShutdownTooSlow;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    alarm(DisplayConnection::kSecondsToFinish);
}

int OnConnectionBroken(Display* display)
{
    if (display == nullptr || display != g_Watched.load() || g_WaitingCalls.load() > 0)
    {
        Say("The connection to the X display was lost: exiting.\n");
        _exit(1);
    }
    if (!g_Lost.exchange(true))
    {
        Say("The connection to the X display was lost: shutting down.\n");
        ArmWatchdog();
    }
    return 0;
}

// Called after the handler above; returning leaves the connection marked broken, so Xlib calls on it fail
// at once instead of ending the process.
void KeepRunning(Display*, void*) {}

XErrorHandler g_PreviousErrorHandler = nullptr;

struct OwnWindow
{
    unsigned long id = 0;
    bool destroyed = false;
};

std::mutex g_WindowsLock;
std::vector<OwnWindow> g_Windows;

// Called with the lock held.
void Forget(unsigned long id)
{
    g_Windows.erase(std::remove_if(g_Windows.begin(), g_Windows.end(),
                                   [id](const OwnWindow& window) { return window.id == id; }),
                    g_Windows.end());
}

// The GLX extension's first error code on the watched display, or -1 without the extension. Swapping a
// destroyed window's buffers fails with GLX's own drawable errors rather than the core ones.
std::atomic<int> g_GlxErrorBase{-1};
constexpr int kGlxBadDrawable = 2;
constexpr int kGlxBadCurrentWindow = 5;
constexpr int kGlxBadCurrentDrawable = 11;
constexpr int kGlxBadWindow = 12;

bool IsWindowError(int code)
{
    if (code == BadWindow || code == BadDrawable)
        return true;
    const int base = g_GlxErrorBase.load();
    if (base < 0)
        return false;
    const int glx = code - base;
    return glx == kGlxBadDrawable || glx == kGlxBadCurrentWindow || glx == kGlxBadCurrentDrawable ||
           glx == kGlxBadWindow;
}

// True when the error says one of our windows no longer exists; the window is marked destroyed.
bool IsAboutDestroyedWindow(const XErrorEvent& error)
{
    if (!IsWindowError(error.error_code))
        return false;
    const std::lock_guard<std::mutex> lock(g_WindowsLock);
    for (OwnWindow& window : g_Windows)
        if (window.id == error.resourceid)
        {
            window.destroyed = true;
            return true;
        }
    // Once one of our windows is gone, SDL's own handling of the events that were still queued for it asks
    // about windows that no longer exist (the window itself, None, its last parent); the game is closing and
    // those requests fail harmlessly.
    for (const OwnWindow& window : g_Windows)
        if (window.destroyed)
            return true;
    return false;
}

// GL reports requests on the dead connection as protocol errors, which would end the process too; so
// would drawing into a window another program destroyed.
int OnProtocolError(Display* display, XErrorEvent* error)
{
    if (g_Lost.load() || g_PreviousErrorHandler == nullptr)
        return 0;
    if (error != nullptr && IsAboutDestroyedWindow(*error))
        return 0;
    return g_PreviousErrorHandler(display, error);
}

} // namespace

void DisplayConnection::TakeOver()
{
    // Writing to a server that died raises SIGPIPE, which would end the process before Xlib reports the
    // broken connection to the handler below.
    std::signal(SIGPIPE, SIG_IGN);
    XSetIOErrorHandler(&OnConnectionBroken);
}

void DisplayConnection::Watch(void* x11Display)
{
    auto* display = static_cast<Display*>(x11Display);
    g_Watched.store(display);
    if (display == nullptr)
        return;
    TakeOver();
    int opcode = 0;
    int firstEvent = 0;
    int firstError = 0;
    g_GlxErrorBase.store(XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError) ? firstError : -1);
    XSetIOErrorExitHandler(display, &KeepRunning, nullptr);
    const XErrorHandler previous = XSetErrorHandler(&OnProtocolError);
    if (previous != &OnProtocolError)
        g_PreviousErrorHandler = previous;
}

DisplayConnection::WaitingCall::WaitingCall()
{
    ++g_WaitingCalls;
}

DisplayConnection::WaitingCall::~WaitingCall()
{
    --g_WaitingCalls;
}

bool DisplayConnection::IsLost()
{
    return g_Lost.load();
}

void DisplayConnection::AddWindow(unsigned long xWindow)
{
    const std::lock_guard<std::mutex> lock(g_WindowsLock);
    // An id the server hands out again is a new window.
    Forget(xWindow);
    g_Windows.push_back(OwnWindow{xWindow, false});
}

void DisplayConnection::RemoveWindow(unsigned long xWindow)
{
    const std::lock_guard<std::mutex> lock(g_WindowsLock);
    Forget(xWindow);
}

bool DisplayConnection::IsWindowDestroyed(unsigned long xWindow)
{
    const std::lock_guard<std::mutex> lock(g_WindowsLock);
    for (const OwnWindow& window : g_Windows)
        if (window.id == xWindow)
            return window.destroyed;
    return false;
}

void DisplayConnection::Sync()
{
    Display* display = g_Watched.load();
    if (display != nullptr && !g_Lost.load())
        XSync(display, False);
}

void DisplayConnection::MarkDestroyed(unsigned long xWindow)
{
    const std::lock_guard<std::mutex> lock(g_WindowsLock);
    for (OwnWindow& window : g_Windows)
        if (window.id == xWindow)
            window.destroyed = true;
}

void DisplayConnection::_SetLost(bool lost)
{
    g_Lost.store(lost);
    if (!lost)
        alarm(0);
}

} // namespace platform
