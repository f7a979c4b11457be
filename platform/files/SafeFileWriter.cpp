#include "platform/files/SafeFileWriter.h"

#include "platform/files/Files.h"

#include <cstdlib>
#include <fcntl.h>
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

} // namespace

SafeFileWriter::SafeFileWriter(const std::string& path)
{
    if (path.empty())
        return;
    m_Target = NativePath(path);
    if (m_Target.empty() || IsDirectory(m_Target))
        return;
    std::vector<char> name(m_Target.begin(), m_Target.end());
    const std::string suffix = ".XXXXXX";
    name.insert(name.end(), suffix.begin(), suffix.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return;
    m_Temporary = name.data();
    m_File = fdopen(fd, "wb");
    if (!m_File)
    {
        close(fd);
        unlink(m_Temporary.c_str());
        m_Temporary.clear();
    }
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
        unlink(m_Temporary.c_str());
        m_Temporary.clear();
        return false;
    }
    m_Temporary.clear();
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
}

bool SafeFileWriter::WriteWhole(const std::string& path, const std::string& bytes)
{
    SafeFileWriter writer(path);
    return writer.Write(bytes) && writer.Commit();
}

} // namespace platform
