#include "tests/support/WaitingPipeWriter.h"

#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport
{

WaitingPipeWriter::WaitingPipeWriter(std::string path) : m_Path(std::move(path))
{
    struct stat made;
    m_Made = mkfifo(m_Path.c_str(), 0600) == 0 && stat(m_Path.c_str(), &made) == 0;
    if (!m_Made)
        return;
    m_Device = made.st_dev;
    m_Inode = made.st_ino;
    m_Thread = std::thread([this] { _Wait(); });
}

WaitingPipeWriter::~WaitingPipeWriter()
{
    if (!m_Thread.joinable())
        return;
    m_Stop = true;
    m_Thread.join();
    unlink(m_Path.c_str());
}

bool WaitingPipeWriter::_ReaderHolds() const
{
    // Without waiting: it opens only while a reader has the pipe open, or waits in its own open for a writer,
    // whom it then lets through.
    const int fd = open(m_Path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Something else put in the pipe's place (a save that replaced it) has no reader to let through.
    struct stat opened;
    const bool pipe = fstat(fd, &opened) == 0 && S_ISFIFO(opened.st_mode) && opened.st_dev == m_Device &&
                      opened.st_ino == m_Inode;
    close(fd);
    return pipe;
}

void WaitingPipeWriter::_Wait()
{
    while (!m_Stop)
    {
        if (_ReaderHolds())
        {
            ++m_Releases;
            // One reader is counted once: it is waited out before the next is looked for.
            while (!m_Stop && _ReaderHolds())
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool WaitingPipeWriter::Released() const
{
    for (int i = 0; i < 8 && m_Releases == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return m_Releases > 0;
}

} // namespace testsupport
