#include "platform/window/DisplayConnection.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>
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

// A window of ours destroyed by another program: requests on it fail with errors that mark it destroyed
// instead of ending the process. Errors about windows that are not ours still go to the previous handler.
// Swapping the buffers of a window another program destroyed fails with GLX's drawable errors, not the core
// ones: those about our window mark it too, while other GLX errors still end the process.
TEST(DisplayConnection, GlxDrawableErrorsAboutOurWindowMarkIt)
{
    if (!XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    XvfbServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    struct Case
    {
        int glxError;
        bool ours;
        int exitCode;
    };
    // GLXBadDrawable 2, GLXBadCurrentWindow 5, GLXBadWindow 12 mark the window; GLXBadContext 0 does not.
    for (const Case& c : {Case{2, true, 7}, Case{5, true, 7}, Case{12, true, 7}, Case{2, false, 1},
                          Case{0, true, 1}})
    {
        SCOPED_TRACE(testing::Message() << "GLX error " << c.glxError << (c.ours ? " on ours" : " on another"));
        EXPECT_EXIT(
            {
                Display* display = XOpenDisplay(server.DisplayName().c_str());
                int opcode = 0;
                int firstEvent = 0;
                int firstError = 0;
                if (!XQueryExtension(display, "GLX", &opcode, &firstEvent, &firstError))
                    std::_Exit(c.exitCode);
                const Window window =
                    XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
                XSync(display, False);
                DisplayConnection::Watch(display);
                if (c.ours)
                    DisplayConnection::AddWindow(window);
                const XErrorHandler handler = XSetErrorHandler(nullptr);
                XSetErrorHandler(handler);
                XErrorEvent event = {};
                event.type = 0;
                event.display = display;
                event.resourceid = window;
                event.error_code = static_cast<unsigned char>(firstError + c.glxError);
                event.request_code = static_cast<unsigned char>(opcode);
                handler(display, &event);
                std::_Exit(DisplayConnection::IsWindowDestroyed(window) ? 7 : 8);
            },
            testing::ExitedWithCode(c.exitCode), "");
    }
}

TEST(DisplayConnection, ErrorsAboutOurDestroyedWindowMarkItAndGoNoFurther)
{
    if (!XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    for (const bool ours : {true, false})
    {
        SCOPED_TRACE(ours ? "our window" : "another window");
        XvfbServer server;
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        EXPECT_EXIT(
            {
                Display* display = XOpenDisplay(server.DisplayName().c_str());
                const Window window =
                    XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 10, 10, 0, 0, 0);
                XSync(display, False);
                DisplayConnection::Watch(display);
                if (ours)
                    DisplayConnection::AddWindow(window);
                // Someone else destroys it.
                Display* other = XOpenDisplay(server.DisplayName().c_str());
                XDestroyWindow(other, window);
                XSync(other, False);
                XMapWindow(display, window);
                DisplayConnection::Sync();
                std::_Exit(DisplayConnection::IsWindowDestroyed(window) ? 7 : 8);
            },
            testing::ExitedWithCode(ours ? 7 : 1), "");
    }
}
