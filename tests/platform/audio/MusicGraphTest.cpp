#include "platform/audio/MusicGraph.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>

#include <memory>

using namespace platform;
using testsupport::RiffBuilder;

namespace
{

class MusicGraphTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(MusicGraph::Create(m_Graph), kResultOk); }

    // A mono 16-bit file of constant samples.
    std::wstring File(const std::string& name, uint32_t rate, size_t frames, int16_t value)
    {
        const std::string path = m_Dir.Write(
            name,
            RiffBuilder::PcmWave(1, rate, 16, RiffBuilder::Samples16(std::vector<int16_t>(frames, value))));
        return std::wstring(path.begin(), path.end());
    }

    int64_t Position()
    {
        int64_t position = -1;
        EXPECT_EQ(m_Graph->GetCurrentPosition(position), kResultOk);
        return position;
    }

    NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    std::unique_ptr<MusicGraph> m_Graph;
};

} // namespace

TEST_F(MusicGraphTest, AGraphWithoutAFileFailsEveryQuery)
{
    EXPECT_EQ(m_Graph->RenderFile(L"/no/such/file.ogg"), kResultFail);
    int64_t value = 0;
    uint32_t capabilities = 0;
    EXPECT_EQ(m_Graph->GetCurrentPosition(value), kResultFail);
    EXPECT_EQ(m_Graph->GetStopPosition(value), kResultFail);
    EXPECT_EQ(m_Graph->GetDuration(value), kResultFail);
    EXPECT_EQ(m_Graph->GetCapabilities(capabilities), kResultFail);
    const int64_t zero = 0;
    EXPECT_EQ(m_Graph->SetPositions(&zero, kSeekingAbsolutePositioning, nullptr, kSeekingNoPositioning),
              kResultFail);
    // Not a sound at all.
    const std::string text = m_Dir.Write("notes.txt", "just text");
    EXPECT_EQ(m_Graph->RenderFile(std::wstring(text.begin(), text.end())), kResultFail);
    EXPECT_EQ(m_Graph->GetDuration(value), kResultFail);
}

TEST_F(MusicGraphTest, StreamsTheFileAndCountsPositionsIn100Nanoseconds)
{
    ASSERT_EQ(m_Graph->RenderFile(File("a.wav", 22050, 2205, 5000)), kResultOk);
    int64_t duration = 0, stop = 0;
    ASSERT_EQ(m_Graph->GetDuration(duration), kResultOk);
    EXPECT_EQ(duration, 1000000);
    m_Graph->GetStopPosition(stop);
    EXPECT_EQ(stop, 1000000);

    m_Sink.Advance(10);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(m_Sink.Channel(0)[5], 0);
    m_Graph->Run();
    int32_t state = -1;
    m_Graph->GetState(1000, state);
    EXPECT_EQ(state, kGraphRunning);
    m_Sink.Clear();
    m_Sink.Advance(441);
    EXPECT_EQ(Position(), 200000);
    EXPECT_EQ(m_Sink.Channel(0)[100], 5000);
    EXPECT_EQ(m_Sink.Channel(1)[100], 5000);

    // Stopping keeps the place; seeking moves it.
    m_Graph->Stop();
    m_Sink.Advance(441);
    EXPECT_EQ(Position(), 200000);
    EXPECT_EQ(m_Sink.Channel(0)[600], 0);
    const int64_t at = 400000;
    m_Graph->SetPositions(&at, kSeekingAbsolutePositioning, nullptr, kSeekingNoPositioning);
    EXPECT_EQ(Position(), 400000);
}

TEST_F(MusicGraphTest, FilesOfOtherRatesKeepTheirTime)
{
    ASSERT_EQ(m_Graph->RenderFile(File("fast.wav", 44100, 4410, 1000)), kResultOk);
    m_Graph->Run();
    m_Sink.Advance(441);
    EXPECT_EQ(Position(), 200000);
}

