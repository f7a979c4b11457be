#include "tools/layoutview/FramePacer.h"

#include "platform/system/ClockSource.h"

#include <algorithm>
#include <cmath>

FramePacer::FramePacer(double framesPerSecond, SleepFunction sleep)
    : m_FrameSeconds(framesPerSecond > 0.0 ? 1.0 / framesPerSecond : 0.0), m_Sleep(std::move(sleep))
{
    if (!m_Sleep)
        m_Sleep = [](uint32_t milliseconds) { platform::Sleep(milliseconds); };
    m_FrameStart = Now();
}

double FramePacer::Now() const
{
    platform::ClockSource& clock = platform::GetClockSource();
    int64_t frequency = 0;
    if (clock.QueryPerformanceFrequency(frequency) && frequency > 0)
        return static_cast<double>(clock.QueryPerformanceCounter()) / static_cast<double>(frequency);
    return static_cast<double>(clock.TimeGetTime()) / 1000.0;
}

float FramePacer::NextFrame()
{
    const double end = m_FrameStart + m_FrameSeconds;
    // Sleeps are whole milliseconds and may end early or late; the loop stops within a millisecond.
    for (double now = Now(); now < end; now = Now())
        m_Sleep(static_cast<uint32_t>(std::max(1.0, std::floor((end - now) * 1000.0))));
    const double now = Now();
    const double elapsed = now - m_FrameStart;
    m_FrameStart = now;
    return static_cast<float>(std::clamp(elapsed, 0.0, static_cast<double>(kMaxFrameTime)));
}
