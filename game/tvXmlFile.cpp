#include "game/tvXmlFile.h"

#include "engine/core/kaFileSystem.h"
#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace
{

// Element nesting as the parser would meet it: comments, declarations and quoted attribute values are
// skipped so that their text does not count.
int MeasureDepth(const std::string& text)
{
    int depth = 0;
    int deepest = 0;
    size_t i = 0;
    while ((i = text.find('<', i)) != std::string::npos)
    {
        if (text.compare(i, 4, "<!--") == 0)
        {
            const size_t end = text.find("-->", i + 4);
            i = end == std::string::npos ? text.size() : end + 3;
            continue;
        }
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const bool closing = next == '/';
        const bool markup = next == '!' || next == '?';
        char quote = '\0';
        size_t j = i + 1;
        for (; j < text.size(); ++j)
        {
            const char c = text[j];
            if (quote != '\0')
                quote = c == quote ? '\0' : quote;
            else if (c == '"' || c == '\'')
                quote = c;
            else if (c == '>')
                break;
        }
        const bool empty = j < text.size() && text[j - 1] == '/';
        if (closing)
            depth = depth > 0 ? depth - 1 : 0;
        else if (!markup && !empty)
            deepest = std::max(deepest, ++depth);
        i = j;
    }
    return deepest;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    FILE* file = OpenFile(path, "rb");
    if (!file)
        return false;
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, count);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size())
    {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += static_cast<size_t>(written);
    }
    return true;
}

std::string FolderOf(const std::string& nativePath)
{
    const size_t slash = nativePath.rfind('/');
    return slash == std::string::npos ? std::string(".") : nativePath.substr(0, slash == 0 ? 1 : slash);
}

// Writes the text to a unique temporary file beside the target and renames it over the target.
bool ReplaceFile(const std::string& path, const std::string& text, std::string& reason)
{
    const std::string target = platform::NativePath(path);
    const std::string folder = FolderOf(target);
    if (!platform::IsDirectory(folder) && !platform::CreateDirectory(folder))
    {
        reason = "cannot create the folder " + folder;
        return false;
    }
    std::string temporary = target + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
    {
        reason = std::string("cannot create a temporary file: ") + std::strerror(errno);
        return false;
    }
    const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
    const int error = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
    {
        reason = std::string("cannot write ") + temporary + ": " + std::strerror(written ? errno : error);
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0)
    {
        reason = std::string("cannot rename over the file: ") + std::strerror(errno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace

bool tvXmlFile::Load(TiXmlDocument& document, const std::string& path)
{
    const std::string found = ResolvePath(path);
    std::string text;
    if (found.empty() || !ReadWholeFile(found, text))
        return false;
    if (MeasureDepth(text) > kMaxDepth)
        return false;
    document.Parse(text.c_str(), nullptr, TIXML_DEFAULT_ENCODING);
    return !document.Error();
}

bool tvXmlFile::Save(const TiXmlDocument& document, const std::string& path, const char* caller)
{
    TiXmlPrinter printer;
    document.Accept(&printer);
    std::string reason;
    if (ReplaceFile(path, printer.Str(), reason))
        return true;
    platform::DebugPrintf("[%s] : %s not saved, %s\n", caller, path.c_str(), reason.c_str());
    return false;
}
