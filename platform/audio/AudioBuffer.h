#pragma once

#include "platform/audio/AudioSource.h"
#include "platform/audio/AudioTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform
{

class AudioMixer;
class AudioListener;
class Audio3DBuffer;

// One sound buffer of the device. A secondary buffer holds PCM samples (8-bit unsigned or 16-bit
// signed, mono or stereo, any rate) and plays them once or looping; duplicates share the samples and
// keep their own position, volume, frequency, status and 3D settings. The primary buffer stands for
// the output itself: its format, the master volume and the 3D listener.
class AudioBuffer : private AudioSource
{
public:
    ~AudioBuffer() override;
    AudioBuffer(const AudioBuffer&) = delete;
    AudioBuffer& operator=(const AudioBuffer&) = delete;

    HResult GetStatus(uint32_t& status) const;
    HResult Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    HResult Stop();
    // Positions are in bytes of the buffer.
    HResult SetCurrentPosition(uint32_t position);
    HResult GetCurrentPosition(uint32_t& position) const;
    HResult SetVolume(int32_t volume);
    HResult GetVolume(int32_t& volume) const;
    HResult SetFrequency(uint32_t hertz);
    HResult GetFrequency(uint32_t& hertz) const;

    // Gives the bytes [offset, offset + bytes) of the shared samples, wrapping at the end into a second
    // part; the whole buffer with kLockEntireBuffer.
    HResult Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                 uint32_t* bytes2, uint32_t flags);
    HResult Unlock(void* part1, uint32_t bytes1, void* part2, uint32_t bytes2);
    HResult Restore();

    // Primary buffer only.
    HResult SetFormat(const WaveFormat& format);
    HResult GetListener(std::shared_ptr<AudioListener>& listener);

    // The 3D settings of a buffer made with kBufferCtrl3D; owned by the buffer.
    HResult Get3DBuffer(Audio3DBuffer*& buffer3D);

    uint32_t Flags() const { return m_Flags; }
    uint32_t Size() const;
    bool IsPrimary() const { return (m_Flags & kBufferPrimary) != 0; }

    // Test back end: the buffer is lost, and the next failingRestores calls of Restore fail with failure.
    void _SimulateLoss(uint32_t failingRestores, HResult failure = kResultBufferLost);

    static constexpr uint32_t kLockEntireBuffer = 0x2;

private:
    friend class AudioDevice;
    friend class Audio3DBuffer;

    // Samples shared by a buffer and its duplicates.
    struct SampleData
    {
        WaveFormat format;
        std::vector<uint8_t> bytes;
    };
    struct Spatial
    {
        float x = 0.0f, y = 0.0f, z = 0.0f;
        float minDistance = kDefaultMinDistance;
        float maxDistance = kDefaultMaxDistance;
    };

    AudioBuffer(std::shared_ptr<AudioMixer> mixer, uint32_t flags, std::shared_ptr<SampleData> data);
    static std::unique_ptr<AudioBuffer> _CreatePrimary(std::shared_ptr<AudioMixer> mixer, uint32_t flags);
    static std::unique_ptr<AudioBuffer> _CreateSecondary(std::shared_ptr<AudioMixer> mixer,
                                                         const BufferDesc& desc);
    std::unique_ptr<AudioBuffer> _Duplicate() const;

    void Mix(float* mix, uint32_t frames, uint32_t outputRate) override;
    void CommitDeferred() override;
    void _Gains(float& left, float& right) const;
    float _Sample(uint32_t frame, uint16_t channel) const;

    std::shared_ptr<AudioMixer> m_Mixer;
    uint32_t m_Flags;
    std::shared_ptr<SampleData> m_Data;
    std::unique_ptr<Audio3DBuffer> m_3D;

    bool m_Playing = false;
    bool m_Looping = false;
    // Play position in frames, 32.32 fixed point, so resampling steps are exact.
    uint64_t m_Position = 0;
    int32_t m_Volume = 0;
    uint32_t m_Frequency = kFrequencyOriginal;
    Spatial m_Spatial;
    Spatial m_PendingSpatial;
    bool m_Lost = false;
    uint32_t m_FailingRestores = 0;
    HResult m_RestoreFailure = kResultBufferLost;
};

} // namespace platform
