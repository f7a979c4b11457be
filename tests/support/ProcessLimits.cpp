#include "tests/support/ProcessLimits.h"

#include <csignal>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport
{

namespace
{

bool RunInChild(const std::function<void()>& limit, const std::function<bool()>& action)
{
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0)
    {
        limit();
        // Nothing may leave the child but its exit code: it must not go on running the caller's code.
        bool done = false;
        try
        {
            done = action();
        }
        catch (...)
        {
        }
        _exit(done ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The process's mapped memory now, from /proc.
size_t MappedBytes()
{
    std::ifstream status("/proc/self/statm");
    size_t pages = 0;
    status >> pages;
    return pages * size_t(sysconf(_SC_PAGESIZE));
}

} // namespace

bool RunWithFileSizeLimit(size_t bytes, const std::function<bool()>& action)
{
    return RunInChild(
        [bytes]
        {
            // A write past the limit then fails with EFBIG instead of killing the process.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{bytes, bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
        },
        action);
}

bool RunWithMemoryLimit(size_t bytes, const std::function<bool()>& action)
{
    return RunInChild(
        [bytes]
        {
            const rlim_t total = MappedBytes() + bytes;
            const rlimit limit{total, total};
            setrlimit(RLIMIT_AS, &limit);
        },
        action);
}

bool MemoryLimitsWork()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    return true;
#endif
}

} // namespace testsupport
