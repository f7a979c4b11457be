#include "platform/audio/AudioBuffer.h"

#include "platform/audio/Audio3DBuffer.h"
#include "platform/audio/AudioListener.h"
#include "platform/audio/AudioMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform
{

namespace
{

constexpr uint32_t kMinBufferBytes = 4;
constexpr uint32_t kMaxBufferBytes = 0x0FFFFFFF;
// A sound straight to one side keeps half its gain in the far ear.
constexpr float kFarEarGain = 0.5f;

bool IsPlayableFormat(const WaveFormat& format)
{
    if (format.formatTag != kWaveFormatPcm && format.formatTag != kWaveFormatExtensible)
        return false;
    if (format.channels < 1 || format.channels > 2)
        return false;
    if (format.bitsPerSample != 8 && format.bitsPerSample != 16)
        return false;
    if (format.blockAlign != format.channels * format.bitsPerSample / 8)
        return false;
    return format.samplesPerSec >= kFrequencyMin && format.samplesPerSec <= kFrequencyMax;
}

uint8_t SilenceByte(const WaveFormat& format)
{
    return format.bitsPerSample == 8 ? 0x80 : 0x00;
}

} // namespace

AudioBuffer::AudioBuffer(std::shared_ptr<AudioMixer> mixer, uint32_t flags, std::shared_ptr<SampleData> data)
    : m_Mixer(std::move(mixer)), m_Flags(flags), m_Data(std::move(data))
{
    if (!IsPrimary() && (m_Flags & kBufferCtrl3D))
        m_3D = std::make_unique<Audio3DBuffer>(*this);
}

AudioBuffer::~AudioBuffer()
{
    if (IsPrimary())
        return;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Mixer->RemoveSource(this);
}

std::unique_ptr<AudioBuffer> AudioBuffer::_CreatePrimary(std::shared_ptr<AudioMixer> mixer, uint32_t flags)
{
    return std::unique_ptr<AudioBuffer>(new AudioBuffer(std::move(mixer), flags, nullptr));
}

std::unique_ptr<AudioBuffer> AudioBuffer::_CreateSecondary(std::shared_ptr<AudioMixer> mixer,
                                                           const BufferDesc& desc)
{
    if (!desc.format || !IsPlayableFormat(*desc.format))
        return nullptr;
    if (desc.bufferBytes < kMinBufferBytes || desc.bufferBytes > kMaxBufferBytes)
        return nullptr;
    auto data = std::make_shared<SampleData>();
    data->format = *desc.format;
    data->bytes.assign(desc.bufferBytes, SilenceByte(data->format));
    std::unique_ptr<AudioBuffer> buffer(new AudioBuffer(mixer, desc.flags, std::move(data)));
    std::lock_guard<std::mutex> lock(mixer->Mutex());
    mixer->AddSource(buffer.get());
    return buffer;
}

std::unique_ptr<AudioBuffer> AudioBuffer::_Duplicate() const
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    std::unique_ptr<AudioBuffer> copy(new AudioBuffer(m_Mixer, m_Flags, m_Data));
    copy->m_Volume = m_Volume;
    copy->m_Frequency = m_Frequency;
    copy->m_Spatial = m_Spatial;
    copy->m_PendingSpatial = m_PendingSpatial;
    m_Mixer->AddSource(copy.get());
    return copy;
}

uint32_t AudioBuffer::Size() const
{
    return m_Data ? static_cast<uint32_t>(m_Data->bytes.size()) : 0;
}

HResult AudioBuffer::GetStatus(uint32_t& status) const
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    status = 0;
    if (m_Playing)
        status |= kStatusPlaying | (m_Looping ? kStatusLooping : 0);
    if (m_Lost)
        status |= kStatusBufferLost;
    return kResultOk;
}

HResult AudioBuffer::Play(uint32_t reserved, uint32_t /*priority*/, uint32_t flags)
{
    if (reserved != 0)
        return kResultInvalidArg;
    if (IsPrimary())
        return kResultOk;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    if (m_Lost)
        return kResultBufferLost;
    m_Playing = true;
    m_Looping = (flags & kPlayLooping) != 0;
    return kResultOk;
}

HResult AudioBuffer::Stop()
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Playing = false;
    return kResultOk;
}

