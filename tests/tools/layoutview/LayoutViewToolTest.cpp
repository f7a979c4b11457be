#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "tests/support/RunCommand.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>

#include <chrono>
#include <string>
#include <thread>
#include <tuple>

using testsupport::RunCommand;

namespace
{

struct Rgb
{
    int r, g, b;
};

Rgb PixelAt(const kaTGAImage& image, int x, int y)
{
    const uint8_t* p = image.GetPixels() + (static_cast<size_t>(y) * image.GetWidth() + x) * 3;
    return {p[2], p[1], p[0]};
}

// The showcase drawn headless in both forms: its window's child window (the amber bar), the layout's own
// pointer and the manager's cursor land where they are placed, in front of the cleared screen.
TEST(LayoutViewToolTest, DrawsTheShowcaseHeadlessIntoAScreenshot)
{
    testsupport::TempDir dir;
    for (const char* layout : {"ui/Showcase.kab", "ui/ShowcaseBinary.kab"})
    {
        const std::string shot = dir.File("shot.tga");
        const testsupport::CommandResult run =
            RunCommand("cd '" TARVOLIN_CONTENT_DIR "' && env -u DISPLAY '" LAYOUTVIEW_PATH "' " +
                       std::string(layout) + " --headless --frames 2 --screenshot '" + shot + "' 2>&1");
        ASSERT_EQ(run.status, 0) << run.output;
        kaTGAImage image;
        ASSERT_TRUE(image.Load(shot)) << layout;
        ASSERT_EQ(image.GetWidth(), 800u);
        ASSERT_EQ(image.GetHeight(), 600u);
        const struct
        {
            int x, y;
            Rgb expected;
        } probes[] = {
            {520, 65, {204, 153, 25}},   // the handle in the child window at (450, 40) + (10, 10)
            {402, 306, {255, 255, 255}}, // the manager's cursor, at the screen's centre
            {322, 246, {255, 255, 255}}, // the layout's own pointer
            {24, 28, {255, 204, 153}},   // the tinted picture, inset by its buffer
            {50, 45, {51, 51, 51}},      // the clear texels around its arrow
        };
        for (const auto& probe : probes)
        {
            const Rgb got = PixelAt(image, probe.x, probe.y);
            EXPECT_NEAR(got.r, probe.expected.r, 2) << layout << " " << probe.x << "," << probe.y;
            EXPECT_NEAR(got.g, probe.expected.g, 2) << layout << " " << probe.x << "," << probe.y;
            EXPECT_NEAR(got.b, probe.expected.b, 2) << layout << " " << probe.x << "," << probe.y;
        }
    }
}

TEST(LayoutViewToolTest, TheScreenshotIsWrittenInTheFormatItsNameEndsIn)
{
    testsupport::TempDir dir;
    const std::string run = "cd '" TARVOLIN_CONTENT_DIR "' && env -u DISPLAY '" LAYOUTVIEW_PATH
                            "' ui/Showcase.kab --headless --frames 2 --screenshot ";
    for (const char* name : {"shot.bmp", "UPPER.BMP"})
    {
        const std::string shot = dir.File(name);
        const testsupport::CommandResult result = RunCommand(run + "'" + shot + "' 2>&1");
        ASSERT_EQ(result.status, 0) << result.output;
        EXPECT_EQ(dir.Read(name).substr(0, 2), "BM") << name;
        kaBMPImage image;
        ASSERT_TRUE(image.Load(shot)) << name;
        ASSERT_EQ(image.GetWidth(), 800u);
        ASSERT_EQ(image.GetHeight(), 600u);
        // The handle in the showcase's child window, as in the Targa shot.
        const uint8_t* p = image.GetPixels() + (65u * image.GetWidth() + 520u) * 3;
        EXPECT_NEAR(p[2], 204, 2) << name;
        EXPECT_NEAR(p[1], 153, 2) << name;
        EXPECT_NEAR(p[0], 25, 2) << name;
    }
    for (const char* name : {"shot.png", "shot", "shot.bmp.txt"})
    {
        const testsupport::CommandResult result = RunCommand(run + "'" + dir.File(name) + "' 2>&1");
        EXPECT_NE(result.status, 0) << name;
        EXPECT_NE(result.output.find("layoutview: cannot write " + dir.File(name) + ": a screenshot's name ends in .bmp or .tga"),
                  std::string::npos)
            << result.output;
        EXPECT_FALSE(dir.Exists(name)) << name;
    }
}

TEST(LayoutViewToolTest, ARootThatIsNoWindowIsShownInAFullScreenWindow)
{
    testsupport::TempDir dir;
    const std::string shot = dir.File("part.tga");
    const testsupport::CommandResult run =
        RunCommand("cd '" TARVOLIN_CONTENT_DIR "' && env -u DISPLAY '" LAYOUTVIEW_PATH
                   "' ui/ShowcasePart.kab --headless --frames 2 --screenshot '" +
                   shot + "' 2>&1");
    ASSERT_EQ(run.status, 0) << run.output;
    kaTGAImage image;
    ASSERT_TRUE(image.Load(shot));
    const Rgb inside = PixelAt(image, 50, 20);
    EXPECT_EQ(std::make_tuple(inside.r, inside.g, inside.b), std::make_tuple(229, 229, 51))
        << "the part's box";
}

TEST(LayoutViewToolTest, FramesArePacedToSixtyASecond)
{
    const auto start = std::chrono::steady_clock::now();
    const testsupport::CommandResult run =
        RunCommand("cd '" TARVOLIN_CONTENT_DIR "' && env -u DISPLAY '" LAYOUTVIEW_PATH
                   "' ui/Showcase.kab --headless --frames 30 2>&1");
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_GE(seconds, 29.0 / 60.0) << "30 frames take half a second";
}

int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// Destroys the shown top-level windows on the display as another program may; how many there were.
int DestroyShownWindows(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr)
        return 0;
    XErrorHandler previous = XSetErrorHandler(&IgnoreXError);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    int destroyed = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    {
        XWindowAttributes attributes;
        for (unsigned i = 0; i < count; ++i)
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            {
                XDestroyWindow(display, children[i]);
                ++destroyed;
            }
        XFree(children);
    }
    XSync(display, False);
    XCloseDisplay(display);
    XSetErrorHandler(previous);
    return destroyed;
}

