#include "engine/core/kaStringUtils.h"

#include <locale>

namespace
{

const char* const kSeparators = "\\/";

} // namespace

std::string ToLower(std::string text)
{
    if (!text.empty())
    {
        const auto& facet = std::use_facet<std::ctype<char>>(std::locale());
        facet.tolower(&text[0], &text[0] + text.size());
    }
    return text;
}

std::string Trim(std::string text)
{
    const std::string::size_type first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return std::string();
    const std::string::size_type last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string GetFileName(std::string path)
{
    const std::string::size_type separator = path.find_last_of(kSeparators);
    // Cut in place: the copy the caller handed over is the result.
    if (separator != std::string::npos)
        path.erase(0, separator + 1);
    return path;
}

std::string GetFolder(std::string path)
{
    const std::string::size_type separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos)
        return ".\\";
    path.resize(separator + 1);
    return path;
}

std::string CollapseParentDirs(std::string path)
{
    std::string::size_type p = path.rfind("..");
    while (p != std::string::npos && p >= 2)
    {
        if (path[p - 2] != '.')
        {
            const std::string::size_type separator = path.find_last_of(kSeparators, p - 2);
            std::string::size_type start = 0;
            std::string::size_type end = p + 2;
            if (separator != std::string::npos)
            {
                start = separator;
            }
            else if (end < path.size() && (path[end] == '\\' || path[end] == '/'))
            {
                // The first folder of a relative path went away: drop the separator after the ".." too,
                // or the rest would become a rooted path.
                ++end;
            }
            path.erase(start, end - start);
        }
        p = path.rfind("..", p - 1);
    }
    return path;
}
