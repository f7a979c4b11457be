#include "platform/registry/RegistryFile.h"

#include "platform/files/Files.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace platform
{
namespace
{

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

} // namespace

bool RegistryFile::Load(const std::string& path)
{
    Clear();
    FILE* file = OpenFile(path.c_str(), "r");
    if (!file)
        return false;
    std::string text;
    char buffer[4096];
    for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, got);
    std::fclose(file);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
    {
        const std::string trimmed = TrimBlanks(line);
        if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';')
            continue;
        const size_t equals = trimmed.find('=');
        if (equals == std::string::npos)
            continue;
        const std::string fullName = TrimBlanks(trimmed.substr(0, equals));
        const size_t split = fullName.rfind('\\');
        if (split == std::string::npos || split == 0 || split + 1 == fullName.size())
            continue;
        const std::string key = fullName.substr(0, split);
        const std::string name = fullName.substr(split + 1);
        std::string existing;
        if (!QueryValue(key, name, existing))
            Set(key, name, TrimBlanks(trimmed.substr(equals + 1)));
    }
    return true;
}

std::string RegistryFile::DefaultPath()
{
    const char* named = std::getenv("TARVOLIN_REGISTRY");
    if (named && *named)
        return named;
    char exe[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    if (length <= 0)
        return "registry.cfg";
    const std::string path(exe, static_cast<size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + "registry.cfg";
}

} // namespace platform
