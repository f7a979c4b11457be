#pragma once

#include "platform/system/ClockSource.h"

namespace platform
{

// A clock that moves only when told to. Installs itself for its lifetime and restores the previous
// source afterwards, so a test cannot leak it.
class ManualClock : public ClockSource
{
public:
    explicit ManualClock(int64_t ticksPerSecond = 1000000, bool hasCounter = true);
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    void AdvanceSeconds(double seconds);
    void AdvanceTicks(int64_t ticks) { m_Ticks += ticks; }
    void SetMilliseconds(uint32_t ms) { m_Milliseconds = ms; }
    void AdvanceMilliseconds(uint32_t ms) { m_Milliseconds += ms; }

    int64_t Ticks() const { return m_Ticks; }

    bool QueryPerformanceFrequency(int64_t& ticksPerSecond) override;
    int64_t QueryPerformanceCounter() override { return m_Ticks; }
    uint32_t TimeGetTime() override { return m_Milliseconds; }

private:
    ClockSource* m_Previous;
    int64_t m_TicksPerSecond;
    bool m_HasCounter;
    int64_t m_Ticks = 0;
    // The millisecond timer follows the counter unless set on its own.
    uint32_t m_Milliseconds = 0;
};

} // namespace platform
