#pragma once

#include "engine/core/kaProfiler.h"

// Opens a profiler section for a scope and closes it at the scope's end, when a profiler exists and the
// section is wanted (the frames run from inside GUI waits are not profiled).
class ProfilerSection
{
public:
    explicit ProfilerSection(const char* name, bool wanted = true)
        : m_Name(wanted && g_pProfiler != nullptr ? name : nullptr)
    {
        if (m_Name != nullptr)
            g_pProfiler->Begin(m_Name);
    }
    ~ProfilerSection()
    {
        if (m_Name != nullptr && g_pProfiler != nullptr)
            g_pProfiler->End(m_Name);
    }
    ProfilerSection(const ProfilerSection&) = delete;
    ProfilerSection& operator=(const ProfilerSection&) = delete;

private:
    const char* m_Name;
};
