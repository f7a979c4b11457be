#pragma once

// Counts whole seconds of application time for game timers; can be paused and resumed.
class kaStopwatch
{
public:
    kaStopwatch();

    void Reset();
    void Start();
    // Whole seconds, truncated toward zero.
    int GetElapsed() const;

private:
    float m_Start;
    float m_Accumulated;
    int m_Paused;
};
