#include "tests/support/DebugCapture.h"

namespace testsupport
{

DebugCapture::DebugCapture()
{
    m_Previous = platform::SetDebugSink([this](const std::string& line) { m_Lines.push_back(line); });
}

DebugCapture::~DebugCapture()
{
    platform::SetDebugSink(std::move(m_Previous));
}

bool DebugCapture::Contains(const std::string& text) const
{
    for (const std::string& line : m_Lines)
    {
        if (line.find(text) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace testsupport
