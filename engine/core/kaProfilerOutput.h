#pragma once

#include <string>

// Where the profiler's report text goes: the profiler window's text box.
class kaProfilerOutput
{
public:
    virtual ~kaProfilerOutput() = default;
    virtual void SetText(const std::string& text) = 0;
};
