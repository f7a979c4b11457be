#include "platform/files/SafeFileWriter.h"

#include "platform/files/Files.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform
{

namespace
{

// mkstemp makes the file readable by its owner only; a saved file gets the mode a plain create would.
mode_t CreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void SyncFolder(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0)
    {
        fsync(fd);
        close(fd);
    }
}

std::string FolderOf(const std::string& native)
{
    const size_t slash = native.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : native.substr(0, slash);
}

// "<target>.XXXXXX.tmp". The ending, not the mode, marks a temporary: a commit killed after it gave the file
// its final mode leaves it looking like any saved file, and a user's own "<target>.backup" must stay.
const char* const kRandomPart = ".XXXXXX";
const char* const kTemporaryEnding = ".tmp";
const size_t kRandomLength = 6;
// Earlier writers named their temporaries "<target>.XXXXXX"; such a name is only known for a temporary while
// it keeps the mode mkstemp gives.
const mode_t kOldTemporaryMode = 0600;

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// "<target>.XXXXXX<ending>" with the six characters mkstemp picks from.
bool IsTemporaryName(const char* entry, const std::string& targetName, const char* ending)
{
    const size_t length = std::strlen(entry);
    const size_t endingLength = std::strlen(ending);
    if (length != targetName.size() + 1 + kRandomLength + endingLength ||
        std::strncmp(entry, targetName.c_str(), targetName.size()) != 0 || entry[targetName.size()] != '.' ||
        std::strcmp(entry + length - endingLength, ending) != 0)
        return false;
    const char* random = entry + targetName.size() + 1;
    for (const char* c = random; c != random + kRandomLength; ++c)
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    return true;
}

} // namespace

SafeFileWriter::SafeFileWriter(const std::string& path)
{
    if (path.empty())
        return;
    m_Target = NativePath(path);
    if (m_Target.empty() || IsDirectory(m_Target))
        return;
    for (int attempt = 0; attempt < 8 && m_Temporary.empty(); ++attempt)
    {
        std::vector<char> name(m_Target.begin(), m_Target.end());
        name.insert(name.end(), kRandomPart, kRandomPart + std::strlen(kRandomPart));
        name.insert(name.end(), kTemporaryEnding, kTemporaryEnding + std::strlen(kTemporaryEnding));
        name.push_back('\0');
        const int fd = mkostemps(name.data(), static_cast<int>(std::strlen(kTemporaryEnding)), O_CLOEXEC);
        if (fd < 0)
            return;
        // Where the file system has no locks, no remover can tell this file is alive, and none removes it.
        struct stat opened;
        struct stat named;
        if (flock(fd, LOCK_EX) == 0 &&
            (fstat(fd, &opened) != 0 || stat(name.data(), &named) != 0 || !SameFile(opened, named)))
        {
            // A remover took the fresh file for stale in the moment before the lock: make another.
            close(fd);
            continue;
        }
        m_Temporary = name.data();
        m_LockFd = fcntl(fd, F_DUPFD_CLOEXEC, 0);
        m_File = m_LockFd >= 0 ? fdopen(fd, "wb") : nullptr;
        if (!m_File)
        {
            close(fd);
            Abandon();
            return;
        }
    }
    if (!m_File)
        return;
    _RemoveStaleTemporaries();
}

void SafeFileWriter::_RemoveStaleTemporaries() const
{
    const std::string folder = FolderOf(m_Target);
    const std::string targetName = m_Target.substr(m_Target.find_last_of('/') + 1);
    DIR* listing = opendir(folder.c_str());
    if (!listing)
        return;
    while (const dirent* entry = readdir(listing))
    {
        const bool current = IsTemporaryName(entry->d_name, targetName, kTemporaryEnding);
        if (!current && !IsTemporaryName(entry->d_name, targetName, ""))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat named;
        if (path == m_Temporary || lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
            named.st_uid != geteuid() || (!current && (named.st_mode & 07777) != kOldTemporaryMode))
            continue;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A living writer holds its lock; the name must still lead to the file locked.
        struct stat opened;
        struct stat again;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 && lstat(path.c_str(), &again) == 0 &&
            SameFile(opened, again) && SameFile(opened, named))
            unlink(path.c_str());
        close(fd);
    }
    closedir(listing);
}

SafeFileWriter::~SafeFileWriter()
{
    Abandon();
}

bool SafeFileWriter::Write(const void* data, size_t size)
{
    if (!m_File || m_Failed)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, m_File) != size)
        m_Failed = true;
    return !m_Failed;
}

bool SafeFileWriter::Commit()
{
    if (!m_File)
        return false;
    const int fd = fileno(m_File);
    bool ok = !m_Failed && std::fflush(m_File) == 0 && !std::ferror(m_File);
    ok = ok && fchmod(fd, CreationMode()) == 0 && fsync(fd) == 0;
    ok = std::fclose(m_File) == 0 && ok;
    m_File = nullptr;
    if (!ok || std::rename(m_Temporary.c_str(), m_Target.c_str()) != 0)
    {
        Abandon();
        return false;
    }
    m_Temporary.clear();
    close(m_LockFd);
    m_LockFd = -1;
    // The rename itself reaches the disk with the folder.
    SyncFolder(FolderOf(m_Target));
    return true;
}

void SafeFileWriter::Abandon()
{
    if (m_File)
    {
        std::fclose(m_File);
        m_File = nullptr;
    }
    if (!m_Temporary.empty())
    {
        unlink(m_Temporary.c_str());
        m_Temporary.clear();
    }
    if (m_LockFd >= 0)
    {
        close(m_LockFd);
        m_LockFd = -1;
    }
}

bool SafeFileWriter::WriteWhole(const std::string& path, const std::string& bytes)
{
    SafeFileWriter writer(path);
    return writer.Write(bytes) && writer.Commit();
}

} // namespace platform
