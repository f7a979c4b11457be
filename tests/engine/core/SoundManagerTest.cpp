#include "engine/core/SoundManager.h"
#include "engine/core/SoundBuffer.h"
#include "engine/core/WaveFile.h"
#include "engine/core/kaApp.h"
#include "platform/audio/Audio3DBuffer.h"
#include "platform/audio/AudioBuffer.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/MusicGraph.h"
#include "platform/audio/NullAudioSink.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/RiffBuilder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace platform;
using testsupport::RiffBuilder;

namespace
{

constexpr uint32_t kPlainFlags = kBufferCtrlVolume;
constexpr uint32_t k3DFlags = 0x20090;

class SoundManagerTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_Manager.Init(nullptr)); }

    // A mono 16-bit wave at the output rate holding the value in every sample.
    std::string Wave16(const std::string& name, size_t frames, int16_t value)
    {
        return m_Dir.Write(
            name,
            RiffBuilder::PcmWave(1, 22050, 16, RiffBuilder::Samples16(std::vector<int16_t>(frames, value))));
    }

    std::unique_ptr<SoundBuffer> Create(const std::string& path, uint32_t flags = kPlainFlags,
                                        uint32_t count = 1)
    {
        std::unique_ptr<SoundBuffer> sound;
        EXPECT_EQ(m_Manager.CreateSound(&sound, path.c_str(), flags, Guid(), count), kResultOk);
        return sound;
    }

    static bool Playing(const AudioBuffer* buffer)
    {
        uint32_t status = 0;
        buffer->GetStatus(status);
        return (status & kStatusPlaying) != 0;
    }

    NullAudioSink m_Sink;
    testsupport::TempDir m_Dir;
    SoundManager m_Manager;
};

} // namespace

TEST_F(SoundManagerTest, InitSetsAStereo16BitOutputAt22050)
{
    EXPECT_TRUE(m_Sink.IsOpen());
    EXPECT_EQ(m_Sink.Format().rate, 22050u);
    EXPECT_EQ(m_Sink.Format().channels, 2u);
    EXPECT_EQ(m_Sink.Format().bitsPerSample, 16u);
    EXPECT_TRUE(m_Manager.DrainMusicEvents());
}

TEST(SoundManagerWithoutDeviceTest, RunsSilentWhenNoOutputOpens)
{
    NullAudioSink sink(true);
    SoundManager manager;
    EXPECT_FALSE(manager.Init(nullptr));
    std::unique_ptr<SoundBuffer> sound;
    EXPECT_EQ(manager.CreateSound(&sound, "any.wav", kPlainFlags, Guid(), 1), kResultNotInitialized);
    EXPECT_EQ(sound, nullptr);
    manager.SetMasterVolume(-100);
    manager.CommitDeferredSettings();
    EXPECT_FALSE(manager.DrainMusicEvents());
}

TEST_F(SoundManagerTest, AFailedWaveStaysCachedAndKeepsFailing)
{
    const std::string path = m_Dir.File("late.wav");
    std::unique_ptr<SoundBuffer> sound;
    EXPECT_EQ(m_Manager.CreateSound(&sound, path.c_str(), kPlainFlags, Guid(), 1), kResultFail);
    WaveFile* cached = m_Manager.GetWaveFile(path);
    EXPECT_EQ(cached->GetDataSize(), 0u);
    // The file appearing later does not help: the failed wave is what the cache holds.
    Wave16("late.wav", 16, 100);
    EXPECT_EQ(m_Manager.CreateSound(&sound, path.c_str(), kPlainFlags, Guid(), 1), kResultFail);
    EXPECT_EQ(m_Manager.GetWaveFile(path), cached);
    EXPECT_EQ(sound, nullptr);
}

TEST_F(SoundManagerTest, RefusesBadArguments)
{
    std::unique_ptr<SoundBuffer> sound;
    const std::string path = Wave16("a.wav", 16, 100);
    EXPECT_EQ(m_Manager.CreateSound(nullptr, path.c_str(), kPlainFlags, Guid(), 1), kResultInvalidArg);
    EXPECT_EQ(m_Manager.CreateSound(&sound, nullptr, kPlainFlags, Guid(), 1), kResultInvalidArg);
    EXPECT_EQ(m_Manager.CreateSound(&sound, path.c_str(), kPlainFlags, Guid(), 0), kResultInvalidArg);
}

