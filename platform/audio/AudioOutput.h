#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform
{

class AudioMixer;

// The format the mixer renders into: 8-bit unsigned or 16-bit signed PCM, mono or stereo.
struct OutputFormat
{
    uint32_t rate = 22050;
    uint16_t channels = 2;
    uint16_t bitsPerSample = 16;

    uint32_t FrameBytes() const { return channels * (bitsPerSample / 8u); }
};

// Where mixed sound goes: the SDL audio output, or the null sink that tests advance.
class AudioOutput
{
public:
    virtual ~AudioOutput() = default;

    // Starts pulling frames of this format from the mixer; false when no output could open.
    virtual bool Open(const OutputFormat& format, AudioMixer& mixer) = 0;
    // Stops pulling; no Render call runs after it returns.
    virtual void Close() = 0;
};

using AudioOutputFactory = std::function<std::unique_ptr<AudioOutput>()>;

// Installs the factory of new outputs and returns the one it replaces; an empty factory restores SDL.
AudioOutputFactory SetAudioOutputFactory(AudioOutputFactory factory);
std::unique_ptr<AudioOutput> CreateAudioOutput();

} // namespace platform
