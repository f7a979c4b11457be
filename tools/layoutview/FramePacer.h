#pragma once

#include <cstdint>
#include <functional>

// Paces a viewer's frames to a rate, sleeping out what is left of each frame's time instead of spinning,
// and measures how long each frame really lasted, for the GUI's timed effects and auto-repeat.
class FramePacer
{
public:
    // A frame that took longer (a stalled display, a dragged window) counts as this long.
    static constexpr float kMaxFrameTime = 0.25f;

    using SleepFunction = std::function<void(uint32_t milliseconds)>;

    // Time is read from the platform's clock source; `sleep` waits (the platform's sleep by default).
    explicit FramePacer(double framesPerSecond, SleepFunction sleep = SleepFunction());

    // Waits until the current frame's time is over, then returns the seconds since the previous call
    // returned (the first call: since construction).
    float NextFrame();

private:
    double Now() const;

    double m_FrameSeconds;
    SleepFunction m_Sleep;
    double m_FrameStart;
};
