#include "engine/core/kaStopwatch.h"

#include "engine/core/kaClock.h"

kaStopwatch::kaStopwatch()
{
    Reset();
}

void kaStopwatch::Reset()
{
    m_Start = 0.0f;
    m_Accumulated = 0.0f;
    m_Paused = 1;
}

void kaStopwatch::Start()
{
    if (!m_Paused)
        return;
    m_Start = static_cast<float>(GetTime(5));
    m_Paused = 0;
}

int kaStopwatch::GetElapsed() const
{
    if (m_Paused)
        return static_cast<int>(m_Accumulated);
    return static_cast<int>(static_cast<float>(GetTime(5)) - m_Start + m_Accumulated);
}

void kaStopwatch::Pause()
{
    if (m_Paused)
        return;
    m_Accumulated += static_cast<float>(GetTime(5)) - m_Start;
    m_Paused = 1;
}

void kaStopwatch::AddSeconds(float seconds)
{
    m_Accumulated += seconds;
}
