#include "platform/system/ClockSource.h"

#include <chrono>
#include <thread>

namespace platform
{
namespace
{

// Nanosecond ticks of CLOCK_MONOTONIC, counted from the first use in the process.
class MonotonicClock : public ClockSource
{
public:
    MonotonicClock() : m_Start(std::chrono::steady_clock::now()) {}

    bool QueryPerformanceFrequency(int64_t& ticksPerSecond) override
    {
        ticksPerSecond = 1000000000;
        return true;
    }

    int64_t QueryPerformanceCounter() override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                    m_Start)
            .count();
    }

    uint32_t TimeGetTime() override { return static_cast<uint32_t>(QueryPerformanceCounter() / 1000000); }

private:
    std::chrono::steady_clock::time_point m_Start;
};

MonotonicClock& Monotonic()
{
    static MonotonicClock clock;
    return clock;
}

ClockSource* g_Installed = nullptr;

} // namespace

ClockSource& GetClockSource()
{
    return g_Installed ? *g_Installed : Monotonic();
}

void SetClockSource(ClockSource* source)
{
    g_Installed = source;
}

void Sleep(uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

uint32_t GetTickCount()
{
    return GetClockSource().TimeGetTime();
}

} // namespace platform
