#include "platform/audio/SdlAudioOutput.h"

#include "platform/audio/AudioMixer.h"
#include "platform/system/DebugOutput.h"

#include <SDL.h>

namespace platform
{

SdlAudioOutput::~SdlAudioOutput()
{
    Close();
}

bool SdlAudioOutput::Open(const OutputFormat& format, AudioMixer& mixer)
{
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
    {
        DebugPrintf("[SdlAudioOutput::Open] : no audio: %s\n", SDL_GetError());
        return false;
    }
    m_SubsystemUp = true;
    m_Mixer = &mixer;
    m_FrameBytes = format.FrameBytes();

    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(format.rate);
    wanted.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(format.channels);
    wanted.samples = 1024;
    wanted.callback = &SdlAudioOutput::_Callback;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    m_Device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (m_Device == 0)
    {
        DebugPrintf("[SdlAudioOutput::Open] : cannot open an audio device: %s\n", SDL_GetError());
        Close();
        return false;
    }
    SDL_PauseAudioDevice(m_Device, 0);
    return true;
}

void SdlAudioOutput::Close()
{
    if (m_Device != 0)
    {
        SDL_CloseAudioDevice(m_Device);
        m_Device = 0;
    }
    if (m_SubsystemUp)
    {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        m_SubsystemUp = false;
    }
    m_Mixer = nullptr;
}

void SdlAudioOutput::_Callback(void* user, uint8_t* stream, int length)
{
    SdlAudioOutput* self = static_cast<SdlAudioOutput*>(user);
    self->m_Mixer->Render(stream, static_cast<uint32_t>(length) / self->m_FrameBytes);
}

} // namespace platform
