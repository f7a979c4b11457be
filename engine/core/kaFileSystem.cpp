#include "engine/core/kaFileSystem.h"

#include "engine/core/kaManagedStream.h"
#include "platform/files/Files.h"
#include "platform/registry/Registry.h"

#include <algorithm>
#include <cstddef>
#include <ext/stdio_filebuf.h>
#include <iterator>
#include <sstream>
#include <utility>

kaFileSystem* g_pFileSystem = nullptr;

namespace
{

std::string WithTrailingSeparator(std::string folder)
{
    const size_t last = folder.find_last_of("\\/");
    if (last == std::string::npos || last + 1 != folder.size())
        folder += '\\';
    return folder;
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

bool EndsInSeparator(const std::string& folder)
{
    return !folder.empty() && IsSeparator(folder.back());
}

// Whether a search entry is the folder as AddSearchPath writes it, compared where it lies instead of
// normalising a copy.
bool IsNormalisedFolder(const std::string& entry, const std::string& folder)
{
    if (EndsInSeparator(folder))
        return entry == folder;
    return entry.size() == folder.size() + 1 && entry.back() == '\\' &&
           entry.compare(0, folder.size(), folder) == 0;
}

// Where the last component starts: just past the last separator, or 0 when there is none. A plain loop:
// find_last_of searches its set once per character.
size_t LastComponentStart(const std::string& path)
{
    size_t at = path.size();
    while (at > 0 && !IsSeparator(path[at - 1]))
        --at;
    return at;
}

// Where a path's bare name starts, or npos when the path ends in a separator or has none, in which case
// the path is kept whole as its own name.
size_t NameStart(const std::string& path)
{
    const size_t start = LastComponentStart(path);
    return start != 0 && start != path.size() ? start : std::string::npos;
}

// Appends the path to the candidate with its separators turned into '\\' when it has a bare name, else as
// it is.
void AppendFull(std::string& candidate, const std::string& path, size_t nameStart)
{
    const size_t from = candidate.size();
    candidate.append(path);
    if (nameStart != std::string::npos)
        platform::ReplaceBytes(&candidate[from], path.size(), '/', '\\');
}

// The bare name, or the whole path when it is its own name.
void AppendName(std::string& candidate, const std::string& path, size_t nameStart)
{
    candidate.append(path, nameStart == std::string::npos ? 0 : nameStart, std::string::npos);
}

// Whether a candidate exists, as FindFirstMatch says.
bool Exists(const std::string& candidate)
{
    return platform::FindFirstMatch(candidate);
}

// The path as named, then its bare name in the current directory, built in the candidate, which holds what
// was found when the answer is true. The bare name is made only when the path as named is not there, as
// most are, and is not tried again when it is the path itself. `room` is what the caller will append to a
// name after a miss, so the candidate is allocated once.
template <class Probe>
bool FindNearCandidate(const std::string& path, size_t nameStart, Probe&& probe, std::string& candidate,
                       size_t room)
{
    // Either separator finds the same entry: the path is looked up as given and spelt with '\' once found.
    if (probe(path))
    {
        candidate.reserve(path.size());
        AppendFull(candidate, path, nameStart);
        return true;
    }
    if (room != 0 || nameStart != std::string::npos)
        candidate.reserve(path.size() + room);
    if (nameStart == std::string::npos)
        return false;
    AppendName(candidate, path, nameStart);
    return probe(candidate);
}

template <class Probe> void FindNear(const std::string& path, Probe&& probe, std::string& found)
{
    found.clear();
    if (!FindNearCandidate(path, NameStart(path), probe, found, 0))
        found.clear();
}

template <class Probe> std::string FindNear(const std::string& path, Probe&& probe)
{
    std::string found;
    FindNear(path, probe, found);
    return found;
}

// A probe that reads as it looks: the first candidate that exists is read whole when it can be, so finding
// a file and reading it cost one look-up. Names a wildcard or a trailing separator would make mean
// something else are looked up as FindFirstMatch does and read afterwards.
template <class Bytes> class ReadingProbe
{
public:
    ReadingProbe(Bytes& bytes, bool& read) : m_Bytes(bytes), m_Read(read) { m_Read = false; }

    bool operator()(const std::string& candidate)
    {
        if (candidate.empty())
            return false;
        const size_t nameStart = LastComponentStart(candidate);
        bool wildcard = nameStart == candidate.size();
        for (size_t i = nameStart; i < candidate.size() && !wildcard; ++i)
            wildcard = candidate[i] == '*' || candidate[i] == '?';
        if (wildcard)
        {
            if (!Exists(candidate))
                return false;
            const std::string native = platform::FindExisting(candidate);
            m_Read = !native.empty() && platform::ReadWholeFile(native, m_Bytes, kMaxWholeRead);
            return true;
        }
        const platform::FileRead result =
            platform::ReadFoundFile(candidate, m_Bytes, kMaxWholeRead, NativeSpelling());
        m_Read = result == platform::FileRead::Read;
        return result != platform::FileRead::Missing;
    }

private:
    static constexpr size_t kMaxWholeRead = 256u * 1024 * 1024;

    // One buffer, kept from file to file, for each candidate's platform spelling.
    static std::string& NativeSpelling()
    {
        static thread_local std::string spelling;
        return spelling;
    }

    Bytes& m_Bytes;
    bool& m_Read;
};

// A stream over an open descriptor, which it closes.
class DescriptorStream : public std::istream
{
public:
    DescriptorStream(int fd, std::ios::openmode mode) : std::istream(nullptr), m_Buffer(fd, mode)
    {
        rdbuf(&m_Buffer);
    }

private:
    __gnu_cxx::stdio_filebuf<char> m_Buffer;
};

} // namespace

kaFileSystem::kaFileSystem()
{
    g_pFileSystem = this;
}

kaFileSystem::~kaFileSystem()
{
    m_OpenedFiles.clear();
    m_SearchPaths.clear();
    if (g_pFileSystem == this)
        g_pFileSystem = nullptr;
}

bool kaFileSystem::Init(const std::string& registryKey, const std::string& installTypeName,
                        const std::string& installPathName, const std::string& /*minimalPathName*/,
                        const std::string& fallbackFolder, bool useFallbackFolder, bool trackOpenedFiles)
{
    m_RegistryKey = registryKey;
    m_InstallTypeName = installTypeName;
    m_InstallPathName = installPathName;
    m_FallbackFolder = fallbackFolder;
    m_UseFallbackFolder = useFallbackFolder;
    m_TrackOpenedFiles = trackOpenedFiles;
    _ReadInstallInfo();
    m_Initialised = true;
    return true;
}

void kaFileSystem::_ReadInstallInfo()
{
    if (!platform::GetRegistry().KeyExists(m_RegistryKey))
    {
        m_InstallType = 0;
        return;
    }
    uint32_t installType = 0;
    if (platform::QueryRegistryDword(m_RegistryKey, m_InstallTypeName, installType))
        m_InstallType = installType;
    std::string folder;
    if (platform::QueryRegistryString(m_RegistryKey, m_InstallPathName, folder))
    {
        folder = folder.substr(0, folder.find('\0'));
        // A folder written without its trailing separator would otherwise be glued to every file name.
        if (!folder.empty())
            folder = WithTrailingSeparator(folder);
        m_InstallFolder = folder;
    }
    // Linux has no drive letters: there are no CD-ROM roots to probe.
}

void kaFileSystem::AddSearchPath(const std::string& folder)
{
    // A folder a loader pushes for one load is popped again at its end: the entry is taken from those
    // removed before, keeping its room, so pushing and popping allocates nothing once warm.
    if (m_SpareSearchPaths.empty())
        m_SpareSearchPaths.emplace_back();
    m_SearchPaths.splice(m_SearchPaths.end(), m_SpareSearchPaths, m_SpareSearchPaths.begin());
    std::string& entry = m_SearchPaths.back();
    const bool separated = EndsInSeparator(folder);
    entry.reserve(folder.size() + (separated ? 0 : 1));
    entry.assign(folder);
    if (!separated)
        entry += '\\';
}

void kaFileSystem::RemoveSearchPath(const std::string& folder)
{
    for (auto entry = m_SearchPaths.begin(); entry != m_SearchPaths.end();)
    {
        const auto next = std::next(entry);
        if (IsNormalisedFolder(*entry, folder))
            m_SpareSearchPaths.splice(m_SpareSearchPaths.end(), m_SearchPaths, entry);
        entry = next;
    }
}

void kaFileSystem::RemoveLastSearchPath(const std::string& folder)
{
    for (auto entry = m_SearchPaths.end(); entry != m_SearchPaths.begin();)
    {
        --entry;
        if (IsNormalisedFolder(*entry, folder))
        {
            m_SpareSearchPaths.splice(m_SpareSearchPaths.end(), m_SearchPaths, entry);
            return;
        }
    }
}

void kaFileSystem::RecordOpenedFile(const char* name)
{
    if (!m_TrackOpenedFiles || !name || !*name)
        return;
    m_OpenedFiles.emplace(HashFileName(name), name);
}

template <class Probe>
void kaFileSystem::_Search(const std::string& path, Probe& probe, std::string& candidate) const
{
    const size_t nameStart = NameStart(path);
    size_t longestFolder = std::max(m_InstallFolder.size(), m_UseFallbackFolder ? m_FallbackFolder.size() : 0);
    for (const std::string& folder : m_SearchPaths)
        longestFolder = std::max(longestFolder, folder.size());
    // One buffer serves every candidate in turn and holds the one found.
    candidate.clear();
    if (FindNearCandidate(path, nameStart, probe, candidate, longestFolder))
        return;
    for (const std::string& folder : m_SearchPaths)
    {
        candidate.assign(folder);
        AppendFull(candidate, path, nameStart);
        if (probe(candidate))
            return;
    }
    candidate.assign(m_InstallFolder);
    AppendName(candidate, path, nameStart);
    if (probe(candidate))
        return;
    if (m_UseFallbackFolder)
    {
        candidate.assign(m_FallbackFolder);
        AppendName(candidate, path, nameStart);
        if (probe(candidate))
            return;
    }
    candidate.clear();
}

std::string kaFileSystem::FindCandidate(const std::string& path) const
{
    auto probe = &Exists;
    std::string found;
    _Search(path, probe, found);
    return found;
}

std::string kaFileSystem::ReadCandidate(const std::string& path, std::string& bytes, bool& read) const
{
    std::string found;
    ReadCandidate(path, bytes, read, found);
    return found;
}

void kaFileSystem::ReadCandidate(const std::string& path, std::string& bytes, bool& read,
                                 std::string& found) const
{
    ReadingProbe<std::string> probe(bytes, read);
    _Search(path, probe, found);
}

std::string kaFileSystem::ReadCandidate(const std::string& path, platform::FileBytes& bytes, bool& read) const
{
    ReadingProbe<platform::FileBytes> probe(bytes, read);
    std::string found;
    _Search(path, probe, found);
    return found;
}

uint32_t HashFileName(const std::string& name)
{
    uint32_t hash = 5381;
    for (const char c : name)
        hash = hash * 33u + static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c)));
    return hash;
}

