#include "engine/core/kaClock.h"
#include "engine/core/kaStopwatch.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// Runs each case on the counter path and on the millisecond fallback path.
class ClockTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<platform::ManualClock>(1000000, GetParam());
        // Start away from zero: a stop time of 0 means "running".
        m_Clock->AdvanceSeconds(10.0);
    }
    void TearDown() override
    {
        m_Clock.reset();
        _ResetClockState();
    }

    std::unique_ptr<platform::ManualClock> m_Clock;
};

} // namespace

TEST_P(ClockTest, ResetThenApplicationAndElapsedTime)
{
    EXPECT_EQ(GetTime(0), 0.0);
    EXPECT_NEAR(GetTime(5), 0.0, 1e-9);
    m_Clock->AdvanceSeconds(2.5);
    EXPECT_NEAR(GetTime(5), 2.5, 1e-6);
    EXPECT_NEAR(GetTime(6), 2.5, 1e-6);
    EXPECT_NEAR(GetTime(6), 0.0, 1e-9);
    m_Clock->AdvanceSeconds(0.25);
    EXPECT_NEAR(GetTime(6), 0.25, 1e-6);
    EXPECT_NEAR(GetTime(4), 12.75, 1e-6);

    // Unknown commands return -1, and a start while running returns 0; neither changes anything.
    m_Clock->AdvanceSeconds(1.0);
    EXPECT_EQ(GetTime(7), -1.0);
    EXPECT_EQ(GetTime(-1), -1.0);
    EXPECT_EQ(GetTime(1), 0.0);
    EXPECT_NEAR(GetTime(6), 1.0, 1e-6);
    EXPECT_NEAR(GetTime(5), 3.75, 1e-6);
}

TEST_P(ClockTest, StopFreezesAdvanceStepsAndStartResumesWithoutJump)
{
    GetTime(0);
    m_Clock->AdvanceSeconds(1.0);
    GetTime(2);
    m_Clock->AdvanceSeconds(5.0);
    EXPECT_NEAR(GetTime(5), 1.0, 1e-6);
    EXPECT_NEAR(GetTime(5), 1.0, 1e-6);
    GetTime(3);
    EXPECT_NEAR(GetTime(5), 1.1, 1e-6);
    GetTime(3);
    EXPECT_NEAR(GetTime(5), 1.2, 1e-6);
    // Absolute time keeps reading the source while stopped.
    EXPECT_NEAR(GetTime(4), 16.0, 1e-6);

    GetTime(1);
    EXPECT_NEAR(GetTime(5), 1.2, 1e-6);
    m_Clock->AdvanceSeconds(0.5);
    EXPECT_NEAR(GetTime(5), 1.7, 1e-6);
}

TEST_P(ClockTest, ResetKeepsAStopInForce)
{
    GetTime(0);
    m_Clock->AdvanceSeconds(1.0);
    GetTime(2);
    m_Clock->AdvanceSeconds(1.0);
    GetTime(0);
    m_Clock->AdvanceSeconds(3.0);
    EXPECT_NEAR(GetTime(5), 0.0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(CounterAndFallback, ClockTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Counter" : "Fallback";
                         });

TEST(ClockFallback, AdvanceUsesTheSinglePrecisionTenth)
{
    _ResetClockState();
    {
        platform::ManualClock clock(1000, false);
        clock.AdvanceSeconds(10.0);
        GetTime(0);
        GetTime(2);
        GetTime(3);
        EXPECT_DOUBLE_EQ(GetTime(5), static_cast<double>(0.1f));
    }
    _ResetClockState();
}

TEST(ClockCounter, StopAlsoMarksTheElapsedReadingOnlyOnTheCounterPath)
{
    for (bool counter : {true, false})
    {
        _ResetClockState();
        platform::ManualClock clock(1000, counter);
        clock.AdvanceSeconds(10.0);
        GetTime(0);
        clock.AdvanceSeconds(2.0);
        GetTime(2);
        EXPECT_NEAR(GetTime(6), counter ? 0.0 : 2.0, 1e-6) << (counter ? "counter" : "fallback");
    }
    _ResetClockState();
}

TEST(PauseControl, CommandsSetClearAndRead)
{
    EXPECT_EQ(PauseControl(1), 1);
    EXPECT_EQ(PauseControl(2), 1);
    EXPECT_EQ(PauseControl(5), 0);
    EXPECT_EQ(PauseControl(2), 1);
    EXPECT_EQ(PauseControl(0), 1);
    EXPECT_EQ(PauseControl(2), 0);
}

TEST(Stopwatch, CountsWholeSecondsAndIgnoresASecondStart)
{
    _ResetClockState();
    platform::ManualClock clock(1000);
    clock.AdvanceSeconds(10.0);
    GetTime(0);

    kaStopwatch watch;
    EXPECT_EQ(watch.GetElapsed(), 0);
    clock.AdvanceSeconds(3.0);
    EXPECT_EQ(watch.GetElapsed(), 0);

    watch.Start();
    clock.AdvanceSeconds(0.9);
    EXPECT_EQ(watch.GetElapsed(), 0);
    clock.AdvanceSeconds(0.2);
    EXPECT_EQ(watch.GetElapsed(), 1);
    watch.Start();
    clock.AdvanceSeconds(1.0);
    EXPECT_EQ(watch.GetElapsed(), 2);

    watch.Reset();
    EXPECT_EQ(watch.GetElapsed(), 0);
    _ResetClockState();
}

TEST(Stopwatch, PauseKeepsTheElapsedTimeAndStartCarriesOnFromIt)
{
    _ResetClockState();
    platform::ManualClock clock(1000);
    clock.AdvanceSeconds(10.0);
    GetTime(0);

    kaStopwatch watch;
    watch.Start();
    clock.AdvanceSeconds(2.5);
    watch.Pause();
    EXPECT_TRUE(watch.IsPaused());
    EXPECT_EQ(watch.GetElapsed(), 2);
    // Time passing while paused does not count, and a second pause changes nothing.
    clock.AdvanceSeconds(30.0);
    watch.Pause();
    EXPECT_EQ(watch.GetElapsed(), 2);
    watch.Start();
    EXPECT_FALSE(watch.IsPaused());
    clock.AdvanceSeconds(0.6);
    EXPECT_EQ(watch.GetElapsed(), 3);

    // A penalty counts at once, running or paused.
    watch.AddSeconds(5.0f);
    EXPECT_EQ(watch.GetElapsed(), 8);
    watch.Pause();
    watch.AddSeconds(1.0f);
    EXPECT_EQ(watch.GetElapsed(), 9);
    _ResetClockState();
}
