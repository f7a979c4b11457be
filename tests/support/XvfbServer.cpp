#include "tests/support/XvfbServer.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace testsupport
{

namespace
{

constexpr int kStartTimeoutMs = 10000;

} // namespace

XvfbServer::~XvfbServer()
{
    Kill(SIGKILL);
}

bool XvfbServer::IsInstalled()
{
    return std::system("command -v Xvfb >/dev/null 2>&1") == 0;
}

bool XvfbServer::Start(std::string& error)
{
    int fds[2];
    if (pipe(fds) != 0)
    {
        error = std::strerror(errno);
        return false;
    }
    // The server writes its display number to the pipe once it takes connections.
    const std::string displayFd = std::to_string(fds[1]);
    // Without -noreset the server starts over whenever its last client leaves, refusing clients meanwhile.
    // The white root shows through a new window until something is drawn into it.
    const char* arguments[] = {"Xvfb",      "-displayfd", displayFd.c_str(), "-screen", "0",    "1024x768x24",
                               "-nolisten", "tcp",        "-noreset",        "-wr",     nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned =
        posix_spawnp(&m_Pid, "Xvfb", &actions, nullptr, const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0)
    {
        m_Pid = -1;
        close(fds[0]);
        error = std::string("cannot start Xvfb: ") + std::strerror(spawned);
        return false;
    }

    std::string number;
    pollfd reader{fds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos && poll(&reader, 1, kStartTimeoutMs) > 0)
    {
        char buffer[16];
        const ssize_t got = read(fds[0], buffer, sizeof(buffer));
        if (got <= 0)
            break;
        number.append(buffer, static_cast<size_t>(got));
    }
    close(fds[0]);
    if (number.find('\n') == std::string::npos)
    {
        Kill(SIGKILL);
        error = "Xvfb did not report a display";
        return false;
    }
    m_DisplayName = ":" + number.substr(0, number.find('\n'));
    return true;
}

void XvfbServer::Kill(int signal)
{
    if (m_Pid <= 0)
        return;
    ::kill(m_Pid, signal);
    int status = 0;
    while (waitpid(m_Pid, &status, 0) < 0 && errno == EINTR)
    {
    }
    m_Pid = -1;
}

} // namespace testsupport
