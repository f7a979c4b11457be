#include "platform/audio/AudioDevice.h"
#include "platform/audio/Audio3DBuffer.h"
#include "platform/audio/AudioBuffer.h"
#include "platform/audio/AudioListener.h"
#include "platform/audio/NullAudioSink.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace platform;

namespace
{

class AudioDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(AudioDevice::Create(m_Device), kResultOk); }

    WaveFormat Format(uint16_t channels, uint32_t rate, uint16_t bits) const
    {
        WaveFormat f;
        f.formatTag = kWaveFormatPcm;
        f.channels = channels;
        f.samplesPerSec = rate;
        f.bitsPerSample = bits;
        f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
        f.avgBytesPerSec = rate * f.blockAlign;
        return f;
    }

    // A mono 16-bit buffer holding the samples.
    std::unique_ptr<AudioBuffer> Make16(const std::vector<int16_t>& samples, uint32_t flags = 0,
                                        uint32_t rate = 22050, uint16_t channels = 1)
    {
        const WaveFormat format = Format(channels, rate, 16);
        BufferDesc desc;
        desc.flags = flags | kBufferCtrlVolume | kBufferCtrlFrequency;
        desc.bufferBytes = static_cast<uint32_t>(samples.size() * 2);
        desc.format = &format;
        std::unique_ptr<AudioBuffer> buffer;
        EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultOk);
        Fill(*buffer, samples.data(), desc.bufferBytes);
        return buffer;
    }

    void Fill(AudioBuffer& buffer, const void* bytes, uint32_t size)
    {
        void* p1 = nullptr;
        void* p2 = nullptr;
        uint32_t n1 = 0, n2 = 0;
        ASSERT_EQ(buffer.Lock(0, size, &p1, &n1, &p2, &n2, 0), kResultOk);
        std::memcpy(p1, bytes, n1);
        buffer.Unlock(p1, n1, p2, n2);
    }

    bool Playing(const AudioBuffer& buffer) const
    {
        uint32_t status = 0;
        buffer.GetStatus(status);
        return (status & kStatusPlaying) != 0;
    }

    // Declared first so that it outlives the device and its buffers.
    NullAudioSink m_Sink;
    std::unique_ptr<AudioDevice> m_Device;
};

} // namespace

TEST_F(AudioDeviceTest, OneShotStopsAtItsEndAndRewinds)
{
    auto buffer = Make16(std::vector<int16_t>(100, 1000));
    ASSERT_EQ(buffer->Play(0, 0, 0), kResultOk);
    m_Sink.Advance(50);
    EXPECT_TRUE(Playing(*buffer));
    uint32_t position = 0;
    buffer->GetCurrentPosition(position);
    EXPECT_EQ(position, 100u);
    m_Sink.Advance(60);
    EXPECT_FALSE(Playing(*buffer));
    buffer->GetCurrentPosition(position);
    EXPECT_EQ(position, 0u);
    const std::vector<int16_t> left = m_Sink.Channel(0);
    ASSERT_EQ(left.size(), 110u);
    EXPECT_EQ(left[0], 1000);
    EXPECT_EQ(left[99], 1000);
    EXPECT_EQ(left[100], 0);
    EXPECT_EQ(m_Sink.Channel(1)[50], 1000);
}

TEST_F(AudioDeviceTest, LoopingWrapsAndStopKeepsThePosition)
{
    std::vector<int16_t> ramp;
    for (int16_t i = 0; i < 10; ++i)
        ramp.push_back(static_cast<int16_t>(i * 100));
    auto buffer = Make16(ramp);
    buffer->Play(0, 0, kPlayLooping);
    m_Sink.Advance(25);
    uint32_t status = 0;
    buffer->GetStatus(status);
    EXPECT_EQ(status, kStatusPlaying | kStatusLooping);
    const std::vector<int16_t> left = m_Sink.Channel(0);
    EXPECT_EQ(left[10], 0);
    EXPECT_EQ(left[23], 300);
    buffer->Stop();
    uint32_t position = 0;
    buffer->GetCurrentPosition(position);
    EXPECT_EQ(position, 10u);
    m_Sink.Advance(5);
    EXPECT_EQ(m_Sink.Channel(0, 25), std::vector<int16_t>(5, 0));
}

TEST_F(AudioDeviceTest, VolumeIsHundredthsOfADecibel)
{
    auto buffer = Make16(std::vector<int16_t>(64, 16000));
    ASSERT_EQ(buffer->SetVolume(-600), kResultOk);
    buffer->Play(0, 0, kPlayLooping);
    m_Sink.Advance(8);
    EXPECT_NEAR(m_Sink.Channel(0)[4], 16000 * 0.501187, 1.0);

    buffer->SetVolume(kVolumeMin);
    m_Sink.Clear();
    m_Sink.Advance(8);
    EXPECT_EQ(m_Sink.Channel(0)[4], 0);

    EXPECT_EQ(buffer->SetVolume(1), kResultInvalidArg);
    EXPECT_EQ(buffer->SetVolume(-10001), kResultInvalidArg);
    int32_t volume = 0;
    buffer->GetVolume(volume);
    EXPECT_EQ(volume, kVolumeMin);
}

