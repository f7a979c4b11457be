#include "platform/files/Files.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <dirent.h>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace platform
{
namespace
{

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool LessByName(const DirectoryEntry& a, const DirectoryEntry& b)
{
    const auto lowerLess = [](char x, char y)
    { return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y)); };
    if (std::lexicographical_compare(a.name.begin(), a.name.end(), b.name.begin(), b.name.end(), lowerLess))
        return true;
    if (std::lexicographical_compare(b.name.begin(), b.name.end(), a.name.begin(), a.name.end(), lowerLess))
        return false;
    return a.name < b.name;
}

// In place; a path with no '\\' (most, once the engine has built them) is only scanned.
void FlipToForwardSlashes(std::string& path)
{
    const char* const first = static_cast<const char*>(std::memchr(path.data(), '\\', path.size()));
    if (first)
    {
        const size_t at = static_cast<size_t>(first - path.data());
        ReplaceBytes(&path[at], path.size() - at, '\\', '/');
    }
}

std::string ForwardSlashes(std::string path)
{
    FlipToForwardSlashes(path);
    return path;
}

bool EntryExists(const std::string& path)
{
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

std::vector<std::string> ReadFolder(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

std::string LowerName(const std::string& name)
{
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

// Folder listings for case-insensitive look-ups, by device and inode so that a change of the current
// folder cannot mix them up. A listing is used again only while the folder's modification time is the
// one it was read under, and only when that time was already older than the timestamp granularity when
// it was read: a change made later, by this program or any other, then gives the folder another time.
// This program's own creations, renames and removals drop the listing at once.
struct Listing
{
    timespec modified{};
    // Spellings by lower-case name, each list in byte order.
    std::unordered_map<std::string, std::vector<std::string>> byLower;
};

struct FolderKey
{
    dev_t device;
    ino_t inode;
    bool operator==(const FolderKey& other) const { return device == other.device && inode == other.inode; }
};

struct FolderKeyHash
{
    size_t operator()(const FolderKey& key) const
    {
        return std::hash<uint64_t>()(static_cast<uint64_t>(key.device) * 1000003u ^
                                     static_cast<uint64_t>(key.inode));
    }
};

// Changes to a folder within this long of reading it might not move its modification time.
constexpr int64_t kTimestampSlackNs = 100 * 1000 * 1000;

struct Listings
{
    std::mutex mutex;
    std::unordered_map<FolderKey, Listing, FolderKeyHash> byFolder;
};

// Made on first use: look-ups already run while other files' statics are being made.
Listings& TheListings()
{
    static Listings listings;
    return listings;
}

int64_t Nanoseconds(const timespec& t)
{
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

Listing ReadListing(const std::string& folder, const timespec& modified)
{
    Listing listing;
    listing.modified = modified;
    for (std::string& name : ReadFolder(folder))
        listing.byLower[LowerName(name)].push_back(std::move(name));
    for (auto& entry : listing.byLower)
        std::sort(entry.second.begin(), entry.second.end());
    return listing;
}

// Every entry of the folder whose name equals the given one without regard to case, in byte order.
std::vector<std::string> FindAllNoCase(const std::string& folder, const std::string& name)
{
    struct stat info;
    if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return {};
    const FolderKey key{info.st_dev, info.st_ino};
    Listings& listings = TheListings();
    std::lock_guard<std::mutex> lock(listings.mutex);
    auto found = listings.byFolder.find(key);
    if (found == listings.byFolder.end() || found->second.modified.tv_sec != info.st_mtim.tv_sec ||
        found->second.modified.tv_nsec != info.st_mtim.tv_nsec)
    {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        Listing listing = ReadListing(folder, info.st_mtim);
        // A folder changed moments ago may change again without its time moving: not kept.
        if (Nanoseconds(now) - Nanoseconds(info.st_mtim) <= kTimestampSlackNs)
        {
            listings.byFolder.erase(key);
            const auto spellings = listing.byLower.find(LowerName(name));
            return spellings == listing.byLower.end() ? std::vector<std::string>() : spellings->second;
        }
        found = listings.byFolder.insert_or_assign(key, std::move(listing)).first;
    }
    const auto spellings = found->second.byLower.find(LowerName(name));
    return spellings == found->second.byLower.end() ? std::vector<std::string>() : spellings->second;
}

// The entry of the folder whose name equals the given one without regard to case; when several do,
// the first by byte order, so the choice does not depend on the order the folder happens to list.
std::string FindNoCase(const std::string& folder, const std::string& name)
{
    const std::vector<std::string> found = FindAllNoCase(folder, name);
    return found.empty() ? std::string() : found.front();
}

// The folder holding a native path: everything before its last component.
std::string ParentFolder(const std::string& native)
{
    std::string path = native;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// This program changed the folder holding the path: its listing goes.
void ForgetFolderOf(const std::string& native)
{
    struct stat info;
    if (stat(ParentFolder(native).c_str(), &info) != 0)
        return;
    Listings& listings = TheListings();
    std::lock_guard<std::mutex> lock(listings.mutex);
    listings.byFolder.erase(FolderKey{info.st_dev, info.st_ino});
}

std::vector<std::string> SplitComponents(const std::string& slashed)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= slashed.size())
    {
        size_t end = slashed.find('/', start);
        if (end == std::string::npos)
            end = slashed.size();
        if (end > start)
            parts.push_back(slashed.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Appends parts[index..] to result (which ends in '/' or is empty) under the first spellings that make
// the whole path exist. Folders that differ only in case ("Resources" beside "resources") are each tried,
// so a file is found whichever of them holds it.
bool AppendExisting(std::string& result, const std::vector<std::string>& parts, size_t index)
{
    if (index == parts.size())
        return true;
    const std::string& part = parts[index];
    std::vector<std::string> spellings;
    if (part == "." || part == "..")
    {
        spellings.push_back(part);
    }
    else
    {
        spellings.push_back(part);
        for (std::string& match : FindAllNoCase(result.empty() ? "." : result, part))
            if (match != part)
                spellings.push_back(std::move(match));
    }
    const size_t kept = result.size();
    for (const std::string& spelling : spellings)
    {
        if (!EntryExists(result + spelling))
            continue;
        result += spelling;
        result += '/';
        if (AppendExisting(result, parts, index + 1))
            return true;
        result.resize(kept);
    }
    return false;
}

} // namespace

std::string NativePath(const std::string& path)
{
    if (path.empty())
        return std::string();
    const std::string slashed = ForwardSlashes(path);
    const bool absolute = slashed.front() == '/';
    const bool trailing = slashed.back() == '/';
    if (EntryExists(slashed))
        return slashed;

    // Most misses are in the last components: resolve from the deepest folder that exists as written,
    // and only then try other spellings of the folders above it.
    const std::vector<std::string> parts = SplitComponents(slashed);
    std::string result = absolute ? "/" : "";
    for (size_t existing = parts.size(); existing-- > 1;)
    {
        std::string prefix = absolute ? "/" : "";
        for (size_t i = 0; i < existing; ++i)
            prefix += parts[i] + '/';
        if (!EntryExists(prefix))
            continue;
        if (AppendExisting(prefix, parts, existing))
        {
            if (!trailing && prefix.size() > 1)
                prefix.pop_back();
            return prefix;
        }
        break;
    }
    if (AppendExisting(result, parts, 0))
    {
        if (!trailing && result.size() > 1)
            result.pop_back();
        return result;
    }

    // Nothing exists under any spelling: keep what does exist and the given case for the rest, which is
    // how a new file gets its name.
    bool resolving = true;
    size_t start = 0;
    while (start <= slashed.size())
    {
        size_t end = slashed.find('/', start);
        if (end == std::string::npos)
            end = slashed.size();
        std::string component = slashed.substr(start, end - start);
        start = end + 1;
        if (component.empty())
            continue;
        if (resolving && component != "." && component != ".." && !EntryExists(result + component))
        {
            const std::string match = FindNoCase(result.empty() ? "." : result, component);
            if (match.empty())
                resolving = false; // nothing below a missing folder can exist
            else
                component = match;
        }
        result += component;
        result += '/';
    }
    if (!trailing && result.size() > 1)
        result.pop_back();
    return result;
}

std::string FindExisting(const std::string& path)
{
    struct stat info;
    // Most paths exist as written: one look-up settles them.
    if (!path.empty())
    {
        std::string slashed = ForwardSlashes(path);
        if (stat(slashed.c_str(), &info) == 0)
            return slashed;
    }
    const std::string native = NativePath(path);
    if (native.empty() || stat(native.c_str(), &info) != 0)
        return std::string();
    return native;
}

bool PathExists(const std::string& path)
{
    return !FindExisting(path).empty();
}

bool IsDirectory(const std::string& path)
{
    struct stat info;
    if (!path.empty() && stat(ForwardSlashes(path).c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    const std::string native = NativePath(path);
    return !native.empty() && stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

void ReplaceBytes(char* data, size_t size, char from, char to)
{
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    const uint64_t fromWord = kOnes * static_cast<uint8_t>(from);
    const uint64_t change = static_cast<uint8_t>(from ^ to);
    size_t i = 0;
#if defined(__SSE2__)
    // Sixteen bytes a step: each byte equal to `from` has the difference of the two bytes flipped into it.
    const __m128i fromBytes = _mm_set1_epi8(from);
    const __m128i changeBytes = _mm_set1_epi8(static_cast<char>(from ^ to));
    for (; i + 16 <= size; i += 16)
    {
        __m128i* const at = reinterpret_cast<__m128i*>(data + i);
        const __m128i bytes = _mm_loadu_si128(at);
        const __m128i equal = _mm_cmpeq_epi8(bytes, fromBytes);
        if (_mm_movemask_epi8(equal) != 0)
            _mm_storeu_si128(at, _mm_xor_si128(bytes, _mm_and_si128(equal, changeBytes)));
    }
#endif
    for (; i + 8 <= size; i += 8)
    {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        // The high bit of each byte that equals `from`, exactly: no carry crosses from one byte to the next.
        const uint64_t diff = word ^ fromWord;
        const uint64_t equal = ~(((diff & kLow7) + kLow7) | diff) & ~kLow7;
        if (equal == 0)
            continue;
        word ^= (equal >> 7) * change;
        std::memcpy(data + i, &word, 8);
    }
    for (; i < size; ++i)
        data[i] = data[i] == from ? to : data[i];
}

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    size_t n = 0, p = 0;
    size_t starPattern = std::string::npos, starName = 0;
    while (n < name.size())
    {
        if (p < pattern.size() && pattern[p] == '*')
        {
            starPattern = p++;
            starName = n;
        }
        else if (p < pattern.size() && (pattern[p] == '?' || LowerAscii(pattern[p]) == LowerAscii(name[n])))
        {
            ++p;
            ++n;
        }
        else if (starPattern != std::string::npos)
        {
            // Let the last '*' swallow one more character and retry from there.
            p = starPattern + 1;
            n = ++starName;
        }
        else
        {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

std::vector<DirectoryEntry> ListDirectory(const std::string& pattern)
{
    std::vector<DirectoryEntry> entries;
    const std::string slashed = ForwardSlashes(pattern);
    const size_t split = slashed.rfind('/');
    const std::string folderPart = split == std::string::npos ? "" : slashed.substr(0, split + 1);
    const std::string namePattern = split == std::string::npos ? slashed : slashed.substr(split + 1);
    if (namePattern.empty())
        return entries;

    const std::string folder = folderPart.empty() ? "." : FindExisting(folderPart);
    if (folder.empty())
        return entries;

    for (std::string& name : ReadFolder(folder))
    {
        if (!MatchesPattern(name, namePattern))
            continue;
        struct stat info;
        const std::string full = folder + (folder.back() == '/' ? "" : "/") + name;
        DirectoryEntry entry;
        entry.isDirectory = stat(full.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        entry.name = std::move(name);
        entries.push_back(std::move(entry));
    }
    std::sort(entries.begin(), entries.end(), LessByName);
    return entries;
}

bool FindFirstMatch(const std::string& pattern)
{
    if (pattern.empty())
        return false;
    const char last = pattern.back();
    // A path that ends in a separator names the folder itself.
    if (last == '/' || last == '\\')
        return IsDirectory(pattern);
    // Without wildcards a direct look-up does, and spares reading the whole folder.
    const size_t split = pattern.find_last_of("/\\");
    const size_t nameStart = split == std::string::npos ? 0 : split + 1;
    if (pattern.find_first_of("*?", nameStart) == std::string::npos)
        return PathExists(pattern);
    return !ListDirectory(pattern).empty();
}

FILE* OpenFile(const char* path, const char* mode, size_t maxBytes, ReadRefusal* refusal)
{
    if (refusal)
        *refusal = ReadRefusal::Missing;
    if (!path || !*path || !mode)
    {
        errno = ENOENT;
        return nullptr;
    }
    const std::string modeText = mode;
    if (modeText.find('r') != std::string::npos && modeText.find('+') == std::string::npos)
    {
        const int fd = OpenReadable(path, maxBytes, refusal);
        if (fd < 0)
            return nullptr;
        FILE* file = fdopen(fd, mode);
        if (!file)
        {
            const int error = errno;
            close(fd);
            errno = error;
            if (refusal)
                *refusal = ReadRefusal::Unreadable;
        }
        return file;
    }
    const std::string native = NativePath(path);
    struct stat info;
    const bool existed = stat(native.c_str(), &info) == 0;
    if (existed && S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        if (refusal)
            *refusal = ReadRefusal::Folder;
        return nullptr;
    }
    FILE* file = std::fopen(native.c_str(), mode);
    if (file && !existed)
        ForgetFolderOf(native);
    if (refusal)
        *refusal = file ? ReadRefusal::Opened : ReadRefusal::Unreadable;
    return file;
}

namespace
{

FileMeasure MeasureOf(const struct stat& info)
{
    FileMeasure measure;
    measure.regular = S_ISREG(info.st_mode);
    measure.size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return measure;
}

// Never waits: a pipe or a device that slipped in after its look-up is opened without waiting for a writer
// or a carrier, and never becomes the controlling terminal.
int OpenForReading(const std::string& path)
{
    int fd;
    do
        fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    return fd;
}

ReadRefusal RefusalOf(const struct stat& info, size_t maxBytes)
{
    if (S_ISDIR(info.st_mode))
        return ReadRefusal::Folder;
    if (!S_ISREG(info.st_mode))
        return ReadRefusal::NotRegular;
    if (info.st_size > 0 && static_cast<uint64_t>(info.st_size) > maxBytes)
        return ReadRefusal::TooLarge;
    return ReadRefusal::Opened;
}

// A refusal a user can do something about is named on the debugger output; a missing file or a folder is
// the caller's to report, as it may only be one candidate of several.
int Refuse(const std::string& path, ReadRefusal why, size_t maxBytes, ReadRefusal* refusal)
{
    if (refusal)
        *refusal = why;
    if (why == ReadRefusal::NotRegular || why == ReadRefusal::TooLarge)
        DebugPrintf("[platform::OpenFile] : %s %s; not read\n", path.c_str(),
                    DescribeRefusal(why, maxBytes).c_str());
    if (why == ReadRefusal::Folder)
        errno = EISDIR;
    else if (why == ReadRefusal::Missing)
        errno = ENOENT;
    else if (why == ReadRefusal::TooLarge)
        errno = EFBIG;
    else if (why == ReadRefusal::NotRegular)
        errno = EINVAL;
    return -1;
}

// A pipe is never opened: opening one would wait for its writer, and take what it writes. The one read asks
// for a byte more than measured, so a file that grew since shows without another call; a read that ends
// short of the measure is a file that shrank. `room(n)` gives n writable bytes once the file is open; the
// answer is whether the file was opened, and `whole` whether it held exactly the measure.
template <class Room>
bool ReadOpened(const std::string& nativePath, const FileMeasure& measured, Room&& room, bool& whole)
{
    whole = false;
    const int fd = OpenForReading(nativePath);
    if (fd < 0)
        return false;
    const size_t size = static_cast<size_t>(measured.size);
    char* const into = reinterpret_cast<char*>(room(size + 1));
    size_t got = 0;
    bool failed = false;
    for (;;)
    {
        const ssize_t part = ::read(fd, into + got, size + 1 - got);
        if (part < 0 && errno == EINTR)
            continue;
        failed = part < 0;
        if (part <= 0)
            break;
        got += static_cast<size_t>(part);
        // A read that stops at the measure found the file's end there.
        if (got >= size)
            break;
    }
    close(fd);
    whole = !failed && got == size;
    return true;
}

template <class Bytes>
FileRead ReadFound(const std::string& path, Bytes& bytes, size_t maxBytes, std::string& native)
{
    native.clear();
    if (path.empty())
        return FileRead::Missing;
    struct stat info;
    // Most paths exist as written: the one look-up that settles them also measures the file.
    native.assign(path);
    FlipToForwardSlashes(native);
    if (stat(native.c_str(), &info) != 0)
    {
        native = NativePath(path);
        if (native.empty() || stat(native.c_str(), &info) != 0)
        {
            native.clear();
            return FileRead::Missing;
        }
    }
    return ReadMeasuredFile(native, MeasureOf(info), bytes, maxBytes) ? FileRead::Read : FileRead::NotWhole;
}

} // namespace

bool ReadMeasuredFile(const std::string& nativePath, const FileMeasure& measured, std::string& bytes,
                      size_t maxBytes)
{
    if (!measured.regular || measured.size > maxBytes || measured.size >= bytes.max_size())
        return false;
    bool whole = false;
    if (!ReadOpened(
            nativePath, measured,
            [&bytes](size_t n)
            {
                // Room a string already has is read over, not cleared; a string too small is made anew at the
                // size asked, as a fresh one would be, rather than grown to twice its room.
                if (n > bytes.capacity())
                {
                    std::string fresh;
                    fresh.resize(n);
                    bytes.swap(fresh);
                }
                else
                {
                    bytes.resize(n);
                }
                return &bytes[0];
            },
            whole))
        return false;
    if (whole)
        bytes.resize(static_cast<size_t>(measured.size));
    else
        bytes.clear();
    return whole;
}

bool ReadMeasuredFile(const std::string& nativePath, const FileMeasure& measured, FileBytes& bytes,
                      size_t maxBytes)
{
    if (!measured.regular || measured.size > maxBytes || measured.size >= SIZE_MAX)
        return false;
    bool whole = false;
    if (!ReadOpened(
            nativePath, measured, [&bytes](size_t n) { return bytes.MakeRoom(n); }, whole))
        return false;
    bytes.SetSize(whole ? static_cast<size_t>(measured.size) : 0);
    return whole;
}

bool ReadWholeFile(const std::string& nativePath, std::string& bytes, size_t maxBytes)
{
    struct stat info;
    return stat(nativePath.c_str(), &info) == 0 &&
           ReadMeasuredFile(nativePath, MeasureOf(info), bytes, maxBytes);
}

bool ReadWholeFile(const std::string& nativePath, FileBytes& bytes, size_t maxBytes)
{
    struct stat info;
    return stat(nativePath.c_str(), &info) == 0 &&
           ReadMeasuredFile(nativePath, MeasureOf(info), bytes, maxBytes);
}

std::string DescribeRefusal(ReadRefusal refusal, size_t maxBytes)
{
    switch (refusal)
    {
    case ReadRefusal::Opened:
        return "was read";
    case ReadRefusal::Missing:
        return "was not found";
    case ReadRefusal::Folder:
        return "is a folder";
    case ReadRefusal::NotRegular:
        return "is not a regular file";
    case ReadRefusal::TooLarge:
        return maxBytes % (size_t(1) << 20) == 0 ? "is larger than " + std::to_string(maxBytes >> 20) + " MB"
                                                 : "is larger than " + std::to_string(maxBytes) + " bytes";
    case ReadRefusal::Unreadable:
        break;
    }
    return "could not be opened";
}

int OpenReadable(const std::string& path, size_t maxBytes, ReadRefusal* refusal)
{
    if (refusal)
        *refusal = ReadRefusal::Missing;
    if (path.empty())
    {
        errno = ENOENT;
        return -1;
    }
    // Looked up before it is opened, as written first and resolved only when that fails: what it is decides
    // whether it is opened at all.
    std::string native = ForwardSlashes(path);
    struct stat info;
    if (stat(native.c_str(), &info) != 0)
    {
        native = NativePath(path);
        if (native.empty() || stat(native.c_str(), &info) != 0)
            return Refuse(path,
                          errno == ENOENT || errno == ENOTDIR || native.empty() ? ReadRefusal::Missing
                                                                                : ReadRefusal::Unreadable,
                          maxBytes, refusal);
    }
    ReadRefusal why = RefusalOf(info, maxBytes);
    if (why != ReadRefusal::Opened)
        return Refuse(path, why, maxBytes, refusal);
    const int fd = OpenForReading(native);
    if (fd < 0)
        return Refuse(path, errno == ENOENT ? ReadRefusal::Missing : ReadRefusal::Unreadable, maxBytes,
                      refusal);
    // What was opened is what was looked up, unless the name was given to something else in between.
    why = fstat(fd, &info) != 0 ? ReadRefusal::Unreadable : RefusalOf(info, maxBytes);
    if (why != ReadRefusal::Opened)
    {
        close(fd);
        return Refuse(path, why, maxBytes, refusal);
    }
    if (refusal)
        *refusal = ReadRefusal::Opened;
    return fd;
}

FileRead ReadFoundFile(const std::string& path, std::string& bytes, size_t maxBytes, std::string& native)
{
    return ReadFound(path, bytes, maxBytes, native);
}

FileRead ReadFoundFile(const std::string& path, FileBytes& bytes, size_t maxBytes, std::string& native)
{
    return ReadFound(path, bytes, maxBytes, native);
}

bool RenameFile(const std::string& from, const std::string& to)
{
    const std::string source = FindExisting(from);
    if (source.empty() || to.empty())
        return false;
    const std::string target = NativePath(to);
    if (std::rename(source.c_str(), target.c_str()) != 0)
        return false;
    ForgetFolderOf(source);
    ForgetFolderOf(target);
    return true;
}

bool RemoveFile(const std::string& path)
{
    const std::string native = FindExisting(path);
    if (native.empty() || unlink(native.c_str()) != 0)
        return false;
    ForgetFolderOf(native);
    return true;
}

bool CreateDirectory(const std::string& path)
{
    const std::string native = NativePath(path);
    if (native.empty())
        return false;
    if (mkdir(native.c_str(), 0777) == 0)
    {
        ForgetFolderOf(native);
        return true;
    }
    return IsDirectory(native);
}

bool SetCurrentDirectory(const std::string& path)
{
    const std::string native = FindExisting(path);
    return !native.empty() && IsDirectory(native) && chdir(native.c_str()) == 0;
}

} // namespace platform
