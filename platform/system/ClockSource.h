#pragma once

#include <cstdint>

namespace platform
{

// The process's time sources: a high-resolution counter and a millisecond timer.
// The engine's clock reads time only through the installed source, so tests can drive it.
class ClockSource
{
public:
    virtual ~ClockSource() = default;

    // False when no high-resolution counter exists; the clock then falls back to TimeGetTime.
    virtual bool QueryPerformanceFrequency(int64_t& ticksPerSecond) = 0;
    virtual int64_t QueryPerformanceCounter() = 0;
    // Milliseconds, wrapping at 2^32.
    virtual uint32_t TimeGetTime() = 0;
};

// The installed source; the monotonic clock from process start unless a test installed another.
ClockSource& GetClockSource();

// Installs a source (not owned); nullptr restores the monotonic clock.
void SetClockSource(ClockSource* source);

void Sleep(uint32_t milliseconds);

// Milliseconds of the installed source's timer, wrapping at 2^32 (the system's tick count).
uint32_t GetTickCount();

} // namespace platform
