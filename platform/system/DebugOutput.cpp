#include "platform/system/DebugOutput.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace platform
{
namespace
{

bool DefaultSinkWrites()
{
    static const bool enabled = std::getenv("TARVOLIN_DEBUG_OUTPUT") != nullptr;
    return enabled;
}

void DefaultSink(const std::string& text)
{
    if (!DefaultSinkWrites())
        return;
    std::fputs(text.c_str(), stderr);
    if (text.empty() || text.back() != '\n')
        std::fputc('\n', stderr);
}

DebugSink& Sink()
{
    static DebugSink sink;
    return sink;
}

} // namespace

DebugSink SetDebugSink(DebugSink sink)
{
    DebugSink previous = std::move(Sink());
    Sink() = std::move(sink);
    return previous;
}

void OutputDebugString(const std::string& text)
{
    if (Sink())
        Sink()(text);
    else
        DefaultSink(text);
}

void OutputNotice(const std::string& text)
{
    OutputDebugString(text);
    if (Sink() || !DefaultSinkWrites())
        std::fputs(text.c_str(), stderr);
}

void DebugPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length < 0)
    {
        va_end(args);
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    OutputDebugString(std::string(buffer.data(), static_cast<size_t>(length)));
}

} // namespace platform