TEST_F(SoundManagerTest, PlayPicksTheFirstIdleDuplicate)
{
    auto sound = Create(Wave16("a.wav", 100, 1000), kPlainFlags, 3);
    ASSERT_EQ(sound->GetCount(), 3u);
    ASSERT_EQ(sound->Play(0, 0), kResultOk);
    EXPECT_TRUE(Playing(sound->GetBuffer(0)));
    EXPECT_FALSE(Playing(sound->GetBuffer(1)));
    m_Sink.Advance(10);
    ASSERT_EQ(sound->Play(0, 0), kResultOk);
    EXPECT_TRUE(Playing(sound->GetBuffer(1)));
    EXPECT_FALSE(Playing(sound->GetBuffer(2)));
    m_Sink.Advance(10);
    // Two voices of the same sound add up.
    EXPECT_EQ(m_Sink.Channel(0)[15], 2000);
    sound->GetBuffer(0)->Stop();
    ASSERT_EQ(sound->Play(0, 0), kResultOk);
    EXPECT_FALSE(Playing(sound->GetBuffer(2)));
    EXPECT_TRUE(Playing(sound->GetBuffer(0)));
    // With every duplicate busy one of them is taken over.
    sound->Play(0, 0);
    sound->Play(0, 0);
    EXPECT_EQ(sound->IsAnyPlaying(), 1);
}

TEST_F(SoundManagerTest, VolumesAreHundredthsOfADecibel)
{
    auto sound = Create(Wave16("a.wav", 64, 16000));
    sound->SetVolume(-600);
    EXPECT_EQ(sound->GetVolume(), -600);
    sound->Play(0, 1);
    m_Sink.Advance(4);
    EXPECT_NEAR(m_Sink.Channel(0)[2], 8019, 1);
    m_Manager.SetMasterVolume(-600);
    m_Sink.Advance(4);
    EXPECT_NEAR(m_Sink.Channel(0)[6], 4019, 1);
}

TEST_F(SoundManagerTest, ShortWavesArePaddedWithSilenceOrRepeated)
{
    std::unique_ptr<AudioDevice> device;
    ASSERT_EQ(AudioDevice::Create(device), kResultOk);
    for (uint16_t bits : {8, 16})
    {
        SCOPED_TRACE(bits);
        const std::string path = m_Dir.Write("w" + std::to_string(bits) + ".wav",
                                             RiffBuilder::PcmWave(1, 22050, bits, "\x05\x06"));
        WaveFile* wave = m_Manager.GetWaveFile(path);
        ASSERT_EQ(wave->GetDataSize(), 2u);
        // A buffer larger than the wave's data.
        BufferDesc desc;
        desc.flags = kPlainFlags;
        desc.bufferBytes = 8;
        desc.format = wave->GetFormat();
        std::vector<std::unique_ptr<AudioBuffer>> buffers(1);
        ASSERT_EQ(device->CreateSoundBuffer(desc, buffers[0]), kResultOk);
        AudioBuffer* buffer = buffers[0].get();
        SoundBuffer sound(std::move(buffers), 8, wave, false);

        void* p = nullptr;
        uint32_t n = 0;
        ASSERT_EQ(buffer->Lock(0, 8, &p, &n, nullptr, nullptr, 0), kResultOk);
        const char silence = bits == 8 ? '\x80' : '\0';
        EXPECT_EQ(std::string(static_cast<char*>(p), n), std::string("\x05\x06") + std::string(6, silence));
        ASSERT_EQ(sound.FillFromWave(buffer, true), kResultOk);
        EXPECT_EQ(std::string(static_cast<char*>(p), n), "\x05\x06\x05\x06\x05\x06\x05\x06");
    }
}

TEST_F(SoundManagerTest, ALostBufferIsRestoredAndRefilledOnPlay)
{
    auto sound = Create(Wave16("a.wav", 64, 3000));
    sound->GetBuffer(0)->_SimulateLoss(3);
    ASSERT_EQ(sound->Play(0, 1), kResultOk);
    m_Sink.Advance(4);
    EXPECT_EQ(m_Sink.Channel(0)[2], 3000);
}

