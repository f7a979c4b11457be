#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace
{

// Runs a command and returns its exit status and standard output.
int RunCommand(const std::string& command, std::string& output)
{
    output.clear();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    return pclose(pipe);
}

} // namespace

// The SDL window back end on a virtual X display: the cleared frame is presented in the window and read
// back. xvfb-run comes with the project's packages.
TEST(GfxCheckToolTest, PresentsAClearedFrameInAnSdlWindow)
{
    std::string output;
    const int status = RunCommand(
        "xvfb-run -a -s '-screen 0 640x480x24' '" GFXCHECK_PATH "' --frames 3 --color 336699 2>&1", output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("320x240 window, 3 frames, centre 336699"), std::string::npos) << output;
}

TEST(GfxCheckToolTest, PresentsHeadlessWithoutADisplay)
{
    std::string output;
    const int status = RunCommand(
        "env -u DISPLAY -u WAYLAND_DISPLAY '" GFXCHECK_PATH "' --headless --color C08040 2>&1", output);
    EXPECT_EQ(status, 0) << output;
    EXPECT_NE(output.find("headless, 3 frames, centre C08040"), std::string::npos) << output;
}
