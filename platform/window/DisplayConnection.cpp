#include "platform/window/DisplayConnection.h"

#include <X11/Xlib.h>

#include <atomic>
#include <csignal>
#include <unistd.h>

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

// GL reports requests on the dead connection as protocol errors, which would end the process too.
int OnProtocolError(Display* display, XErrorEvent* error)
{
    if (g_Lost.load() || g_PreviousErrorHandler == nullptr)
        return 0;
    return g_PreviousErrorHandler(display, error);
}

} // namespace

void DisplayConnection::TakeOver()
{
    XSetIOErrorHandler(&OnConnectionBroken);
}

void DisplayConnection::Watch(void* x11Display)
{
    auto* display = static_cast<Display*>(x11Display);
    g_Watched.store(display);
    if (display == nullptr)
        return;
    TakeOver();
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

void DisplayConnection::_SetLost(bool lost)
{
    g_Lost.store(lost);
    if (!lost)
        alarm(0);
}

} // namespace platform
