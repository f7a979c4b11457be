#include "engine/core/kaProfiler.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaProfilerOutput.h"
#include "platform/system/ManualClock.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace
{

class RecordingOutput : public kaProfilerOutput
{
public:
    void SetText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

uint32_t FiveHundredTriangles()
{
    return 500;
}

const std::string kHeader = "Ave      |Calls    |Time ms |Profile Name\n";

class kaProfilerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        _ResetClockState();
        m_Clock = std::make_unique<platform::ManualClock>();
        m_Clock->AdvanceSeconds(10.0);
        m_Profiler = std::make_unique<kaProfiler>();
        // The first frame end only names the output.
        m_Profiler->EndFrame(0.0f, &m_Output);
    }

    void TearDown() override
    {
        m_Profiler.reset();
        m_Clock.reset();
        _ResetClockState();
    }

    void Section(const char* name, double seconds)
    {
        m_Profiler->Begin(name);
        m_Clock->AdvanceSeconds(seconds);
        m_Profiler->End(name);
    }

    std::unique_ptr<platform::ManualClock> m_Clock;
    std::unique_ptr<kaProfiler> m_Profiler;
    RecordingOutput m_Output;
};

} // namespace

TEST(kaProfilerLifetime, IsTheGlobalProfilerWhileItLives)
{
    {
        auto profiler = std::make_unique<kaProfiler>();
        EXPECT_EQ(g_pProfiler, profiler.get());
    }
    EXPECT_EQ(g_pProfiler, nullptr);
}

TEST_F(kaProfilerTest, NestedSectionIsStarredAndExcludedFromItsParent)
{
    m_Profiler->Begin("A");
    m_Clock->AdvanceSeconds(0.010);
    m_Profiler->Begin("B");
    m_Clock->AdvanceSeconds(0.020);
    m_Profiler->End("B");
    m_Clock->AdvanceSeconds(0.030);
    m_Profiler->End("A");
    m_Clock->AdvanceSeconds(0.040);
    m_Profiler->EndFrame(0.1f, &m_Output);

    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_EQ(m_Output.texts[0], "10.0 fps   0 triangles  0 triangles/second\n" + kHeader +
                                     " _40.0   |  ___1  |  __40.0   | A\n"
                                     " _20.0   |  ___1  |  __20.0   | *B\n");
}

TEST_F(kaProfilerTest, RepeatedSectionIsOneLineWithItsCallCount)
{
    m_Profiler->Begin("Twice");
    m_Profiler->Begin("Twice");
    m_Clock->AdvanceSeconds(0.5);
    m_Profiler->End("Twice");
    m_Profiler->End("Twice");
    m_Clock->AdvanceSeconds(0.5);
    m_Profiler->EndFrame(1.0f, &m_Output);

    ASSERT_EQ(m_Output.texts.size(), 1u);
    const std::string& text = m_Output.texts[0];
    EXPECT_NE(text.find("|  ___2  |"), std::string::npos) << text;
    EXPECT_EQ(text.find("Twice", text.find("Twice") + 1), std::string::npos) << text;
}

TEST_F(kaProfilerTest, ColumnsPadWithUnderscoresAndOverflowToQuestionMarks)
{
    Section("Small", 0.015);
    // A section ended again and again adds its span each time: far more than the frame.
    m_Profiler->Begin("Huge");
    m_Clock->AdvanceSeconds(0.5);
    for (int i = 0; i < 40; ++i)
        m_Profiler->End("Huge");
    m_Clock->AdvanceSeconds(0.485);
    m_Profiler->EndFrame(1.0f, &m_Output);

    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_EQ(m_Output.texts[0], "1.0 fps   0 triangles  0 triangles/second\n" + kHeader +
                                     " __1.5   |  ___1  |  __15.0   | Small\n"
                                     " ?????   |  ___1  |  ??????   | Huge\n");
}

TEST_F(kaProfilerTest, FirstFrameEndOnlyRecordsTheOutput)
{
    RecordingOutput first;
    RecordingOutput second;
    auto profiler = std::make_unique<kaProfiler>();
    m_Clock->AdvanceSeconds(1.0);
    profiler->EndFrame(0.1f, &first);
    EXPECT_TRUE(first.texts.empty());
    m_Clock->AdvanceSeconds(1.0);
    profiler->EndFrame(0.1f, &second);
    EXPECT_EQ(first.texts.size(), 1u);
    EXPECT_TRUE(second.texts.empty());
}

