#pragma once

#include <functional>
#include <string>

namespace platform
{

// Where diagnostic lines go. The default sink writes to stderr when TARVOLIN_DEBUG_OUTPUT is set
// and drops them otherwise; tests install a sink that captures them.
using DebugSink = std::function<void(const std::string&)>;

// Installs a sink and returns the one it replaces; an empty sink restores the default.
DebugSink SetDebugSink(DebugSink sink);

void OutputDebugString(const std::string& text);

// A line a player or a tester must see as well: on the debugger output, and on stderr unless the debugger
// output is written there already, so that it shows once.
void OutputNotice(const std::string& text);

// printf-style formatting into OutputDebugString, with no length limit.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
