#include "tests/support/SteppingClock.h"

#include <cmath>

namespace testsupport
{

void SteppingClock::SetStep(double seconds)
{
    int64_t frequency = 0;
    QueryPerformanceFrequency(frequency);
    m_StepTicks = static_cast<int64_t>(std::llround(seconds * static_cast<double>(frequency)));
}

int64_t SteppingClock::QueryPerformanceCounter()
{
    ++m_Reads;
    AdvanceTicks(m_StepTicks);
    return ManualClock::QueryPerformanceCounter();
}

} // namespace testsupport
