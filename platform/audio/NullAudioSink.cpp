#include "platform/audio/NullAudioSink.h"

#include "platform/audio/AudioMixer.h"

#include <algorithm>

namespace platform
{

namespace
{

class NullAudioOutput : public AudioOutput
{
public:
    explicit NullAudioOutput(NullAudioSink* sink) : m_Sink(sink) {}
    ~NullAudioOutput() override
    {
        Close();
        if (m_Sink)
            m_Sink->_Forget(this);
    }

    bool Open(const OutputFormat& format, AudioMixer& mixer) override
    {
        Close();
        if (!m_Sink || !m_Sink->_Open(format, mixer))
            return false;
        m_Mixer = &mixer;
        return true;
    }
    void Close() override
    {
        if (m_Mixer && m_Sink)
            m_Sink->_Close(*m_Mixer);
        m_Mixer = nullptr;
    }
    // The sink went first; the output stays silent and closed.
    void Detach() { m_Sink = nullptr; }

private:
    NullAudioSink* m_Sink;
    AudioMixer* m_Mixer = nullptr;
};

} // namespace

NullAudioSink::NullAudioSink(bool failOpen) : m_FailOpen(failOpen)
{
    m_Previous = SetAudioOutputFactory(
        [this]
        {
            auto output = std::make_unique<NullAudioOutput>(this);
            m_Outputs.push_back(output.get());
            return output;
        });
}

NullAudioSink::~NullAudioSink()
{
    SetAudioOutputFactory(std::move(m_Previous));
    for (AudioOutput* output : m_Outputs)
        static_cast<NullAudioOutput*>(output)->Detach();
}

void NullAudioSink::_Forget(AudioOutput* output)
{
    m_Outputs.erase(std::remove(m_Outputs.begin(), m_Outputs.end(), output), m_Outputs.end());
}

bool NullAudioSink::_Open(const OutputFormat& format, AudioMixer& mixer)
{
    if (m_FailOpen)
        return false;
    m_Mixer = &mixer;
    m_Format = format;
    return true;
}

void NullAudioSink::_Close(AudioMixer& mixer)
{
    if (m_Mixer == &mixer)
        m_Mixer = nullptr;
}

bool NullAudioSink::Advance(uint32_t frames)
{
    if (!m_Mixer)
        return false;
    std::vector<uint8_t> bytes(static_cast<size_t>(frames) * m_Format.FrameBytes());
    m_Mixer->Render(bytes.data(), frames);
    if (m_Format.bitsPerSample == 8)
    {
        for (uint8_t b : bytes)
            m_Samples.push_back(static_cast<int16_t>((static_cast<int>(b) - 128) * 256));
    }
    else
    {
        for (size_t i = 0; i + 1 < bytes.size(); i += 2)
            m_Samples.push_back(static_cast<int16_t>(static_cast<uint16_t>(bytes[i] | (bytes[i + 1] << 8))));
    }
    return true;
}

std::vector<int16_t> NullAudioSink::Channel(uint16_t channel, size_t fromFrame) const
{
    std::vector<int16_t> out;
    const size_t channels = m_Format.channels;
    for (size_t i = fromFrame * channels + channel; i < m_Samples.size(); i += channels)
        out.push_back(m_Samples[i]);
    return out;
}

} // namespace platform
