#include "platform/files/Files.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform
{
namespace
{

char LowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
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

std::string ForwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
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

// The entry of the folder whose name equals the given one without regard to case; when several do,
// the first by byte order, so the choice does not depend on the order the folder happens to list.
std::string FindNoCase(const std::string& folder, const std::string& name)
{
    std::string found;
    for (const std::string& candidate : ReadFolder(folder))
        if (EqualNoCase(candidate, name) && (found.empty() || candidate < found))
            found = candidate;
    return found;
}

// Every entry of the folder whose name equals the given one without regard to case, in byte order.
std::vector<std::string> FindAllNoCase(const std::string& folder, const std::string& name)
{
    std::vector<std::string> found;
    for (std::string& candidate : ReadFolder(folder))
        if (EqualNoCase(candidate, name))
            found.push_back(std::move(candidate));
    std::sort(found.begin(), found.end());
    return found;
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

    std::string result = absolute ? "/" : "";
    if (AppendExisting(result, SplitComponents(slashed), 0))
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
    const std::string native = NativePath(path);
    struct stat info;
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
    const std::string native = NativePath(path);
    struct stat info;
    return !native.empty() && stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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

FILE* OpenFile(const char* path, const char* mode)
{
    if (!path || !*path || !mode)
    {
        errno = ENOENT;
        return nullptr;
    }
    const std::string native = NativePath(path);
    struct stat info;
    if (stat(native.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    {
        errno = EISDIR;
        return nullptr;
    }
    return std::fopen(native.c_str(), mode);
}

bool RenameFile(const std::string& from, const std::string& to)
{
    const std::string source = FindExisting(from);
    return !source.empty() && !to.empty() && std::rename(source.c_str(), NativePath(to).c_str()) == 0;
}

bool ReplaceFileContents(const std::string& path, const std::string& bytes)
{
    const std::string target = NativePath(path);
    if (target.empty())
        return false;
    std::string pattern = target + ".XXXXXX";
    const int fd = mkstemp(&pattern[0]);
    if (fd < 0)
        return false;
    // mkstemp makes the file private; a saved file gets the permissions any new file would.
    const mode_t mask = umask(0);
    umask(mask);
    bool written = fchmod(fd, 0666 & ~mask) == 0;
    for (std::size_t done = 0; written && done < bytes.size();)
    {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        written = n > 0;
        if (written)
            done += static_cast<std::size_t>(n);
    }
    written = written && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written || std::rename(pattern.c_str(), target.c_str()) != 0)
    {
        unlink(pattern.c_str());
        return false;
    }
    return true;
}

bool RemoveFile(const std::string& path)
{
    const std::string native = FindExisting(path);
    return !native.empty() && unlink(native.c_str()) == 0;
}

bool CreateDirectory(const std::string& path)
{
    const std::string native = NativePath(path);
    if (native.empty())
        return false;
    return mkdir(native.c_str(), 0777) == 0 || IsDirectory(native);
}

} // namespace platform
