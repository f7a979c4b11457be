#pragma once

#include "platform/audio/AudioTypes.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform
{
class AudioBuffer;
class Audio3DBuffer;
} // namespace platform

class WaveFile;

// One loaded sound held in one or more device buffers: entries after the first are duplicates of it,
// sharing its samples, so the sound can play over itself.
class SoundBuffer
{
public:
    // Tries of a Restore that keeps failing before giving up.
    static constexpr int kMaxRestoreTries = 20;
    static constexpr uint32_t kRestoreRetryMs = 10;

    SoundBuffer(std::vector<std::unique_ptr<platform::AudioBuffer>> buffers, uint32_t size, WaveFile* wave,
                bool ownsWave);
    virtual ~SoundBuffer();
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    platform::HResult Play(uint32_t priority, uint32_t flags);
    platform::HResult StopAll();
    // Play position 0 on every buffer.
    platform::HResult Rewind();
    platform::HResult SetVolume(int32_t volume);
    platform::HResult SetFrequency(uint32_t hertz);
    // The first buffer's volume.
    int32_t GetVolume() const;
    // 1 when any buffer plays, else 0.
    int IsAnyPlaying() const;
    platform::HResult Get3DInterface(uint32_t index, platform::Audio3DBuffer** buffer3D);

    platform::AudioBuffer* PickIdleBuffer();
    platform::HResult RestoreIfLost(platform::AudioBuffer* buffer, bool* restored);
    platform::HResult FillFromWave(platform::AudioBuffer* buffer, bool repeatIfShort);

    uint32_t GetCount() const { return static_cast<uint32_t>(m_Buffers.size()); }
    platform::AudioBuffer* GetBuffer(uint32_t index) const
    {
        return index < m_Buffers.size() ? m_Buffers[index].get() : nullptr;
    }

private:
    std::vector<std::unique_ptr<platform::AudioBuffer>> m_Buffers;
    uint32_t m_Size;
    WaveFile* m_Wave;
    bool m_OwnsWave;
};
