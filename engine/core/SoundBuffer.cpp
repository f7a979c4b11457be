#include "engine/core/SoundBuffer.h"

#include "engine/core/WaveFile.h"
#include "platform/audio/AudioBuffer.h"
#include "platform/system/ClockSource.h"

#include <cstdlib>
#include <cstring>

using namespace platform;

namespace
{

// Runs the operation on every duplicate and OR-s their results together.
template <typename Operation>
HResult ForEachBuffer(const std::vector<std::unique_ptr<AudioBuffer>>& buffers, Operation operation)
{
    if (buffers.empty())
        return kResultNotInitialized;
    HResult result = kResultOk;
    for (const auto& buffer : buffers)
        result |= operation(*buffer);
    return result;
}

} // namespace

SoundBuffer::SoundBuffer(std::vector<std::unique_ptr<AudioBuffer>> buffers, uint32_t size, WaveFile* wave,
                         bool ownsWave)
    : m_Buffers(std::move(buffers)), m_Size(size), m_Wave(wave), m_OwnsWave(ownsWave)
{
    // The duplicates share the first buffer's samples, so one fill serves them all.
    if (!m_Buffers.empty())
        FillFromWave(m_Buffers[0].get(), false);
    for (auto& buffer : m_Buffers)
        buffer->SetCurrentPosition(0);
}

SoundBuffer::~SoundBuffer()
{
    m_Buffers.clear();
    if (m_OwnsWave)
    {
        if (m_Wave)
            m_Wave->Close();
        delete m_Wave;
    }
}

AudioBuffer* SoundBuffer::PickIdleBuffer()
{
    if (m_Buffers.empty())
        return nullptr;
    for (auto& buffer : m_Buffers)
    {
        uint32_t status = 0;
        buffer->GetStatus(status);
        if (!(status & kStatusPlaying))
            return buffer.get();
    }
    return m_Buffers[static_cast<size_t>(std::rand()) % m_Buffers.size()].get();
}

HResult SoundBuffer::RestoreIfLost(AudioBuffer* buffer, bool* restored)
{
    if (!buffer)
        return kResultNotInitialized;
    if (restored)
        *restored = false;
    uint32_t status = 0;
    const HResult statusResult = buffer->GetStatus(status);
    if (!Succeeded(statusResult))
        return statusResult;
    if (!(status & kStatusBufferLost))
        return kResultFalse;
    // A device that never gives the buffer back must not hang the frame.
    HResult result = kResultFail;
    for (int attempt = 0; attempt < kMaxRestoreTries; ++attempt)
    {
        result = buffer->Restore();
        if (result == kResultOk)
        {
            if (restored)
                *restored = true;
            return kResultOk;
        }
        if (result == kResultBufferLost)
            Sleep(kRestoreRetryMs);
    }
    return result;
}

HResult SoundBuffer::FillFromWave(AudioBuffer* buffer, bool repeatIfShort)
{
    if (!buffer)
        return kResultNotInitialized;
    const HResult restore = RestoreIfLost(buffer, nullptr);
    if (!Succeeded(restore))
        return restore;

    void* part1 = nullptr;
    uint32_t size1 = 0;
    HResult result = buffer->Lock(0, m_Size, &part1, &size1, nullptr, nullptr, 0);
    if (!Succeeded(result))
        return result;
    uint8_t* bytes = static_cast<uint8_t*>(part1);
    const WaveFormat* format = m_Wave ? m_Wave->GetFormat() : nullptr;
    const uint8_t silence = format && format->bitsPerSample == 8 ? 0x80 : 0x00;

    uint32_t filled = 0;
    if (m_Wave)
    {
        result = m_Wave->Rewind();
        if (Succeeded(result))
            result = m_Wave->Read(bytes, size1, &filled);
    }
    if (Succeeded(result) && filled > 0 && filled < size1 && repeatIfShort)
    {
        // Each pass reads at least one byte or ends the loop.
        while (filled < size1)
        {
            uint32_t read = 0;
            if (!Succeeded(m_Wave->Rewind()) ||
                !Succeeded(m_Wave->Read(bytes + filled, size1 - filled, &read)) || read == 0)
                break;
            filled += read;
        }
    }
    if (filled < size1)
        std::memset(bytes + filled, silence, size1 - filled);
    buffer->Unlock(part1, size1, nullptr, 0);
    return Succeeded(result) ? kResultOk : result;
}

HResult SoundBuffer::Play(uint32_t priority, uint32_t flags)
{
    if (m_Buffers.empty())
        return kResultNotInitialized;
    AudioBuffer* buffer = PickIdleBuffer();
    if (!buffer)
        return kResultFail;
    bool restored = false;
    HResult result = RestoreIfLost(buffer, &restored);
    if (!Succeeded(result))
        return result;
    if (restored)
    {
        result = FillFromWave(buffer, false);
        if (!Succeeded(result))
            return result;
        Rewind();
    }
    return buffer->Play(0, priority, flags);
}

HResult SoundBuffer::StopAll()
{
    return ForEachBuffer(m_Buffers, [](AudioBuffer& buffer) { return buffer.Stop(); });
}

HResult SoundBuffer::Rewind()
{
    return ForEachBuffer(m_Buffers, [](AudioBuffer& buffer) { return buffer.SetCurrentPosition(0); });
}

HResult SoundBuffer::SetVolume(int32_t volume)
{
    return ForEachBuffer(m_Buffers, [volume](AudioBuffer& buffer) { return buffer.SetVolume(volume); });
}

HResult SoundBuffer::SetFrequency(uint32_t hertz)
{
    return ForEachBuffer(m_Buffers, [hertz](AudioBuffer& buffer) { return buffer.SetFrequency(hertz); });
}

int32_t SoundBuffer::GetVolume() const
{
    int32_t volume = 0;
    if (!m_Buffers.empty())
        m_Buffers[0]->GetVolume(volume);
    return volume;
}

int SoundBuffer::IsAnyPlaying() const
{
    for (const auto& buffer : m_Buffers)
    {
        uint32_t status = 0;
        buffer->GetStatus(status);
        if (status & kStatusPlaying)
            return 1;
    }
    return 0;
}

HResult SoundBuffer::Get3DInterface(uint32_t index, Audio3DBuffer** buffer3D)
{
    if (m_Buffers.empty())
        return kResultNotInitialized;
    if (index >= m_Buffers.size() || !buffer3D)
        return kResultInvalidArg;
    *buffer3D = nullptr;
    return m_Buffers[index]->Get3DBuffer(*buffer3D);
}
