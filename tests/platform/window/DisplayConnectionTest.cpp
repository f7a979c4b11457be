#include "platform/window/DisplayConnection.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>

#include <csignal>
#include <unistd.h>

using namespace platform;
using testsupport::XvfbServer;

namespace
{

// Connections of the test's own to servers of its own, which the test then kills.
class DisplayConnectionTest : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!XvfbServer::IsInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
    }

    void TearDown() override
    {
        DisplayConnection::Watch(nullptr);
        DisplayConnection::_SetLost(false);
    }
};

} // namespace

TEST_F(DisplayConnectionTest, AWatchedConnectionThatBreaksIsMarkedLostAndTheProcessGoesOn)
{
    XvfbServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    Display* display = XOpenDisplay(server.DisplayName().c_str());
    ASSERT_NE(display, nullptr);
    DisplayConnection::Watch(display);
    XSync(display, False);
    EXPECT_FALSE(DisplayConnection::IsLost());

    server.Kill(SIGKILL);
    testing::internal::CaptureStderr();
    XSync(display, False);
    EXPECT_TRUE(DisplayConnection::IsLost());
    // Later calls on the dead connection return at once instead of waiting or ending the process.
    XNoOp(display);
    XSync(display, False);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "The connection to the X display was lost: shutting down.\n");
    XCloseDisplay(display);
}

TEST_F(DisplayConnectionTest, ABrokenConnectionEndsTheProcessWhenNothingClosesIt)
{
    struct Case
    {
        const char* name;
        bool watched;
        const char* line;
    };
    const Case cases[] = {
        {"not watched", false, "The connection to the X display was lost: exiting.\n"},
        {"shutdown never finishes", true, "lost and the shutdown did not finish in time: exiting.\n"},
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
                if (c.watched)
                    DisplayConnection::Watch(display);
                kill(server.Pid(), SIGKILL);
                XSync(display, False);
                for (;;)
                    pause();
            },
            testing::ExitedWithCode(1), c.line);
    }
}
