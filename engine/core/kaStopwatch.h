#pragma once

// Counts whole seconds of application time for game timers; can be paused and resumed.
class kaStopwatch
{
public:
    kaStopwatch();

    void Reset();
    void Start();
    // Stops counting, keeping the elapsed time; Start carries on from it.
    void Pause();
    bool IsPaused() const { return m_Paused != 0; }
    // Adds seconds to the elapsed time, running or paused (a time penalty).
    void AddSeconds(float seconds);
    // Whole seconds, truncated toward zero.
    int GetElapsed() const;

private:
    float m_Start;
    float m_Accumulated;
    int m_Paused;
};
