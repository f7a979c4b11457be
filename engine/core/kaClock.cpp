#include "engine/core/kaClock.h"

#include "platform/system/ClockSource.h"

#include <cstdint>

namespace
{

// One path's times: counter ticks, or seconds when the fallback timer is used.
template <typename T> struct ClockTimes
{
    T base = 0;
    T lastElapsed = 0;
    T stop = 0;
};

struct ClockState
{
    bool initialised = false;
    bool usesCounter = false;
    int64_t ticksPerSecond = 0;
    ClockTimes<int64_t> counter;
    ClockTimes<double> fallback;
};

ClockState g_Clock;
int g_PauseFlag = 0;

double ReadFallbackSeconds()
{
    return static_cast<double>(platform::GetClockSource().TimeGetTime()) * 0.001;
}

template <typename T> double RunCommand(int command, ClockTimes<T>& times, T fresh, T tenth, bool stopResetsElapsed,
                                        double (*toSeconds)(T))
{
    const bool stopped = times.stop != 0;
    const T now = (stopped && command != 1 && command != 4) ? times.stop : fresh;
    switch (command)
    {
    case 0:
        times.base = now;
        times.lastElapsed = now;
        return 0.0;
    case 1:
        if (stopped)
        {
            times.base += now - times.stop;
            times.stop = 0;
            times.lastElapsed = now;
        }
        return 0.0;
    case 2:
        times.stop = now;
        if (stopResetsElapsed)
            times.lastElapsed = now;
        return 0.0;
    case 3:
        times.stop += tenth;
        return 0.0;
    case 4:
        return toSeconds(now);
    case 5:
        return toSeconds(now - times.base);
    case 6:
    {
        const double result = toSeconds(now - times.lastElapsed);
        times.lastElapsed = now;
        return result;
    }
    default:
        return -1.0;
    }
}

double TicksToSeconds(int64_t ticks)
{
    return static_cast<double>(ticks) / static_cast<double>(g_Clock.ticksPerSecond);
}

double SecondsToSeconds(double seconds)
{
    return seconds;
}

} // namespace

double GetTime(int command)
{
    platform::ClockSource& source = platform::GetClockSource();
    if (!g_Clock.initialised)
    {
        g_Clock.initialised = true;
        int64_t frequency = 0;
        g_Clock.usesCounter = source.QueryPerformanceFrequency(frequency) && frequency > 0;
        g_Clock.ticksPerSecond = g_Clock.usesCounter ? frequency : 0;
    }

    if (g_Clock.usesCounter)
    {
        // A stopped clock never reads the counter except to start or for absolute time.
        const bool needsReading = g_Clock.counter.stop == 0 || command == 1 || command == 4;
        const int64_t fresh = needsReading ? source.QueryPerformanceCounter() : 0;
        return RunCommand<int64_t>(command, g_Clock.counter, fresh, g_Clock.ticksPerSecond / 10, true,
                                   &TicksToSeconds);
    }

    const bool needsReading = g_Clock.fallback.stop == 0 || command == 1 || command == 4;
    const double fresh = needsReading ? ReadFallbackSeconds() : 0.0;
    return RunCommand<double>(command, g_Clock.fallback, fresh, static_cast<double>(0.1f), false,
                              &SecondsToSeconds);
}

int PauseControl(int command)
{
    switch (command)
    {
    case 0:
        g_PauseFlag = 0;
        return 1;
    case 1:
        g_PauseFlag = 1;
        return 1;
    case 2:
        return g_PauseFlag;
    default:
        return 0;
    }
}

void _ResetClockState()
{
    g_Clock = ClockState();
}
