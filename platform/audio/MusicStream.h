#pragma once

#include "platform/audio/AudioSource.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

// A file decoded by libsndfile as the mixer asks for it. Every call but Open comes with the mixer's
// lock held.
class MusicStream : public AudioSource
{
public:
    MusicStream() = default;
    ~MusicStream() override;
    MusicStream(const MusicStream&) = delete;
    MusicStream& operator=(const MusicStream&) = delete;

    // False when the file is missing or not a sound libsndfile reads.
    bool Open(const std::string& path);

    void Mix(float* mix, uint32_t frames, uint32_t outputRate) override;

    // Positions in frames of the file.
    uint64_t Frames() const { return m_Frames; }
    uint32_t Rate() const { return m_Rate; }
    uint64_t Position() const { return m_Position >> 32; }
    void SetPosition(uint64_t frame);
    uint64_t StopFrame() const { return m_StopFrame; }
    void SetStopFrame(uint64_t frame) { m_StopFrame = frame < m_Frames ? frame : m_Frames; }

    void SetPlaying(bool playing) { m_Playing = playing; }
    void SetGain(float gain) { m_Gain = gain; }
    // True once the stream reached its stop position while playing; TakeEnded clears it.
    bool TakeEnded();

private:
    float _Sample(uint64_t frame, int channel);

    void* m_File = nullptr;
    uint32_t m_Rate = 0;
    int m_Channels = 0;
    uint64_t m_Frames = 0;
    uint64_t m_StopFrame = 0;
    // Frames, 32.32 fixed point.
    uint64_t m_Position = 0;
    bool m_Playing = false;
    bool m_Ended = false;
    float m_Gain = 1.0f;
    std::vector<float> m_Block;
    uint64_t m_BlockStart = 0;
    uint64_t m_BlockFrames = 0;
};

} // namespace platform
