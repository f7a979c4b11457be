#pragma once

namespace platform
{

// The X connection the game's windows live on. By default Xlib ends the process from inside whichever call
// finds the connection broken; the static destructors that then run would wait on the dead connection for
// ever. A watched connection that breaks is marked lost instead and the call returns: from then on nothing
// may touch SDL's video, the GL window context or Xlib, and the window back end closes its windows the
// normal way. A broken connection that is not watched ends the process at once with a line on stderr. A window
// of ours destroyed by another program is noticed the same quiet way (AddWindow).
class DisplayConnection
{
public:
    // How long the process may take to finish once the connection broke, before it is ended with code 1.
    static constexpr unsigned kSecondsToFinish = 3;

    // Takes over Xlib's fatal-error handling for the process: until a display is watched, a broken connection
    // ends the process at once.
    static void TakeOver();
    // Watches `x11Display` (a Display*): its loss marks the display lost, and the X errors that follow the
    // loss are ignored instead of ending the process. Null watches nothing (the display was closed).
    static void Watch(void* x11Display);
    static bool IsLost();

    // Our windows on the watched display, by X window id. Another program may destroy one: the requests that
    // then fail on it (drawing, input selection) report "bad window" errors, which are taken as its
    // destruction instead of ending the process.
    static void AddWindow(unsigned long xWindow);
    static void RemoveWindow(unsigned long xWindow);
    // True once the window is known destroyed by someone else (an error about it, or MarkDestroyed).
    static bool IsWindowDestroyed(unsigned long xWindow);
    // The window's destruction seen as an event.
    static void MarkDestroyed(unsigned long xWindow);
    // Waits until the watched display has answered every request sent so far, so that their errors reach
    // these handlers (SDL puts Xlib's own back as its video ends). Nothing once the display is lost.
    static void Sync();

    // Marks a call that waits on the display for an event (showing or hiding a window waits for the server's
    // answer). A connection that breaks meanwhile would leave the call waiting for ever, so the process ends
    // at once instead.
    class WaitingCall
    {
    public:
        WaitingCall();
        ~WaitingCall();
        WaitingCall(const WaitingCall&) = delete;
        WaitingCall& operator=(const WaitingCall&) = delete;
    };

    // Marks the display lost as a broken connection would, or clears the mark and the deadline (tests).
    static void _SetLost(bool lost);
};

} // namespace platform
