#include "platform/files/SafeFileWriter.h"

#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <cerrno>
#include <climits>
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

// mkstemp makes the file readable by its owner only; a new file gets the mode a plain create would.
mode_t CreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// As many links as the system follows in one path before it gives up.
const int kMaxLinks = 40;

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

// The file a path names through any chain of symbolic links: a save replaces that file and leaves the links
// as they are. The end of a dangling link is where the file is made, as an open for writing would make it.
// "" for a chain that never ends (a loop) or a link that cannot be read.
std::string FollowLinks(std::string path)
{
    for (int hop = 0; hop <= kMaxLinks; ++hop)
    {
        struct stat info;
        if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char text[PATH_MAX];
        const ssize_t length = readlink(path.c_str(), text, sizeof text);
        if (length <= 0 || static_cast<size_t>(length) >= sizeof text)
            return std::string();
        const std::string link(text, static_cast<size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return std::string();
}

// The owner and group of the file the temporary replaces, where the system lets us give them (root, or a
// group of ours); elsewhere the saved file is ours, as any file we write anew.
bool KeepOwner(int fd, const struct stat& existing)
{
    if (existing.st_uid == geteuid() && existing.st_gid == getegid())
        return true;
    return fchown(fd, existing.st_uid, existing.st_gid) == 0 ||
           fchown(fd, static_cast<uid_t>(-1), existing.st_gid) == 0;
}

// ".<target>.XXXXXX.tarvolin-save": hidden, and in a form no user picks by chance, so the name alone marks a
// temporary whatever its mode (a commit killed after the mode change leaves it looking like any saved file).
const char* const kTemporaryLead = ".";
const char* const kRandomPart = ".XXXXXX";
const char* const kTemporaryEnding = ".tarvolin-save";
const size_t kRandomLength = 6;

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The temporary form of targetName, with the six characters mkstemp picks from.
bool IsTemporaryName(const std::string& entry, const std::string& targetName)
{
    const std::string lead = kTemporaryLead + targetName + ".";
    const std::string ending = kTemporaryEnding;
    if (entry.size() != lead.size() + kRandomLength + ending.size() ||
        entry.compare(0, lead.size(), lead) != 0 ||
        entry.compare(entry.size() - ending.size(), ending.size(), ending) != 0)
        return false;
    for (size_t i = lead.size(); i != lead.size() + kRandomLength; ++i)
    {
        const char c = entry[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// What stands where a save would put its file: nothing (the file is made), or what the save must refuse.
SafeFileWriter::Refusal RefusalOf(const struct stat& existing)
{
    if (S_ISDIR(existing.st_mode))
        return SafeFileWriter::Refusal::Folder;
    if (!S_ISREG(existing.st_mode))
        return SafeFileWriter::Refusal::NotRegular;
    // By the mode, not by access(2): root may write anything, and would replace what its owner protected.
    if ((existing.st_mode & S_IWUSR) == 0)
        return SafeFileWriter::Refusal::ReadOnly;
    return SafeFileWriter::Refusal::Allowed;
}

SafeFileWriter::Refusal RefusalAt(const std::string& target)
{
    if (target.empty())
        return SafeFileWriter::Refusal::Unreachable;
    struct stat existing;
    if (stat(target.c_str(), &existing) != 0)
        return SafeFileWriter::Refusal::Allowed;
    const SafeFileWriter::Refusal refusal = RefusalOf(existing);
    // Nor a file this user could not write in place, another's in a folder the user may write: the rename
    // would replace it all the same. Root passes this for any file its owner's mode allows.
    if (refusal == SafeFileWriter::Refusal::Allowed &&
        faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
        return SafeFileWriter::Refusal::ReadOnly;
    return refusal;
}

// The end of the path's links, as the save would replace it; "" when there is none.
std::string SaveTarget(const std::string& path)
{
    const std::string native = path.empty() ? std::string() : NativePath(path);
    return native.empty() ? native : FollowLinks(native);
}

} // namespace

SafeFileWriter::Refusal SafeFileWriter::Check(const std::string& path)
{
    return RefusalAt(SaveTarget(path));
}

void SafeFileWriter::_Refuse(Refusal refusal, const std::string& given)
{
    m_Refusal = refusal;
    if (refusal != Refusal::NotRegular && refusal != Refusal::ReadOnly)
        return;
    const std::string named =
        m_Target == NativePath(given) ? given : given + " (through its link, " + m_Target + ")";
    DebugPrintf("[SafeFileWriter::Save] : %s %s; nothing written\n", named.c_str(),
                refusal == Refusal::ReadOnly ? "is read-only" : "is not a regular file");
}

SafeFileWriter::SafeFileWriter(const std::string& path) : m_Given(path)
{
    if (path.empty())
        return;
    m_Target = SaveTarget(path);
    const Refusal refusal = RefusalAt(m_Target);
    if (refusal != Refusal::Allowed)
    {
        _Refuse(refusal, path);
        return;
    }
    for (int attempt = 0; attempt < 8 && m_Temporary.empty(); ++attempt)
    {
        const size_t slash = m_Target.find_last_of('/') + 1;
        const std::string pattern = m_Target.substr(0, slash) + kTemporaryLead + m_Target.substr(slash) +
                                    kRandomPart + kTemporaryEnding;
        std::vector<char> name(pattern.begin(), pattern.end());
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
        if (!IsTemporaryName(entry->d_name, targetName))
            continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat named;
        if (path == m_Temporary || lstat(path.c_str(), &named) != 0 || !S_ISREG(named.st_mode) ||
            named.st_uid != geteuid())
            continue;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        // A living writer holds its lock; the name must still lead to the file locked.
        struct stat opened;
        struct stat again;
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 && fstat(fd, &opened) == 0 &&
            lstat(path.c_str(), &again) == 0 && SameFile(opened, again) && SameFile(opened, named))
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
    ok = ok && _TakeOwnerAndMode(fd) && fsync(fd) == 0;
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

bool SafeFileWriter::_TakeOwnerAndMode(int fd)
{
    struct stat existing;
    if (stat(m_Target.c_str(), &existing) != 0)
        return fchmod(fd, CreationMode()) == 0;
    // Looked at again as the rename nears: the file may have been made read-only, or replaced, meanwhile.
    const Refusal refusal = RefusalOf(existing);
    if (refusal != Refusal::Allowed)
    {
        _Refuse(refusal, m_Given);
        return false;
    }
    // A file the user shared or kept private stays so. An owner we cannot give is no reason to lose the save.
    KeepOwner(fd, existing);
    // The mode after the owner, as a change of owner clears the set-id bits; those are not carried over to
    // new contents in any case.
    return fchmod(fd, existing.st_mode & 0777) == 0;
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
