#include "tools/layoutview/FramePacer.h"

#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

TEST(FramePacer, SleepsOutEachFramesTimeAndReportsTheRealLength)
{
    // How long the work of each frame took, and the frame time the GUI should hear of.
    const struct
    {
        double work;
        float frameTime;
        bool sleeps;
    } cases[] = {
        {0.002, 0.050f, true},  // a quick frame waits for its slot
        {0.000, 0.050f, true},  // an idle one too: no spinning
        {0.080, 0.080f, false}, // a slow frame is reported as it was
        {0.049, 0.050f, true},
        {3.000, FramePacer::kMaxFrameTime, false}, // a stall counts as a short pause
    };
    platform::ManualClock clock;
    double slept = 0.0;
    int sleeps = 0;
    FramePacer pacer(20.0,
                     [&](uint32_t milliseconds)
                     {
                         ++sleeps;
                         slept += milliseconds / 1000.0;
                         clock.AdvanceSeconds(milliseconds / 1000.0);
                     });
    for (const auto& c : cases)
    {
        sleeps = 0;
        slept = 0.0;
        clock.AdvanceSeconds(c.work);
        EXPECT_NEAR(pacer.NextFrame(), c.frameTime, 0.0015) << c.work;
        EXPECT_EQ(sleeps > 0, c.sleeps) << c.work;
        if (c.sleeps)
        {
            EXPECT_NEAR(slept, 0.050 - c.work, 0.0015) << c.work;
        }
    }
}

} // namespace