TEST_F(kaProfilerTest, EndingAnUnknownSectionChangesNothing)
{
    m_Profiler->Begin("A");
    m_Clock->AdvanceSeconds(0.25);
    m_Profiler->End("Never begun");
    m_Profiler->End("A");
    m_Clock->AdvanceSeconds(0.75);
    m_Profiler->EndFrame(1.0f, &m_Output);

    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_EQ(m_Output.texts[0], "1.0 fps   0 triangles  0 triangles/second\n" + kHeader +
                                     " _25.0   |  ___1  |  _250.0   | A\n");
}

TEST_F(kaProfilerTest, LinesAverageOverTheReportsSoFar)
{
    Section("A", 0.01);
    m_Clock->AdvanceSeconds(0.09);
    m_Profiler->EndFrame(0.6f, &m_Output);
    Section("A", 0.03);
    m_Clock->AdvanceSeconds(0.07);
    m_Profiler->EndFrame(0.6f, &m_Output);

    ASSERT_EQ(m_Output.texts.size(), 2u);
    EXPECT_NE(m_Output.texts[0].find(" _10.0   |  ___1  |  __10.0   | A\n"), std::string::npos)
        << m_Output.texts[0];
    EXPECT_NE(m_Output.texts[1].find(" _20.0   |  ___1  |  __20.0   | A\n"), std::string::npos)
        << m_Output.texts[1];
}

TEST_F(kaProfilerTest, TextIsHandedOverOnceMoreThanHalfASecondOfFramesGathered)
{
    for (int frame = 0; frame < 7; ++frame)
    {
        m_Clock->AdvanceSeconds(0.2);
        m_Profiler->EndFrame(0.2f, &m_Output);
    }
    // Shown at once, then after 0.6 s twice more.
    EXPECT_EQ(m_Output.texts.size(), 3u);
}

TEST_F(kaProfilerTest, FrameRateAveragesTheStoredFrameTimes)
{
    m_Profiler->SetTriangleCounter(&FiveHundredTriangles);
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(0.1f, &m_Output);
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(0.3f, &m_Output);
    EXPECT_EQ(m_Profiler->GetReportText(), "5.0 fps   500 triangles  1666 triangles/second\n" + kHeader);
}

TEST_F(kaProfilerTest, ZeroFrameTimesReportZeroRates)
{
    m_Profiler->SetTriangleCounter(&FiveHundredTriangles);
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(0.0f, &m_Output);
    EXPECT_EQ(m_Profiler->GetReportText(), "0.0 fps   500 triangles  0 triangles/second\n" + kHeader);
}

TEST_F(kaProfilerTest, NoTimePassedSkipsTheReportAndKeepsCounting)
{
    m_Profiler->Begin("A");
    m_Profiler->End("A");
    m_Profiler->EndFrame(0.1f, &m_Output);
    EXPECT_TRUE(m_Output.texts.empty());
    m_Profiler->Begin("A");
    m_Profiler->End("A");
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(0.1f, &m_Output);
    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_NE(m_Output.texts[0].find("|  ___2  |"), std::string::npos) << m_Output.texts[0];
}

TEST_F(kaProfilerTest, LongNamesAreCutAndStillMatchThemselves)
{
    const std::string longName(300, 'n');
    m_Profiler->Begin(longName.c_str());
    m_Profiler->Begin(longName.c_str());
    m_Profiler->End(longName.c_str());
    m_Profiler->End(longName.c_str());
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(1.0f, &m_Output);
    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_NE(m_Output.texts[0].find("|  ___2  |  ___0.0   | " + std::string(255, 'n') + "\n"),
              std::string::npos);
    EXPECT_EQ(m_Output.texts[0].find(std::string(256, 'n')), std::string::npos);
}

TEST_F(kaProfilerTest, SectionsBeyondTheLimitsAreNotMeasuredOrAveraged)
{
    for (int i = 0; i < kaProfiler::kMaxSamples + 1; ++i)
        Section(("S" + std::to_string(i)).c_str(), 0.001);
    m_Clock->AdvanceSeconds(1.0);
    m_Profiler->EndFrame(1.0f, &m_Output);
    ASSERT_EQ(m_Output.texts.size(), 1u);
    EXPECT_NE(m_Output.texts[0].find("| S49\n"), std::string::npos);
    EXPECT_EQ(m_Output.texts[0].find("| S50\n"), std::string::npos);

    // Every history record is taken: a new name is measured but has no averages.
    Section("Late", 0.5);
    m_Clock->AdvanceSeconds(0.5);
    m_Profiler->EndFrame(1.0f, &m_Output);
    EXPECT_NE(m_Profiler->GetReportText().find(" __0.0   |  ___1  |  ___0.0   | Late\n"), std::string::npos)
        << m_Profiler->GetReportText();
}
