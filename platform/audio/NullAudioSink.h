#pragma once

#include "platform/audio/AudioOutput.h"

#include <cstdint>
#include <vector>

namespace platform
{

// The test back end: while it lives, every new audio output is a silent one that renders only when
// Advance is called, so a test decides exactly how many frames have played. The previous output
// factory is restored on destruction.
class NullAudioSink
{
public:
    // With failOpen every output refuses to open, as when no sound card exists.
    explicit NullAudioSink(bool failOpen = false);
    ~NullAudioSink();
    NullAudioSink(const NullAudioSink&) = delete;
    NullAudioSink& operator=(const NullAudioSink&) = delete;

    // Renders frames from the open output into the captured samples; false when no output is open.
    bool Advance(uint32_t frames);

    // Everything rendered so far, as 16-bit samples (8-bit output widened), channels interleaved.
    const std::vector<int16_t>& Samples() const { return m_Samples; }
    // One channel of the captured frames, from a frame on.
    std::vector<int16_t> Channel(uint16_t channel, size_t fromFrame = 0) const;
    void Clear() { m_Samples.clear(); }

    bool IsOpen() const { return m_Mixer != nullptr; }
    const OutputFormat& Format() const { return m_Format; }

    // Called by the outputs it made.
    bool _Open(const OutputFormat& format, AudioMixer& mixer);
    void _Close(AudioMixer& mixer);
    void _Forget(AudioOutput* output);

private:
    AudioOutputFactory m_Previous;
    bool m_FailOpen;
    AudioMixer* m_Mixer = nullptr;
    OutputFormat m_Format;
    std::vector<int16_t> m_Samples;
    // Outputs it made that still exist; they are cut loose when the sink goes first.
    std::vector<AudioOutput*> m_Outputs;
};

} // namespace platform
