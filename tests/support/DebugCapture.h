#pragma once

#include "platform/system/DebugOutput.h"

#include <string>
#include <vector>

namespace testsupport
{

// Captures every debugger-output line for its lifetime, then restores the previous sink.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    const std::vector<std::string>& Lines() const { return m_Lines; }
    // True when some captured line contains the text.
    bool Contains(const std::string& text) const;
    void Clear() { m_Lines.clear(); }

private:
    platform::DebugSink m_Previous;
    std::vector<std::string> m_Lines;
};

} // namespace testsupport