HResult AudioBuffer::SetCurrentPosition(uint32_t position)
{
    if (IsPrimary())
        return kResultInvalidCall;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    if (position >= m_Data->bytes.size())
        return kResultInvalidArg;
    m_Position = static_cast<uint64_t>(position / m_Data->format.blockAlign) << 32;
    return kResultOk;
}

HResult AudioBuffer::GetCurrentPosition(uint32_t& position) const
{
    if (IsPrimary())
        return kResultInvalidCall;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    position = static_cast<uint32_t>(m_Position >> 32) * m_Data->format.blockAlign;
    return kResultOk;
}

HResult AudioBuffer::SetVolume(int32_t volume)
{
    if (!(m_Flags & kBufferCtrlVolume))
        return kResultControlUnavailable;
    if (volume < kVolumeMin || volume > kVolumeMax)
        return kResultInvalidArg;
    if (IsPrimary())
    {
        m_Mixer->SetMasterVolume(volume);
        return kResultOk;
    }
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Volume = volume;
    return kResultOk;
}

HResult AudioBuffer::GetVolume(int32_t& volume) const
{
    if (!(m_Flags & kBufferCtrlVolume))
        return kResultControlUnavailable;
    if (IsPrimary())
    {
        volume = m_Mixer->MasterVolume();
        return kResultOk;
    }
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    volume = m_Volume;
    return kResultOk;
}

HResult AudioBuffer::SetFrequency(uint32_t hertz)
{
    if (IsPrimary())
        return kResultInvalidCall;
    if (!(m_Flags & kBufferCtrlFrequency))
        return kResultControlUnavailable;
    if (hertz != kFrequencyOriginal && (hertz < kFrequencyMin || hertz > kFrequencyMax))
        return kResultInvalidArg;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Frequency = hertz;
    return kResultOk;
}

HResult AudioBuffer::GetFrequency(uint32_t& hertz) const
{
    if (IsPrimary())
        return kResultInvalidCall;
    if (!(m_Flags & kBufferCtrlFrequency))
        return kResultControlUnavailable;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    hertz = m_Frequency != kFrequencyOriginal ? m_Frequency : m_Data->format.samplesPerSec;
    return kResultOk;
}

HResult AudioBuffer::Lock(uint32_t offset, uint32_t bytes, void** part1, uint32_t* bytes1, void** part2,
                          uint32_t* bytes2, uint32_t flags)
{
    if (IsPrimary())
        return kResultInvalidCall;
    if (!part1 || !bytes1)
        return kResultInvalidArg;
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    if (m_Lost)
        return kResultBufferLost;
    const uint32_t size = static_cast<uint32_t>(m_Data->bytes.size());
    if (flags & kLockEntireBuffer)
    {
        offset = 0;
        bytes = size;
    }
    if (offset >= size || bytes == 0 || bytes > size)
        return kResultInvalidArg;
    const uint32_t first = std::min(bytes, size - offset);
    if (first < bytes && (!part2 || !bytes2))
        return kResultInvalidArg;
    *part1 = m_Data->bytes.data() + offset;
    *bytes1 = first;
    if (part2)
        *part2 = first < bytes ? m_Data->bytes.data() : nullptr;
    if (bytes2)
        *bytes2 = bytes - first;
    return kResultOk;
}

HResult AudioBuffer::Unlock(void* /*part1*/, uint32_t /*bytes1*/, void* /*part2*/, uint32_t /*bytes2*/)
{
    return IsPrimary() ? kResultInvalidCall : kResultOk;
}

HResult AudioBuffer::Restore()
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    if (!m_Lost)
        return kResultOk;
    if (m_FailingRestores > 0)
    {
        --m_FailingRestores;
        return m_RestoreFailure;
    }
    m_Lost = false;
    // The memory came back but not its contents.
    if (m_Data)
        std::fill(m_Data->bytes.begin(), m_Data->bytes.end(), SilenceByte(m_Data->format));
    return kResultOk;
}

void AudioBuffer::_SimulateLoss(uint32_t failingRestores, HResult failure)
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Lost = true;
    m_Playing = false;
    m_FailingRestores = failingRestores;
    m_RestoreFailure = failure;
}

