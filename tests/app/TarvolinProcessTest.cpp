#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>
// After GoogleTest: Xlib's macros (None, Bool) clash with its names.
#include <X11/Xlib.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

using testsupport::TempDir;
using testsupport::XvfbServer;
using Clock = std::chrono::steady_clock;

namespace
{

constexpr auto kTimeToEnd = std::chrono::seconds(5);

// The game's executable as a child process, working in a folder of the test's, with stderr in a file there.
// Killed if it is still running when the test ends.
class GameProcess
{
public:
    ~GameProcess()
    {
        if (m_Pid > 0)
        {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, nullptr, 0);
        }
    }

    // Variables with an empty value are removed from the environment.
    bool Start(const TempDir& folder, const std::map<std::string, std::string>& variables)
    {
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry)
        {
            const std::string text = *entry;
            if (variables.count(text.substr(0, text.find('='))) == 0)
                environment.push_back(text);
        }
        for (const auto& variable : variables)
            if (!variable.second.empty())
                environment.push_back(variable.first + "=" + variable.second);
        std::vector<char*> envp;
        for (std::string& text : environment)
            envp.push_back(text.data());
        envp.push_back(nullptr);

        m_ErrorFile = folder.File("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.Path().c_str());
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, m_ErrorFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        // The runner may have started us with the signals ignored; the game must see them as a player's
        // shell delivers them.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t signals;
        sigemptyset(&signals);
        posix_spawnattr_setsigmask(&attributes, &signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        sigaddset(&signals, SIGPIPE);
        posix_spawnattr_setsigdefault(&attributes, &signals);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
        char* argv[] = {const_cast<char*>(TARVOLIN_EXECUTABLE), nullptr};
        const int spawned = posix_spawn(&m_Pid, TARVOLIN_EXECUTABLE, &actions, &attributes, argv, envp.data());
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            m_Pid = -1;
        return spawned == 0;
    }

    pid_t Pid() const { return m_Pid; }

    // True once the process has ended, within the time; its wait status in `status`.
    bool WaitForEnd(Clock::duration limit, int& status)
    {
        const Clock::time_point end = Clock::now() + limit;
        do
        {
            const pid_t done = waitpid(m_Pid, &status, WNOHANG);
            if (done == m_Pid)
            {
                m_Pid = -1;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } while (Clock::now() < end);
        return false;
    }

    // True when the process, still running, has a handler of its own for the signal.
    bool Catches(int signal) const
    {
        std::ifstream status("/proc/" + std::to_string(m_Pid) + "/status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("SigCgt:", 0) == 0)
                return (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1)) & 1;
        return false;
    }

    std::string ErrorText() const
    {
        std::ifstream file(m_ErrorFile);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

private:
    pid_t m_Pid = -1;
    std::string m_ErrorFile;
};

template <typename Condition> bool WaitFor(Condition condition)
{
    const Clock::time_point end = Clock::now() + std::chrono::seconds(20);
    while (!condition())
    {
        if (Clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// True once a top-level window on the display is shown.
bool WindowShown(const std::string& displayName)
{
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr)
        return false;
    // A window may go between listing and asking about it.
    XSetErrorHandler(&IgnoreXError);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    bool shown = false;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
    {
        for (unsigned i = 0; i < count && !shown; ++i)
        {
            XWindowAttributes attributes;
            shown = XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable;
        }
        XFree(children);
    }
    XCloseDisplay(display);
    XSetErrorHandler(nullptr);
    return shown;
}

void ExpectNormalShutdown(int status, const TempDir& folder)
{
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    // The graphics manager writes its configuration as it shuts down.
    EXPECT_TRUE(folder.Exists("Tarvolin.cfg"));
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
        TempDir folder;
        GameProcess game;
        ASSERT_TRUE(game.Start(folder, {{"DISPLAY", server.DisplayName()},
                                        {"SDL_AUDIODRIVER", "dummy"},
                                        {"SDL_VIDEODRIVER", ""},
                                        {"TARVOLIN_GFX_HEADLESS", ""},
                                        {"TARVOLIN_EXIT_AFTER_FRAMES", ""}}));
        ASSERT_TRUE(WaitFor([&] { return WindowShown(server.DisplayName()); })) << game.ErrorText();
        // The display goes at a different point of the frame each round.
        std::this_thread::sleep_for(std::chrono::milliseconds(150 + 45 * round));
        server.Kill(SIGKILL);

        int status = 0;
        ASSERT_TRUE(game.WaitForEnd(kTimeToEnd, status)) << "still running " << kTimeToEnd.count() << " s on";
        ExpectNormalShutdown(status, folder);
        EXPECT_NE(game.ErrorText().find("The connection to the X display was lost: shutting down."),
                  std::string::npos)
            << game.ErrorText();
    }
}

TEST(TarvolinProcess, InterruptAndTerminateEndTheGameThroughItsShutdown)
{
    for (const int signal : {SIGTERM, SIGINT})
    {
        SCOPED_TRACE(strsignal(signal));
        TempDir folder;
        GameProcess game;
        ASSERT_TRUE(game.Start(folder, {{"SDL_VIDEODRIVER", "dummy"},
                                        {"SDL_AUDIODRIVER", "dummy"},
                                        {"TARVOLIN_GFX_HEADLESS", "1"},
                                        {"TARVOLIN_EXIT_AFTER_FRAMES", ""}}));
        // SDL takes the signal over when its window starts; frames follow at once.
        ASSERT_TRUE(WaitFor([&] { return game.Catches(signal); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        kill(game.Pid(), signal);

        int status = 0;
        ASSERT_TRUE(game.WaitForEnd(kTimeToEnd, status));
        ExpectNormalShutdown(status, folder);
    }
}
