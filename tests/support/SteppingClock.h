#pragma once

#include "platform/system/ManualClock.h"

namespace testsupport
{

// A manual clock that also moves by a fixed step every time it is read, so that code waiting on the clock
// (a splash sequence, a timer) gets there without real time passing. A step of 0 makes it a plain manual
// clock again.
class SteppingClock : public platform::ManualClock
{
public:
    explicit SteppingClock(double stepSeconds) { SetStep(stepSeconds); }

    void SetStep(double seconds);
    int64_t QueryPerformanceCounter() override;

    // Times the counter was read.
    uint64_t Reads() const { return m_Reads; }

private:
    int64_t m_StepTicks = 0;
    uint64_t m_Reads = 0;
};

} // namespace testsupport