TEST_F(SoundManagerTest, RestoringGivesUpOnABufferThatStaysLost)
{
    auto sound = Create(Wave16("a.wav", 64, 3000));
    sound->GetBuffer(0)->_SimulateLoss(1000000);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(sound->Play(0, 0), kResultBufferLost);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    // Failures other than a lost buffer are retried without waiting and given up on as well.
    sound->GetBuffer(0)->_SimulateLoss(1000000, kResultFail);
    bool restored = true;
    EXPECT_EQ(sound->RestoreIfLost(sound->GetBuffer(0), &restored), kResultFail);
    EXPECT_FALSE(restored);
    EXPECT_EQ(sound->RestoreIfLost(nullptr, &restored), kResultNotInitialized);
}

TEST_F(SoundManagerTest, OnlyExistingBuffersHaveA3DInterface)
{
    auto sound = Create(Wave16("a.wav", 64, 16000), k3DFlags);
    Audio3DBuffer* spatial = nullptr;
    EXPECT_EQ(sound->Get3DInterface(0, &spatial), kResultOk);
    EXPECT_NE(spatial, nullptr);
    EXPECT_EQ(sound->Get3DInterface(1, &spatial), kResultInvalidArg);
}

TEST_F(SoundManagerTest, ShutdownEmptiesTheCacheAndInitStaysDone)
{
    const std::string path = Wave16("a.wav", 16, 100);
    m_Manager.GetWaveFile(path);
    m_Manager.Shutdown();
    EXPECT_FALSE(m_Manager.HasDevice());
    EXPECT_TRUE(m_Manager.Init(nullptr));
    EXPECT_FALSE(m_Manager.HasDevice());
    std::unique_ptr<SoundBuffer> sound;
    EXPECT_EQ(m_Manager.CreateSound(&sound, path.c_str(), kPlainFlags, Guid(), 1), kResultNotInitialized);
}

TEST(SoundManagerMusicTest, CompletionIsDrainedThroughTheWindowMessage)
{
    NullAudioSink sink;
    testsupport::TempDir dir;
    ScriptedWindowBackend backend;
    kaApp app("App", "AppClass");
    app.RegisterMainWindowClass(nullptr);
    ASSERT_EQ(app.CreateMainWindow(nullptr, SW_SHOW), 1);
    {
        SoundManager manager;
        ASSERT_TRUE(manager.Init(app.GetWindowHandle()));
        MusicGraph* graph = manager._MusicGraph();
        ASSERT_NE(graph, nullptr);
        const std::string path =
            dir.Write("end.wav", RiffBuilder::PcmWave(1, 22050, 16, std::string(200, '\x10')));
        ASSERT_EQ(graph->RenderFile(std::wstring(path.begin(), path.end())), kResultOk);
        graph->Run();
        sink.Advance(200);
        manager.CommitDeferredSettings();

        Message message;
        bool drained = false;
        // The window's pending paint comes back on every peek, so the walk is bounded.
        for (int i = 0; i < 16 && PeekMessage(message, PM_REMOVE); ++i)
        {
            if (message.message == SoundManager::kMusicEventMessage)
            {
                EXPECT_EQ(message.window, app.GetWindowHandle());
                EXPECT_EQ(app.HandleMessage(message.window, message.message, message.wParam, message.lParam),
                          0);
                drained = true;
            }
        }
        EXPECT_TRUE(drained);
        int32_t code = 0;
        intptr_t p1 = 0, p2 = 0;
        // The handler read the completion.
        EXPECT_EQ(graph->GetEvent(code, p1, p2, 0), kResultFail);
    }
    _ResetWindowState();
}

TEST_F(SoundManagerTest, PlayingAOneBufferSoundAgainGoesOnWhereItIs)
{
    auto sound = Create(Wave16("a.wav", 100, 1000));
    sound->Play(0, 0);
    m_Sink.Advance(60);
    ASSERT_EQ(sound->Play(0, 0), kResultOk);
    uint32_t position = 0;
    sound->GetBuffer(0)->GetCurrentPosition(position);
    EXPECT_EQ(position, 120u);
    // No second voice: the sound ends 100 frames after it first started.
    m_Sink.Advance(40);
    EXPECT_EQ(sound->IsAnyPlaying(), 0);
    EXPECT_EQ(m_Sink.Channel(0)[99], 1000);
}