std::string ResolvePath(const std::string& path)
{
    if (g_pFileSystem)
        return g_pFileSystem->FindCandidate(path);
    // Before the file system exists only the path and its bare name can be tried.
    return FindNear(path, &Exists);
}

std::string ResolveAndRead(const std::string& path, std::string& bytes, bool& read)
{
    std::string found;
    ResolveAndRead(path, bytes, read, found);
    return found;
}

void ResolveAndRead(const std::string& path, std::string& bytes, bool& read, std::string& found)
{
    if (g_pFileSystem)
        return g_pFileSystem->ReadCandidate(path, bytes, read, found);
    FindNear(path, ReadingProbe<std::string>(bytes, read), found);
}

std::string ResolveAndRead(const std::string& path, platform::FileBytes& bytes, bool& read)
{
    if (g_pFileSystem)
        return g_pFileSystem->ReadCandidate(path, bytes, read);
    ReadingProbe<platform::FileBytes> probe(bytes, read);
    return FindNear(path, probe);
}

void OpenStream(kaManagedStream& stream, const std::string& path, unsigned mode)
{
    std::ios::openmode openMode = std::ios::in;
    if (mode & 1u)
        openMode |= std::ios::binary;
    // Readers seek and measure what is left as they go, which on a file stream costs a system call and a
    // refill each time: a regular file is read whole as it is found and served from memory.
    std::string bytes;
    bool read = false;
    const std::string found = ResolveAndRead(path, bytes, read);
    if (read)
    {
        if (g_pFileSystem)
            g_pFileSystem->RecordOpenedFile(found.c_str());
        stream.Reset(new std::istringstream(std::move(bytes), openMode));
        return;
    }
    // Only a regular file too large to read whole streams; anything else is a stream whose first read fails
    // (no buffer and the bad bit set).
    const int fd = found.empty() ? -1 : platform::OpenReadable(found, platform::kAnyFileSize);
    if (fd < 0)
    {
        stream.Reset(new std::istream(nullptr));
        return;
    }
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(found.c_str());
    stream.Reset(new DescriptorStream(fd, openMode));
}

FILE* OpenFile(const char* fileName, const char* mode, size_t maxBytes)
{
    if (!fileName || !*fileName)
        return nullptr;
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(fileName);
    return platform::OpenFile(fileName, mode, maxBytes);
}

FILE* OpenFile(const std::string& fileName, const char* mode, size_t maxBytes, platform::ReadRefusal* refusal)
{
    if (refusal)
        *refusal = platform::ReadRefusal::Missing;
    if (fileName.empty())
        return nullptr;
    if (g_pFileSystem)
        g_pFileSystem->RecordOpenedFile(fileName.c_str());
    return platform::OpenFile(fileName.c_str(), mode, maxBytes, refusal);
}
