#include "platform/system/ManualClock.h"

#include <cmath>

namespace platform
{

ManualClock::ManualClock(int64_t ticksPerSecond, bool hasCounter)
    : m_Previous(&GetClockSource()), m_TicksPerSecond(ticksPerSecond), m_HasCounter(hasCounter)
{
    SetClockSource(this);
}

ManualClock::~ManualClock()
{
    SetClockSource(m_Previous);
}

void ManualClock::AdvanceSeconds(double seconds)
{
    m_Ticks += static_cast<int64_t>(std::llround(seconds * static_cast<double>(m_TicksPerSecond)));
    m_Milliseconds += static_cast<uint32_t>(std::llround(seconds * 1000.0));
}

bool ManualClock::QueryPerformanceFrequency(int64_t& ticksPerSecond)
{
    if (!m_HasCounter)
        return false;
    ticksPerSecond = m_TicksPerSecond;
    return true;
}

} // namespace platform
