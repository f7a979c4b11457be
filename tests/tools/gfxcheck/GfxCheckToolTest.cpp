#include "tests/support/RunCommand.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using testsupport::RunCommand;

// The SDL window back end on a virtual X display: the cleared frame is presented in the window and read
// back. xvfb-run comes with the project's packages.
TEST(GfxCheckToolTest, PresentsAClearedFrameInAnSdlWindow)
{
    const testsupport::CommandResult run = RunCommand(
        "xvfb-run -a -s '-screen 0 640x480x24' '" GFXCHECK_PATH "' --frames 3 --color 336699 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("320x240 window, 3 frames, centre 336699"), std::string::npos) << run.output;
}

TEST(GfxCheckToolTest, PresentsHeadlessWithoutADisplay)
{
    const testsupport::CommandResult run = RunCommand(
        "env -u DISPLAY -u WAYLAND_DISPLAY '" GFXCHECK_PATH "' --headless --color C08040 2>&1");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("headless, 3 frames, centre C08040"), std::string::npos) << run.output;
}
