#include "engine/core/ToWideString.h"

#include <cwchar>

std::wstring ToWideString(const std::string& text)
{
    std::wstring out;
    std::mbstate_t state{};
    const char* p = text.data();
    size_t left = text.size();
    while (left > 0)
    {
        wchar_t c = 0;
        const size_t n = std::mbrtowc(&c, p, left, &state);
        if (n == static_cast<size_t>(-1) || n == static_cast<size_t>(-2))
            return std::wstring();
        // An embedded NUL counts as one byte.
        const size_t used = n == 0 ? 1 : n;
        out.push_back(c);
        p += used;
        left -= used;
    }
    return out;
}