TEST_F(MusicGraphTest, VolumeIsHundredthsOfADecibel)
{
    ASSERT_EQ(m_Graph->RenderFile(File("a.wav", 22050, 2205, 16000)), kResultOk);
    ASSERT_EQ(m_Graph->SetVolume(-600), kResultOk);
    m_Graph->Run();
    m_Sink.Advance(8);
    EXPECT_NEAR(m_Sink.Channel(0)[4], 8019, 1);
    EXPECT_EQ(m_Graph->SetVolume(100), kResultInvalidArg);
}

TEST_F(MusicGraphTest, TheEndQueuesCompletionAndNotifiesTheWindowAtThePump)
{
    ScriptedWindowBackend backend;
    WindowClass windowClass;
    windowClass.className = "music";
    windowClass.procedure = &DefWindowProc;
    ASSERT_NE(RegisterClass(windowClass), 0);
    WindowHandle window = CreateWindow(0, "music", "music", 0, 0, 0, 100, 100, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    ASSERT_EQ(m_Graph->RenderFile(File("a.wav", 22050, 441, 5000)), kResultOk);
    m_Graph->SetNotifyWindow(window, 0x8001, 7);
    m_Graph->Run();
    m_Sink.Advance(440);
    MusicGraph::PumpEvents();
    Message message;
    EXPECT_FALSE(PeekMessage(message, PM_REMOVE));
    m_Sink.Advance(10);
    // Nothing reaches the window from the mixer's side; the pump on the program's thread posts it.
    EXPECT_FALSE(PeekMessage(message, PM_REMOVE));
    MusicGraph::PumpEvents();
    ASSERT_TRUE(PeekMessage(message, PM_REMOVE));
    EXPECT_EQ(message.window, window);
    EXPECT_EQ(message.message, 0x8001u);
    EXPECT_EQ(message.lParam, 7);
    EXPECT_EQ(Position(), 200000);

    int32_t code = 0;
    intptr_t p1 = 0, p2 = 0;
    ASSERT_EQ(m_Graph->GetEvent(code, p1, p2, 0), kResultOk);
    EXPECT_EQ(code, kEventComplete);
    EXPECT_EQ(m_Graph->GetEvent(code, p1, p2, 0), kResultFail);
    m_Graph.reset();
    _ResetWindowState();
}

// The formats music ships in, written by the decoder library itself.
TEST_F(MusicGraphTest, StreamsOggVorbisAndFlac)
{
    struct Case
    {
        const char* name;
        int format;
    };
    for (const Case& c : {Case{"song.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS},
                          Case{"song.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16}})
    {
        SCOPED_TRACE(c.name);
        SF_INFO info{};
        info.samplerate = 22050;
        info.channels = 2;
        info.format = c.format;
        if (!sf_format_check(&info))
        {
            ADD_FAILURE() << "the decoder library cannot write " << c.name;
            continue;
        }
        const std::string path = m_Dir.File(c.name);
        SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        std::vector<float> tone(22050 * 2);
        for (size_t i = 0; i < tone.size() / 2; ++i)
            tone[i * 2] = tone[i * 2 + 1] =
                0.5f * static_cast<float>(std::sin(2.0 * M_PI * 440.0 * i / 22050.0));
        ASSERT_EQ(sf_writef_float(file, tone.data(), 22050), 22050);
        sf_close(file);

        std::unique_ptr<MusicGraph> graph;
        MusicGraph::Create(graph);
        ASSERT_EQ(graph->RenderFile(std::wstring(path.begin(), path.end())), kResultOk);
        int64_t duration = 0;
        ASSERT_EQ(graph->GetDuration(duration), kResultOk);
        EXPECT_EQ(duration, kUnitsPerSecond);
        graph->Run();
        m_Sink.Clear();
        m_Sink.Advance(2205);
        int peak = 0;
        for (int16_t s : m_Sink.Channel(0))
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_NEAR(peak, 16384, 1200);
    }
}
