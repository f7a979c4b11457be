#pragma once

#include <atomic>
#include <string>
#include <sys/types.h>
#include <thread>

namespace testsupport
{

// A writer waiting at a named pipe for its readers: a reader that opens the pipe is let through at once,
// finds it empty and is counted, so that a reader that would wait for a writer is never stuck and is seen. A
// reader that never opens the pipe leaves the writer waiting until the end of the test.
class WaitingPipeWriter
{
public:
    // The pipe is made at the path, and removed at the end; Made() says whether it was made.
    explicit WaitingPipeWriter(std::string path);
    ~WaitingPipeWriter();
    WaitingPipeWriter(const WaitingPipeWriter&) = delete;
    WaitingPipeWriter& operator=(const WaitingPipeWriter&) = delete;

    bool Made() const { return m_Made; }
    const std::string& Path() const { return m_Path; }
    // True when someone opened the pipe, given the time a writer just let through needs to note it.
    bool Released() const;

private:
    void _Wait();
    // Whether a reader has the pipe open or waits to: a writer's open that does not wait tells, and lets it
    // through.
    bool _ReaderHolds() const;

    std::string m_Path;
    bool m_Made = false;
    dev_t m_Device = 0;
    ino_t m_Inode = 0;
    std::atomic<bool> m_Stop{false};
    std::atomic<int> m_Releases{0};
    std::thread m_Thread;
};

} // namespace testsupport
