#include "platform/system/DebugOutput.h"
#include "tests/support/DebugCapture.h"

#include <gtest/gtest.h>

TEST(DebugOutput, FormatsLongLinesWithoutTruncation)
{
    testsupport::DebugCapture capture;
    const std::string longName(2000, 'x');
    platform::DebugPrintf("[kaTest::Run] : %s %d", longName.c_str(), 42);
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0], "[kaTest::Run] : " + longName + " 42");
}

TEST(DebugOutput, NestedCapturesRestoreTheOuterSink)
{
    testsupport::DebugCapture outer;
    {
        testsupport::DebugCapture inner;
        platform::OutputDebugString("inner");
        EXPECT_TRUE(inner.Contains("inner"));
    }
    platform::OutputDebugString("outer");
    ASSERT_EQ(outer.Lines().size(), 1u);
    EXPECT_EQ(outer.Lines()[0], "outer");
}

// A notice reaches the debugger output and stderr, each once; a sink of a test's is no stderr.
TEST(DebugOutput, ANoticeGoesToTheSinkAndOnceToStderr)
{
    testsupport::DebugCapture capture;
    testing::internal::CaptureStderr();
    platform::OutputNotice("kaWorld::ReadXml - a notice.\n");
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "kaWorld::ReadXml - a notice.\n");
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_EQ(capture.Lines()[0].find("kaWorld::ReadXml - a notice."), 0u);
}
