#include "tests/support/ScopedVariable.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>

extern char** environ;

using testsupport::ScopedVariable;
using testsupport::TempDir;
using testsupport::XvfbServer;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr auto kTimeToEnd = std::chrono::seconds(5);
constexpr auto kTimeToStart = std::chrono::seconds(20);

template <typename Condition> bool WaitFor(Clock::duration limit, Condition condition)
{
    const Clock::time_point end = Clock::now() + limit;
    while (!condition())
    {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// The game's executable as a child process with this process's environment, working in a folder of the
// test's that is also its install folder (the files it writes land there), with stderr in "stderr.txt"
// there. Killed if it is still running when the test ends.
class GameProcess
{
public:
    explicit GameProcess(const TempDir& folder, const char* executable = TARVOLIN_EXECUTABLE)
    {
        const std::string registry =
            folder.Write("registry.cfg", "SOFTWARE\\Kalder Arts\\Tarvolin\\INSTALLTYPE=1\n"
                                         "SOFTWARE\\Kalder Arts\\Tarvolin\\FULLINSTALLPATH=" +
                                             folder.Path() + "/\n");
        setenv("TARVOLIN_REGISTRY", registry.c_str(), 1);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, folder.File("stderr.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // The runner may have started us with signals ignored or blocked; a player's game gets them.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        char* argv[] = {const_cast<char*>(executable), nullptr};
        if (posix_spawn(&m_Pid, executable, &actions, &attributes, argv, environ) != 0)
            m_Pid = -1;
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }

    ~GameProcess()
    {
        if (m_Pid > 0 && kill(m_Pid, SIGKILL) == 0)
            waitpid(m_Pid, nullptr, 0);
    }

    pid_t Pid() const { return m_Pid; }

    // True once the process has ended within the time, with its wait status in `status`.
    bool WaitForEnd(int& status, Clock::duration limit = kTimeToEnd)
    {
        if (!WaitFor(limit, [&] { return waitpid(m_Pid, &status, WNOHANG) == m_Pid; }))
            return false;
        m_Pid = -1;
        return true;
    }

    // True when the running process has a handler of its own for the signal.
    bool Catches(int signal) const
    {
        std::ifstream status("/proc/" + std::to_string(m_Pid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
        return false;
    }

private:
    pid_t m_Pid = -1;
};

// The variables the game reads, set for the processes the test starts; null removes one.
void SetGameEnvironment(const char* display, const char* videoDriver, const char* headless)
{
    auto set = [](const char* name, const char* value)
    { value != nullptr ? setenv(name, value, 1) : unsetenv(name); };
    set("DISPLAY", display);
    set("SDL_VIDEODRIVER", videoDriver);
    set("TARVOLIN_GFX_HEADLESS", headless);
    set("SDL_AUDIODRIVER", "dummy");
    set("TARVOLIN_EXIT_AFTER_FRAMES", nullptr);
}

int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// True once a shown top-level window on the display holds anything but the server's white background: the
// game has presented a frame.
bool FrameShown(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr)
        return false;
    // A window may go between listing and asking about it.
    XErrorHandler previous = XSetErrorHandler(&IgnoreXError);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool shown = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    {
        XWindowAttributes attributes;
        for (unsigned i = 0; i < count && !shown; ++i)
        {
            if (!XGetWindowAttributes(display, children[i], &attributes) ||
                attributes.map_state != IsViewable)
                continue;
            XImage* image = XGetImage(display, children[i], 0, 0, static_cast<unsigned>(attributes.width),
                                      static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
            for (int y = 0; image != nullptr && y < image->height && !shown; ++y)
                for (int x = 0; x < image->width && !shown; ++x)
                    shown = (XGetPixel(image, x, y) & 0xFFFFFF) != 0xFFFFFF;
            if (image != nullptr)
                XDestroyImage(image);
        }
        XFree(children);
    }
    XCloseDisplay(display);
    XSetErrorHandler(previous);
    return shown;
}

// Destroys every shown top-level window on the display as another program may; the number destroyed.
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

void ExpectNormalShutdown(int status, const TempDir& folder)
{
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << folder.Read("stderr.txt");
    // The graphics manager writes its configuration as it shuts down.
    EXPECT_TRUE(folder.Exists("Tarvolin.cfg")) << folder.Read("stderr.txt");
}

} // namespace

TEST(TarvolinProcess, EndsThroughItsShutdownWhenItsDisplayIsKilledMidGame)
{
    if (!XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    for (int round = 0; round < 10; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        XvfbServer server;
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        SetGameEnvironment(server.DisplayName().c_str(), nullptr, nullptr);
        TempDir folder;
        GameProcess game(folder);
        ASSERT_TRUE(WaitFor(kTimeToStart, [&] { return FrameShown(server.DisplayName()); }))
            << folder.Read("stderr.txt");
        // A few frames more; the display goes at a different point of the frame each round, crashing or shut
        // down in turn.
        std::this_thread::sleep_for(std::chrono::milliseconds(30 + 23 * round));
        server.Kill(round % 2 == 0 ? SIGKILL : SIGTERM);

        int status = 0;
        ASSERT_TRUE(game.WaitForEnd(status)) << "still running after " << kTimeToEnd.count() << " s";
        ExpectNormalShutdown(status, folder);
        EXPECT_NE(folder.Read("stderr.txt").find("The connection to the X display was lost: shutting down."),
                  std::string::npos);
    }
}

TEST(TarvolinProcess, EndsThroughItsShutdownWhenAnotherProgramDestroysItsWindow)
{
    if (!XvfbServer::IsInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    for (int round = 0; round < 4; ++round)
    {
        SCOPED_TRACE("round " + std::to_string(round));
        XvfbServer server;
        std::string error;
        ASSERT_TRUE(server.Start(error)) << error;
        SetGameEnvironment(server.DisplayName().c_str(), nullptr, nullptr);
        TempDir folder;
        GameProcess game(folder);
        ASSERT_TRUE(WaitFor(kTimeToStart, [&] { return FrameShown(server.DisplayName()); }))
            << folder.Read("stderr.txt");
        // The window goes at a different point of the frame each round.
        std::this_thread::sleep_for(std::chrono::milliseconds(20 + 37 * round));
        ASSERT_EQ(DestroyShownWindows(server.DisplayName()), 1);

        int status = 0;
        ASSERT_TRUE(game.WaitForEnd(status)) << "still running after " << kTimeToEnd.count() << " s";
        ExpectNormalShutdown(status, folder);
        EXPECT_EQ(folder.Read("stderr.txt"), "") << "no X error";
    }
}

TEST(TarvolinProcess, InterruptAndTerminateEndTheGameThroughItsShutdown)
{
    for (const int signal : {SIGTERM, SIGINT})
    {
        SCOPED_TRACE(strsignal(signal));
        SetGameEnvironment(nullptr, "dummy", "1");
        TempDir folder;
        GameProcess game(folder);
        // SDL takes the signal over as the window is made; frames follow at once.
        ASSERT_TRUE(WaitFor(kTimeToStart, [&] { return game.Catches(signal); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kill(game.Pid(), signal);

        int status = 0;
        ASSERT_TRUE(game.WaitForEnd(status));
        ExpectNormalShutdown(status, folder);
    }
}

TEST(TarvolinProcess, PassesTheSplashHeadlessOnTheSampleContentAndSavesAsItEnds)
{
    SetGameEnvironment(nullptr, "dummy", "1");
    setenv("TARVOLIN_EXIT_AFTER_FRAMES", "30", 1);
    TempDir folder;
    std::filesystem::copy(TARVOLIN_CONTENT_DIR, folder.Path(), std::filesystem::copy_options::recursive);
    ASSERT_FALSE(folder.Exists("Tarvolin.cfg"));
    GameProcess game(folder);
    int status = 0;
    // Three splash images of four seconds each come first.
    const bool ended = game.WaitForEnd(status, std::chrono::seconds(40));
    unsetenv("TARVOLIN_EXIT_AFTER_FRAMES");
    ASSERT_TRUE(ended) << folder.Read("stderr.txt");
    ExpectNormalShutdown(status, folder);
    const std::string config = folder.Read("Tarvolin.cfg");
    for (const char* marker : {"[Begin Tarvolin Config]\n", "[End Tarvolin Config]\n",
                               "[Begin Graphics Config]\n", "[End Graphics Config]\n"})
        EXPECT_NE(config.find(marker), std::string::npos) << marker << " in\n" << config;
    // "data" resolves to the generated content's "Data" folder.
    EXPECT_TRUE(folder.Exists("Data/controls.xml"));
}

TEST(TarvolinProcess, ADisplayThatCannotBeOpenedEndsStartUpWithAMessageAndAFailure)
{
    struct Case
    {
        const char* executable;
        // Chosen by hand, the driver does not fall back to another: SDL's start itself fails.
        const char* videoDriver;
        // A headless run draws offscreen, but its input still comes through the window on the display.
        const char* headless;
        const char* message;
    };
    const Case cases[] = {
        {TARVOLIN_EXECUTABLE, nullptr, nullptr, "The display \":59999\" could not be opened.\n"},
        {TARVOLIN_EDITOR_EXECUTABLE, nullptr, nullptr, "The display \":59999\" could not be opened.\n"},
        {TARVOLIN_EXECUTABLE, "x11", nullptr, "The video system could not be started: "},
        {TARVOLIN_EXECUTABLE, nullptr, "1", "The display \":59999\" could not be opened.\n"},
        {TARVOLIN_EDITOR_EXECUTABLE, nullptr, "1", "The display \":59999\" could not be opened.\n"},
    };
    // No server answers on this display number, and no Wayland compositor is to be found either.
    TempDir runtime;
    const ScopedVariable runtimeFolder("XDG_RUNTIME_DIR", runtime.Path());
    const ScopedVariable wayland("WAYLAND_DISPLAY", "");
    for (const Case& test : cases)
    {
        SCOPED_TRACE(std::string(test.executable) + " " + (test.videoDriver ? test.videoDriver : "-") +
                     (test.headless ? " headless" : ""));
        SetGameEnvironment(":59999", test.videoDriver, test.headless);
        TempDir folder;
        GameProcess game(folder, test.executable);
        int status = 0;
        // Without a window the program used to run on unseen; the limit only keeps the test from waiting for
        // ever.
        ASSERT_TRUE(game.WaitForEnd(status, kTimeToStart)) << "still running without a window";
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_NE(WEXITSTATUS(status), 0);
        EXPECT_NE(folder.Read("stderr.txt").find(test.message), std::string::npos)
            << folder.Read("stderr.txt");
        // Nothing started, so nothing was saved.
        EXPECT_FALSE(folder.Exists("Tarvolin.cfg"));
    }
}
