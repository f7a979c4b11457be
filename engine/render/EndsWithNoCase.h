#pragma once

#include <cstddef>
#include <string>

// Whether the text ends in the lower-case suffix, in any letter case; compared in place, with the literal's
// length known when compiled, as every texture's file name is tested for its extension.
template <size_t N> bool EndsWithNoCase(const std::string& text, const char (&lowerSuffix)[N])
{
    const size_t length = N - 1;
    if (text.size() < length)
        return false;
    const char* at = text.data() + text.size() - length;
    for (size_t i = 0; i < length; ++i)
    {
        const char c = at[i];
        if ((c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c) != lowerSuffix[i])
            return false;
    }
    return true;
}
