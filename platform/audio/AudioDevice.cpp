#include "platform/audio/AudioDevice.h"

#include "platform/audio/AudioBuffer.h"
#include "platform/audio/AudioMixer.h"

namespace platform
{

HResult AudioDevice::Create(std::unique_ptr<AudioDevice>& device)
{
    std::shared_ptr<AudioMixer> mixer = AudioMixer::Acquire();
    if (!mixer)
        return kResultNoDriver;
    device.reset(new AudioDevice(std::move(mixer)));
    return kResultOk;
}

HResult AudioDevice::SetCooperativeLevel(WindowHandle window, uint32_t level)
{
    if (level < kCooperativeNormal || level > 4)
        return kResultInvalidArg;
    m_Window = window;
    m_Level = level;
    return kResultOk;
}

HResult AudioDevice::CreateSoundBuffer(const BufferDesc& desc, std::unique_ptr<AudioBuffer>& buffer)
{
    buffer.reset();
    if (desc.size != 36 && desc.size != 20)
        return kResultInvalidArg;
    if (desc.flags & kBufferPrimary)
    {
        if (desc.bufferBytes != 0 || desc.format || (desc.flags & kBufferCtrlFrequency))
            return kResultInvalidArg;
        buffer = AudioBuffer::_CreatePrimary(m_Mixer, desc.flags);
        return kResultOk;
    }
    if (!desc.format || desc.bufferBytes < 4 || desc.bufferBytes > 0x0FFFFFFF)
        return kResultInvalidArg;
    buffer = AudioBuffer::_CreateSecondary(m_Mixer, desc);
    return buffer ? kResultOk : kResultBadFormat;
}

HResult AudioDevice::DuplicateSoundBuffer(const AudioBuffer& original,
                                          std::unique_ptr<AudioBuffer>& duplicate)
{
    duplicate.reset();
    if (original.IsPrimary())
        return kResultInvalidCall;
    duplicate = original._Duplicate();
    return kResultOk;
}

} // namespace platform
