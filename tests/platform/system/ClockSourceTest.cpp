#include "platform/system/ClockSource.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

TEST(ClockSource, MonotonicCounterNeverGoesBack)
{
    platform::ClockSource& clock = platform::GetClockSource();
    int64_t frequency = 0;
    ASSERT_TRUE(clock.QueryPerformanceFrequency(frequency));
    EXPECT_GT(frequency, 0);
    const int64_t first = clock.QueryPerformanceCounter();
    platform::Sleep(2);
    const int64_t second = clock.QueryPerformanceCounter();
    EXPECT_GE(second - first, frequency / 1000);
}

TEST(ClockSource, ManualClockInstallsItselfAndRestoresThePreviousSource)
{
    platform::ClockSource* before = &platform::GetClockSource();
    {
        platform::ManualClock outer(100);
        {
            platform::ManualClock inner(10, false);
            EXPECT_EQ(&platform::GetClockSource(), &inner);
            int64_t frequency = 0;
            EXPECT_FALSE(platform::GetClockSource().QueryPerformanceFrequency(frequency));
        }
        EXPECT_EQ(&platform::GetClockSource(), &outer);
        outer.AdvanceSeconds(1.5);
        EXPECT_EQ(platform::GetClockSource().QueryPerformanceCounter(), 150);
        EXPECT_EQ(platform::GetClockSource().TimeGetTime(), 1500u);
    }
    EXPECT_EQ(&platform::GetClockSource(), before);
}

TEST(ClockSource, TickCountIsTheInstalledMillisecondTimerAndWraps)
{
    platform::ManualClock clock;
    clock.SetMilliseconds(0xFFFFFFF0u);
    EXPECT_EQ(platform::GetTickCount(), 0xFFFFFFF0u);
    clock.AdvanceMilliseconds(0x20);
    EXPECT_EQ(platform::GetTickCount(), 0x10u);
}