TEST_F(AudioDeviceTest, ControlsMissingFromTheBufferAreRefused)
{
    const WaveFormat format = Format(1, 22050, 16);
    BufferDesc desc;
    desc.bufferBytes = 64;
    desc.format = &format;
    std::unique_ptr<AudioBuffer> plain;
    ASSERT_EQ(m_Device->CreateSoundBuffer(desc, plain), kResultOk);
    EXPECT_EQ(plain->SetVolume(-100), kResultControlUnavailable);
    EXPECT_EQ(plain->SetFrequency(11025), kResultControlUnavailable);
    Audio3DBuffer* spatial = nullptr;
    EXPECT_EQ(plain->Get3DBuffer(spatial), kResultNoInterface);
    EXPECT_EQ(spatial, nullptr);
}

TEST_F(AudioDeviceTest, HalvingTheFrequencyHalvesThePitch)
{
    // Four periods of a sine over 200 frames.
    std::vector<int16_t> sine;
    for (int i = 0; i < 200; ++i)
        sine.push_back(
            static_cast<int16_t>(std::lround(10000.0 * std::sin(2.0 * M_PI * 4.0 * (i + 0.5) / 200.0))));
    auto buffer = Make16(sine);
    ASSERT_EQ(buffer->SetFrequency(11025), kResultOk);
    uint32_t hertz = 0;
    buffer->GetFrequency(hertz);
    EXPECT_EQ(hertz, 11025u);
    buffer->Play(0, 0, 0);
    m_Sink.Advance(399);
    EXPECT_TRUE(Playing(*buffer));
    m_Sink.Advance(1);
    EXPECT_FALSE(Playing(*buffer));

    int crossings = 0;
    const std::vector<int16_t> left = m_Sink.Channel(0);
    for (size_t i = 1; i < left.size(); ++i)
        crossings += (left[i - 1] < 0) != (left[i] < 0);
    // Still four periods, now spread over 400 frames: 7 sign changes inside.
    EXPECT_EQ(crossings, 7);

    EXPECT_EQ(buffer->SetFrequency(50), kResultInvalidArg);
    ASSERT_EQ(buffer->SetFrequency(kFrequencyOriginal), kResultOk);
    buffer->GetFrequency(hertz);
    EXPECT_EQ(hertz, 22050u);
}

TEST_F(AudioDeviceTest, BuffersOfOtherRatesAreResampledToTheOutput)
{
    auto buffer = Make16(std::vector<int16_t>(100, 500), 0, 44100);
    buffer->Play(0, 0, 0);
    m_Sink.Advance(49);
    EXPECT_TRUE(Playing(*buffer));
    m_Sink.Advance(1);
    EXPECT_FALSE(Playing(*buffer));
}

TEST_F(AudioDeviceTest, DuplicatesShareSamplesButNotState)
{
    auto original = Make16(std::vector<int16_t>(32, 0));
    std::unique_ptr<AudioBuffer> copy;
    ASSERT_EQ(m_Device->DuplicateSoundBuffer(*original, copy), kResultOk);
    const std::vector<int16_t> loud(32, 8000);
    Fill(*original, loud.data(), 64);

    copy->SetVolume(kVolumeMin);
    copy->Play(0, 0, kPlayLooping);
    m_Sink.Advance(4);
    EXPECT_EQ(m_Sink.Channel(0)[2], 0);
    EXPECT_FALSE(Playing(*original));

    copy->SetVolume(0);
    m_Sink.Advance(4);
    EXPECT_EQ(m_Sink.Channel(0)[6], 8000);
    uint32_t position = 0;
    original->GetCurrentPosition(position);
    EXPECT_EQ(position, 0u);
    copy->GetCurrentPosition(position);
    EXPECT_EQ(position, 16u);
}

TEST_F(AudioDeviceTest, EightBitSamplesAreUnsignedAroundHalfScale)
{
    const WaveFormat format = Format(2, 22050, 8);
    BufferDesc desc;
    desc.bufferBytes = 8;
    desc.format = &format;
    std::unique_ptr<AudioBuffer> buffer;
    ASSERT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultOk);
    const uint8_t bytes[8] = {0x80, 0xC0, 0x80, 0xC0, 0x80, 0xC0, 0x80, 0xC0};
    Fill(*buffer, bytes, 8);
    buffer->Play(0, 0, kPlayLooping);
    m_Sink.Advance(2);
    EXPECT_EQ(m_Sink.Channel(0)[1], 0);
    EXPECT_EQ(m_Sink.Channel(1)[1], 16384);
}

