#include "platform/audio/AudioMixer.h"

#include "platform/audio/AudioSource.h"
#include "platform/audio/AudioTypes.h"

#include <algorithm>
#include <cmath>

namespace platform
{

namespace
{

std::mutex g_AcquireMutex;
std::weak_ptr<AudioMixer> g_Mixer;

} // namespace

std::shared_ptr<AudioMixer> AudioMixer::Acquire()
{
    std::lock_guard<std::mutex> lock(g_AcquireMutex);
    if (std::shared_ptr<AudioMixer> live = g_Mixer.lock())
        return live;
    std::unique_ptr<AudioOutput> output = CreateAudioOutput();
    if (!output)
        return nullptr;
    std::shared_ptr<AudioMixer> mixer(new AudioMixer(std::move(output)));
    if (!mixer->m_Output->Open(mixer->m_Format, *mixer))
        return nullptr;
    g_Mixer = mixer;
    return mixer;
}

AudioMixer::AudioMixer(std::unique_ptr<AudioOutput> output) : m_Output(std::move(output)) {}

AudioMixer::~AudioMixer()
{
    m_Output->Close();
}

float AudioMixer::VolumeToGain(int32_t volume)
{
    if (volume <= kVolumeMin)
        return 0.0f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(volume) / 2000.0));
}

void AudioMixer::Render(uint8_t* out, uint32_t frames)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Mix.assign(static_cast<size_t>(frames) * 2, 0.0f);
    for (AudioSource* source : m_Sources)
        source->Mix(m_Mix.data(), frames, m_Format.rate);

    const bool stereo = m_Format.channels == 2;
    for (uint32_t i = 0; i < frames; ++i)
    {
        const float left = m_Mix[i * 2] * m_MasterGain;
        const float right = m_Mix[i * 2 + 1] * m_MasterGain;
        const float values[2] = {stereo ? left : (left + right) * 0.5f, right};
        for (uint16_t c = 0; c < m_Format.channels; ++c)
        {
            const float v = std::clamp(values[c], -1.0f, 1.0f);
            if (m_Format.bitsPerSample == 8)
            {
                const long s = std::lround(v * 128.0f) + 128;
                *out++ = static_cast<uint8_t>(std::clamp(s, 0L, 255L));
            }
            else
            {
                const long s = std::clamp(std::lround(v * 32768.0f), -32768L, 32767L);
                const int16_t sample = static_cast<int16_t>(s);
                const uint16_t bits = static_cast<uint16_t>(sample);
                *out++ = static_cast<uint8_t>(bits & 0xFF);
                *out++ = static_cast<uint8_t>(bits >> 8);
            }
        }
    }
}

bool AudioMixer::SetFormat(const OutputFormat& format)
{
    const OutputFormat old = Format();
    // The output's thread takes the lock while rendering, so it is closed without holding it, and the
    // format is in place before it may render again.
    m_Output->Close();
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Format = format;
    }
    if (m_Output->Open(format, *this))
        return true;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Format = old;
    }
    m_Output->Open(old, *this);
    return false;
}

OutputFormat AudioMixer::Format() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Format;
}

void AudioMixer::SetMasterVolume(int32_t volume)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_MasterVolume = volume;
    m_MasterGain = VolumeToGain(volume);
}

int32_t AudioMixer::MasterVolume() const
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_MasterVolume;
}

void AudioMixer::AddSource(AudioSource* source)
{
    m_Sources.push_back(source);
}

void AudioMixer::RemoveSource(AudioSource* source)
{
    m_Sources.erase(std::remove(m_Sources.begin(), m_Sources.end(), source), m_Sources.end());
}

void AudioMixer::CommitDeferred()
{
    for (AudioSource* source : m_Sources)
        source->CommitDeferred();
}

} // namespace platform