TEST(LayoutViewToolTest, AWindowDestroyedByAnotherProgramEndsTheViewerNormally)
{
    if (!testsupport::XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    testsupport::XvfbServer server;
    std::string error;
    ASSERT_TRUE(server.Start(error)) << error;
    testsupport::TempDir dir;
    // The viewer runs in the background; the test destroys its window once it shows.
    // Bounded: should the window never be found, the viewer is stopped and the test fails instead of waiting.
    const std::string command = "cd '" TARVOLIN_CONTENT_DIR "' && DISPLAY=" + server.DisplayName() +
                                " SDL_VIDEODRIVER=x11 timeout 90 '" LAYOUTVIEW_PATH "' ui/Showcase.kab >'" +
                                dir.File("out.txt") + "' 2>&1; echo $? >'" + dir.File("status.txt") + "'";
    std::thread viewer([&command] { RunCommand(command); });
    int destroyed = 0;
    // A loaded machine can take many seconds to show the window.
    for (int i = 0; i < 1200 && destroyed == 0; ++i)
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (i >= 10)
            destroyed = DestroyShownWindows(server.DisplayName());
    }
    viewer.join();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(dir.Read("status.txt"), "0\n") << dir.Read("out.txt");
    EXPECT_EQ(dir.Read("out.txt").find("X Error"), std::string::npos) << dir.Read("out.txt");
}

TEST(LayoutViewToolTest, RefusesMissingLayoutsAndBadArguments)
{
    const std::string cases[] = {"missing.kab --headless --frames 1", "--headless --frames 1",
                                 "ui/Showcase.kab --headless", "ui/Showcase.kab --headless --frames 0"};
    for (const std::string& arguments : cases)
    {
        const testsupport::CommandResult run = RunCommand(
            "cd '" TARVOLIN_CONTENT_DIR "' && env -u DISPLAY '" LAYOUTVIEW_PATH "' " + arguments + " 2>&1");
        EXPECT_NE(run.status, 0) << arguments;
        EXPECT_NE(run.output.find("layoutview: "), std::string::npos) << run.output;
    }
}

} // namespace
