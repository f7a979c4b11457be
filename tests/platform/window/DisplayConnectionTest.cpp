#include "platform/window/DisplayConnection.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>

#include <csignal>
#include <unistd.h>

using namespace platform;
using testsupport::XvfbServer;

// A watched connection that breaks lets the shutdown run (the game's executable tests show it); what is left
// ends the process. Each case connects to a server of its own and kills it.
TEST(DisplayConnection, ABrokenConnectionEndsTheProcessWhenNothingClosesIt)
{
    if (!XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    struct Case
    {
        const char* name;
        bool watched;
        bool waiting;
        const char* line;
    };
    const Case cases[] = {
        {"not watched", false, false, "The connection to the X display was lost: exiting.\n"},
        {"in a call waiting on the display", true, true,
         "The connection to the X display was lost: exiting.\n"},
        {"shutdown never finishes", true, false, "lost and the shutdown did not finish in time: exiting.\n"},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        XvfbServer server;
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        EXPECT_EXIT(
            {
                Display* display = XOpenDisplay(server.DisplayName().c_str());
                DisplayConnection::TakeOver();
                DisplayConnection::Watch(c.watched ? display : nullptr);
                kill(server.Pid(), SIGKILL);
                if (c.waiting)
                {
                    const DisplayConnection::WaitingCall waiting;
                    XSync(display, False);
                }
                XSync(display, False);
                for (;;)
                    pause();
            },
            testing::ExitedWithCode(1), c.line);
    }
}
