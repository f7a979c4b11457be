#pragma once

#include "platform/audio/AudioOutput.h"

#include <cstdint>

namespace platform
{

// The real output: an SDL audio device whose callback pulls frames from the mixer. SDL converts to
// whatever the hardware wants. SDL_AUDIODRIVER chooses the driver (disk, dummy, pulseaudio, ...).
class SdlAudioOutput : public AudioOutput
{
public:
    SdlAudioOutput() = default;
    ~SdlAudioOutput() override;

    bool Open(const OutputFormat& format, AudioMixer& mixer) override;
    void Close() override;

private:
    static void _Callback(void* user, uint8_t* stream, int length);

    uint32_t m_Device = 0;
    bool m_SubsystemUp = false;
    AudioMixer* m_Mixer = nullptr;
    uint32_t m_FrameBytes = 4;
};

} // namespace platform