TEST_F(AudioDeviceTest, UnplayableFormatsAndSizesAreRefused)
{
    std::unique_ptr<AudioBuffer> buffer;
    BufferDesc desc;
    desc.bufferBytes = 64;
    WaveFormat float32 = Format(1, 22050, 32);
    desc.format = &float32;
    EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultBadFormat);
    WaveFormat six = Format(6, 22050, 16);
    desc.format = &six;
    EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultBadFormat);
    WaveFormat badAlign = Format(2, 22050, 16);
    badAlign.blockAlign = 3;
    desc.format = &badAlign;
    EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultBadFormat);
    WaveFormat good = Format(1, 22050, 16);
    desc.format = &good;
    desc.bufferBytes = 0;
    EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultInvalidArg);
    desc.bufferBytes = 64;
    desc.size = 12;
    EXPECT_EQ(m_Device->CreateSoundBuffer(desc, buffer), kResultInvalidArg);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(AudioDeviceTest, LockWrapsAtTheEndAndRefusesOutsideRanges)
{
    auto buffer = Make16(std::vector<int16_t>(8, 0));
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    ASSERT_EQ(buffer->Lock(12, 8, &p1, &n1, &p2, &n2, 0), kResultOk);
    EXPECT_EQ(n1, 4u);
    EXPECT_EQ(n2, 4u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 12);
    EXPECT_EQ(buffer->Lock(16, 1, &p1, &n1, &p2, &n2, 0), kResultInvalidArg);
    EXPECT_EQ(buffer->Lock(0, 17, &p1, &n1, &p2, &n2, 0), kResultInvalidArg);
    EXPECT_EQ(buffer->Lock(12, 8, &p1, &n1, nullptr, nullptr, 0), kResultInvalidArg);
    ASSERT_EQ(buffer->Lock(5, 1, &p1, &n1, &p2, &n2, AudioBuffer::kLockEntireBuffer), kResultOk);
    EXPECT_EQ(n1, 16u);
}

TEST_F(AudioDeviceTest, ALostBufferRefusesToPlayUntilRestored)
{
    auto buffer = Make16(std::vector<int16_t>(8, 3000));
    buffer->_SimulateLoss(2);
    uint32_t status = 0;
    buffer->GetStatus(status);
    EXPECT_EQ(status, kStatusBufferLost);
    EXPECT_EQ(buffer->Play(0, 0, 0), kResultBufferLost);
    EXPECT_EQ(buffer->Restore(), kResultBufferLost);
    EXPECT_EQ(buffer->Restore(), kResultBufferLost);
    EXPECT_EQ(buffer->Restore(), kResultOk);
    // The memory is back, its contents are not.
    buffer->Play(0, 0, kPlayLooping);
    m_Sink.Advance(4);
    EXPECT_EQ(m_Sink.Channel(0)[2], 0);
}

TEST_F(AudioDeviceTest, PrimaryBufferSetsTheOutputFormatAndMasterVolume)
{
    BufferDesc desc;
    desc.flags = kBufferPrimary | kBufferCtrlVolume;
    std::unique_ptr<AudioBuffer> primary;
    ASSERT_EQ(m_Device->CreateSoundBuffer(desc, primary), kResultOk);
    ASSERT_EQ(primary->SetFormat(Format(1, 11025, 16)), kResultOk);
    EXPECT_EQ(m_Sink.Format().rate, 11025u);
    EXPECT_EQ(m_Sink.Format().channels, 1u);
    ASSERT_EQ(primary->SetVolume(-600), kResultOk);
    primary.reset();

    auto buffer = Make16(std::vector<int16_t>(16, 20000));
    buffer->Play(0, 0, 0);
    m_Sink.Advance(4);
    ASSERT_EQ(m_Sink.Samples().size(), 4u);
    EXPECT_NEAR(m_Sink.Samples()[1], 20000 * 0.501187, 1.0);
    // 22050 Hz samples on an 11025 Hz output: the 16 frames last 8.
    EXPECT_TRUE(Playing(*buffer));
    m_Sink.Advance(4);
    EXPECT_FALSE(Playing(*buffer));

    BufferDesc wrong;
    wrong.flags = kBufferPrimary;
    wrong.bufferBytes = 100;
    EXPECT_EQ(m_Device->CreateSoundBuffer(wrong, primary), kResultInvalidArg);
}

