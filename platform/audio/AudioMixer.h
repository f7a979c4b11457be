#pragma once

#include "platform/audio/AudioOutput.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace platform
{

class AudioSource;

// The one mixer of the process: sums every playing source into the audio output. The device, its
// buffers and the music graphs share it; it closes its output when the last of them lets go.
class AudioMixer
{
public:
    // The live mixer, or a new one with its output open at the default format; null when no output opens.
    static std::shared_ptr<AudioMixer> Acquire();

    ~AudioMixer();
    AudioMixer(const AudioMixer&) = delete;
    AudioMixer& operator=(const AudioMixer&) = delete;

    // Renders frames in the output format; called by the output, from any thread.
    void Render(uint8_t* out, uint32_t frames);

    // Reopens the output at a new format; false (and the old format kept) when that fails.
    bool SetFormat(const OutputFormat& format);
    OutputFormat Format() const;

    // Master volume in hundredths of a decibel, applied to everything mixed.
    void SetMasterVolume(int32_t volume);
    int32_t MasterVolume() const;

    // Guards every source's state against the output's thread.
    std::mutex& Mutex() { return m_Mutex; }

    // Registration; the caller holds Mutex().
    void AddSource(AudioSource* source);
    void RemoveSource(AudioSource* source);
    // Applies every source's deferred 3D settings; the caller holds Mutex().
    void CommitDeferred();

    // 10^(volume / 2000), and 0 at or below the minimum volume.
    static float VolumeToGain(int32_t volume);

private:
    explicit AudioMixer(std::unique_ptr<AudioOutput> output);

    mutable std::mutex m_Mutex;
    std::unique_ptr<AudioOutput> m_Output;
    OutputFormat m_Format;
    float m_MasterGain = 1.0f;
    int32_t m_MasterVolume = 0;
    std::vector<AudioSource*> m_Sources;
    std::vector<float> m_Mix;
};

} // namespace platform
