#include "platform/audio/MusicStream.h"

#include <sndfile.h>

#include <algorithm>

namespace platform
{

namespace
{

constexpr uint64_t kBlockFrames = 4096;

SNDFILE* File(void* file)
{
    return static_cast<SNDFILE*>(file);
}

} // namespace

MusicStream::~MusicStream()
{
    if (m_File)
        sf_close(File(m_File));
}

bool MusicStream::Open(const std::string& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file)
        return false;
    if (info.channels < 1 || info.samplerate <= 0 || info.frames < 0)
    {
        sf_close(file);
        return false;
    }
    m_File = file;
    m_Rate = static_cast<uint32_t>(info.samplerate);
    m_Channels = info.channels;
    m_Frames = static_cast<uint64_t>(info.frames);
    m_StopFrame = m_Frames;
    return true;
}

void MusicStream::SetPosition(uint64_t frame)
{
    m_Position = std::min(frame, m_Frames) << 32;
    m_Ended = false;
}

bool MusicStream::TakeEnded()
{
    const bool ended = m_Ended;
    m_Ended = false;
    return ended;
}

float MusicStream::_Sample(uint64_t frame, int channel)
{
    if (frame >= m_Frames)
        return 0.0f;
    if (frame < m_BlockStart || frame >= m_BlockStart + m_BlockFrames)
    {
        // Start one frame early so the previous frame stays at hand for interpolation.
        const uint64_t start = frame > 0 ? frame - 1 : 0;
        m_Block.resize(static_cast<size_t>(kBlockFrames) * static_cast<size_t>(m_Channels));
        m_BlockFrames = 0;
        m_BlockStart = start;
        if (sf_seek(File(m_File), static_cast<sf_count_t>(start), SEEK_SET) >= 0)
        {
            const sf_count_t got =
                sf_readf_float(File(m_File), m_Block.data(), static_cast<sf_count_t>(kBlockFrames));
            m_BlockFrames = got > 0 ? static_cast<uint64_t>(got) : 0;
        }
        if (frame >= m_BlockStart + m_BlockFrames)
            return 0.0f;
    }
    const int c = std::min(channel, m_Channels - 1);
    return m_Block[static_cast<size_t>(frame - m_BlockStart) * static_cast<size_t>(m_Channels) +
                   static_cast<size_t>(c)];
}

void MusicStream::Mix(float* mix, uint32_t frames, uint32_t outputRate)
{
    if (!m_Playing || !m_File || outputRate == 0)
        return;
    const uint64_t step = (static_cast<uint64_t>(m_Rate) << 32) / outputRate;
    const uint64_t end = m_StopFrame << 32;
    for (uint32_t i = 0; i < frames; ++i)
    {
        if (m_Position >= end)
        {
            m_Ended = true;
            m_Playing = false;
            return;
        }
        const uint64_t frame = m_Position >> 32;
        const float t = static_cast<float>(static_cast<double>(m_Position & 0xFFFFFFFFu) / 4294967296.0);
        const uint64_t next = frame + 1 < m_Frames ? frame + 1 : frame;
        for (int c = 0; c < 2; ++c)
        {
            const float a = _Sample(frame, c);
            const float b = _Sample(next, c);
            mix[i * 2 + c] += (a + (b - a) * t) * m_Gain;
        }
        m_Position = std::min(m_Position + step, end);
    }
    if (m_Position >= end)
    {
        m_Ended = true;
        m_Playing = false;
    }
}

} // namespace platform