HResult AudioBuffer::SetFormat(const WaveFormat& format)
{
    if (!IsPrimary())
        return kResultInvalidCall;
    if (!IsPlayableFormat(format))
        return kResultBadFormat;
    OutputFormat output;
    output.rate = format.samplesPerSec;
    output.channels = format.channels;
    output.bitsPerSample = format.bitsPerSample;
    return m_Mixer->SetFormat(output) ? kResultOk : kResultFail;
}

HResult AudioBuffer::GetListener(std::shared_ptr<AudioListener>& listener)
{
    if (!IsPrimary() || !(m_Flags & kBufferCtrl3D))
        return kResultNoInterface;
    listener = std::make_shared<AudioListener>(m_Mixer);
    return kResultOk;
}

HResult AudioBuffer::Get3DBuffer(Audio3DBuffer*& buffer3D)
{
    buffer3D = m_3D.get();
    return m_3D ? kResultOk : kResultNoInterface;
}

float AudioBuffer::_Sample(uint32_t frame, uint16_t channel) const
{
    const WaveFormat& format = m_Data->format;
    const size_t at = static_cast<size_t>(frame) * format.blockAlign + channel * (format.bitsPerSample / 8u);
    if (format.bitsPerSample == 8)
        return (static_cast<float>(m_Data->bytes[at]) - 128.0f) / 128.0f;
    const uint16_t bits = static_cast<uint16_t>(m_Data->bytes[at] | (m_Data->bytes[at + 1] << 8));
    return static_cast<float>(static_cast<int16_t>(bits)) / 32768.0f;
}

void AudioBuffer::_Gains(float& left, float& right) const
{
    float gain = AudioMixer::VolumeToGain(m_Volume);
    left = right = gain;
    if (!m_3D)
        return;
    const Spatial& s = m_Spatial;
    const float distance = std::sqrt(s.x * s.x + s.y * s.y + s.z * s.z);
    if (distance > s.maxDistance && (m_Flags & kBufferMute3DAtMaxDistance))
        gain = 0.0f;
    else if (distance > s.minDistance)
        gain *= s.minDistance / std::min(distance, std::max(s.maxDistance, s.minDistance));
    // The listener faces +Z with +Y up, so +X is to its right.
    const float pan = distance > 0.0f ? s.x / distance : 0.0f;
    left = gain * (1.0f - (1.0f - kFarEarGain) * std::max(pan, 0.0f));
    right = gain * (1.0f - (1.0f - kFarEarGain) * std::max(-pan, 0.0f));
}

void AudioBuffer::Mix(float* mix, uint32_t frames, uint32_t outputRate)
{
    if (!m_Playing || m_Lost || outputRate == 0)
        return;
    const WaveFormat& format = m_Data->format;
    const uint32_t total = static_cast<uint32_t>(m_Data->bytes.size() / format.blockAlign);
    if (total == 0)
    {
        m_Playing = false;
        return;
    }
    const uint32_t rate = m_Frequency != kFrequencyOriginal ? m_Frequency : format.samplesPerSec;
    const uint64_t step = (static_cast<uint64_t>(rate) << 32) / outputRate;
    const uint64_t end = static_cast<uint64_t>(total) << 32;
    float gainLeft = 0.0f, gainRight = 0.0f;
    _Gains(gainLeft, gainRight);
    const bool stereo = format.channels == 2;

    for (uint32_t i = 0; i < frames; ++i)
    {
        const uint32_t frame = static_cast<uint32_t>(m_Position >> 32);
        const float t = static_cast<float>(static_cast<double>(m_Position & 0xFFFFFFFFu) / 4294967296.0);
        const uint32_t next = frame + 1 < total ? frame + 1 : (m_Looping ? 0 : frame);
        const float l0 = _Sample(frame, 0);
        const float left = l0 + (_Sample(next, 0) - l0) * t;
        float right = left;
        if (stereo)
        {
            const float r0 = _Sample(frame, 1);
            right = r0 + (_Sample(next, 1) - r0) * t;
        }
        mix[i * 2] += left * gainLeft;
        mix[i * 2 + 1] += right * gainRight;

        m_Position += step;
        if (m_Position >= end)
        {
            if (m_Looping)
            {
                m_Position %= end;
            }
            else
            {
                // A one-shot that reaches its end stops and rewinds.
                m_Playing = false;
                m_Position = 0;
                return;
            }
        }
    }
}

void AudioBuffer::CommitDeferred()
{
    m_Spatial = m_PendingSpatial;
}

} // namespace platform