TEST(AudioDeviceWithoutOutputTest, NoOutputMeansNoDevice)
{
    NullAudioSink sink(true);
    std::unique_ptr<AudioDevice> device;
    EXPECT_EQ(AudioDevice::Create(device), kResultNoDriver);
    EXPECT_EQ(device, nullptr);
}

namespace
{

class Audio3DTest : public AudioDeviceTest
{
protected:
    void SetUp() override
    {
        AudioDeviceTest::SetUp();
        m_Buffer = Make16(std::vector<int16_t>(64, 16000), kBufferCtrl3D | kBufferMute3DAtMaxDistance);
        ASSERT_EQ(m_Buffer->Get3DBuffer(m_3D), kResultOk);
        BufferDesc desc;
        desc.flags = kBufferPrimary | kBufferCtrl3D;
        std::unique_ptr<AudioBuffer> primary;
        ASSERT_EQ(m_Device->CreateSoundBuffer(desc, primary), kResultOk);
        ASSERT_EQ(primary->GetListener(m_Listener), kResultOk);
        m_3D->SetMinDistance(4.0f, kApplyImmediate);
        m_3D->SetMaxDistance(100.0f, kApplyImmediate);
        m_Buffer->Play(0, 0, kPlayLooping);
    }

    // The left and right output of the next frames.
    std::pair<int, int> Render()
    {
        m_Sink.Clear();
        m_Sink.Advance(4);
        return {m_Sink.Channel(0)[2], m_Sink.Channel(1)[2]};
    }

    std::unique_ptr<AudioBuffer> m_Buffer;
    Audio3DBuffer* m_3D = nullptr;
    std::shared_ptr<AudioListener> m_Listener;
};

} // namespace

TEST_F(Audio3DTest, GainFallsAsMinOverDistanceAndMutesPastMax)
{
    m_3D->SetPosition(0.0f, 0.0f, 3.0f, kApplyImmediate);
    EXPECT_EQ(Render(), std::make_pair(16000, 16000));
    m_3D->SetPosition(0.0f, 0.0f, 8.0f, kApplyImmediate);
    EXPECT_EQ(Render(), std::make_pair(8000, 8000));
    m_3D->SetPosition(0.0f, 60.0f, 80.0f, kApplyImmediate);
    EXPECT_EQ(Render(), std::make_pair(640, 640));
    m_3D->SetPosition(0.0f, 0.0f, 101.0f, kApplyImmediate);
    EXPECT_EQ(Render(), std::make_pair(0, 0));
}

TEST_F(Audio3DTest, WithoutMuteTheGainHoldsPastMax)
{
    auto unmuted = Make16(std::vector<int16_t>(64, 16000), kBufferCtrl3D);
    Audio3DBuffer* spatial = nullptr;
    ASSERT_EQ(unmuted->Get3DBuffer(spatial), kResultOk);
    m_Buffer->Stop();
    spatial->SetMinDistance(4.0f, kApplyImmediate);
    spatial->SetMaxDistance(100.0f, kApplyImmediate);
    spatial->SetPosition(0.0f, 0.0f, 400.0f, kApplyImmediate);
    unmuted->Play(0, 0, kPlayLooping);
    EXPECT_EQ(Render(), std::make_pair(640, 640));
}

TEST_F(Audio3DTest, SoundsToTheRightAreQuieterOnTheLeft)
{
    m_3D->SetPosition(2.0f, 0.0f, 0.0f, kApplyImmediate);
    const auto [left, right] = Render();
    EXPECT_EQ(right, 16000);
    EXPECT_EQ(left, 8000);
}

TEST_F(Audio3DTest, DeferredSettingsWaitForTheListenersCommit)
{
    m_3D->SetPosition(0.0f, 0.0f, 8.0f, kApplyDeferred);
    m_3D->SetMinDistance(2.0f, kApplyDeferred);
    EXPECT_EQ(Render(), std::make_pair(16000, 16000));
    float x = 1, y = 1, z = 1;
    m_3D->GetPosition(x, y, z);
    EXPECT_EQ(z, 0.0f);
    ASSERT_EQ(m_Listener->CommitDeferredSettings(), kResultOk);
    EXPECT_EQ(Render(), std::make_pair(4000, 4000));
    EXPECT_EQ(m_3D->SetMinDistance(-1.0f, kApplyImmediate), kResultInvalidArg);
    EXPECT_EQ(m_3D->SetPosition(NAN, 0.0f, 0.0f, kApplyImmediate), kResultInvalidArg);
}

TEST(NullAudioSinkTest, AnOutputOutlivingItsSinkStaysSilent)
{
    std::unique_ptr<AudioDevice> device;
    {
        NullAudioSink sink;
        ASSERT_EQ(AudioDevice::Create(device), kResultOk);
        EXPECT_TRUE(sink.IsOpen());
    }
    // The device and its output go after the sink without touching it.
    device.reset();
}
