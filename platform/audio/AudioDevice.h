#pragma once

#include "platform/audio/AudioTypes.h"

#include <memory>

namespace platform
{

class AudioBuffer;
class AudioMixer;

// The sound device: makes buffers that play through the process's mixer and audio output.
class AudioDevice
{
public:
    // kResultNoDriver when no audio output can open; the program then runs silent.
    static HResult Create(std::unique_ptr<AudioDevice>& device);

    HResult SetCooperativeLevel(WindowHandle window, uint32_t level);
    HResult CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<AudioBuffer>& buffer);
    // A buffer sharing the original's samples, with its own position, volume, frequency and 3D settings.
    HResult DuplicateSoundBuffer(const AudioBuffer& original, std::unique_ptr<AudioBuffer>& duplicate);

private:
    explicit AudioDevice(std::shared_ptr<AudioMixer> mixer) : m_Mixer(std::move(mixer)) {}

    std::shared_ptr<AudioMixer> m_Mixer;
    WindowHandle m_Window = nullptr;
    uint32_t m_Level = 0;
};

} // namespace platform
