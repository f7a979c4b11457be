#include "tools/soundgen/Synth.h"

#include <algorithm>
#include <cmath>

float Synth::Noise()
{
    m_Seed = m_Seed * 1664525u + 1013904223u;
    return static_cast<float>(static_cast<double>(m_Seed >> 8) / 8388608.0 - 1.0);
}

std::vector<float> Synth::NoiseBuffer(size_t frames)
{
    std::vector<float> buffer(frames);
    for (float& sample : buffer)
        sample = Noise();
    return buffer;
}

namespace
{

double Envelope(double t, double attack, double decay)
{
    double level = attack > 0.0 && t < attack ? t / attack : 1.0;
    if (decay > 0.0)
        level *= std::exp(-t / decay);
    return level;
}

} // namespace

void Synth::AddTone(std::vector<float>& buffer, size_t start, double seconds, double fromHz, double toHz,
                    float amplitude, int harmonics, double attack, double decay) const
{
    const size_t frames = Frames(seconds);
    double phase = 0.0;
    for (size_t i = 0; i < frames && start + i < buffer.size(); ++i)
    {
        const double t = static_cast<double>(i) / m_Rate;
        const double hz = fromHz + (toHz - fromHz) * (static_cast<double>(i) / std::max<size_t>(frames, 1));
        double value = 0.0;
        for (int n = 1; n <= harmonics; ++n)
            value += std::sin(phase * n) / n;
        buffer[start + i] += static_cast<float>(value * amplitude * Envelope(t, attack, decay));
        phase += 2.0 * kPi * hz / m_Rate;
        if (phase > 2.0 * kPi)
            phase -= 2.0 * kPi;
    }
}

void Synth::AddNoise(std::vector<float>& buffer, size_t start, double seconds, double lowHz, double highHz,
                     float amplitude, double attack, double decay)
{
    std::vector<float> noise = NoiseBuffer(Frames(seconds));
    HighPass(noise, lowHz);
    LowPass(noise, highHz);
    for (size_t i = 0; i < noise.size() && start + i < buffer.size(); ++i)
    {
        const double t = static_cast<double>(i) / m_Rate;
        buffer[start + i] += static_cast<float>(noise[i] * amplitude * Envelope(t, attack, decay));
    }
}

void Synth::LowPass(std::vector<float>& buffer, double cutoffHz) const
{
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / m_Rate);
    double state = 0.0;
    for (float& sample : buffer)
    {
        state += a * (sample - state);
        sample = static_cast<float>(state);
    }
}

void Synth::HighPass(std::vector<float>& buffer, double cutoffHz) const
{
    const double a = 1.0 - std::exp(-2.0 * kPi * cutoffHz / m_Rate);
    double low = 0.0;
    for (float& sample : buffer)
    {
        low += a * (sample - low);
        sample = static_cast<float>(sample - low);
    }
}

void Synth::Normalize(std::vector<float>& buffer, float peak)
{
    const float loudest = Peak(buffer);
    if (loudest <= 0.0f)
        return;
    for (float& sample : buffer)
        sample = sample * peak / loudest;
}

void Synth::Fade(std::vector<float>& buffer, size_t in, size_t out)
{
    const size_t n = buffer.size();
    for (size_t i = 0; i < in && i < n; ++i)
        buffer[i] *= static_cast<float>(i) / in;
    for (size_t i = 0; i < out && i < n; ++i)
        buffer[n - 1 - i] *= static_cast<float>(i) / out;
}

void Synth::MakeSeamless(std::vector<float>& buffer, size_t frames)
{
    if (buffer.size() <= frames)
        return;
    const size_t tail = std::min(buffer.size() - frames, frames);
    for (size_t i = 0; i < tail; ++i)
    {
        const float w = static_cast<float>(i) / tail;
        buffer[i] = buffer[i] * w + buffer[frames + i] * (1.0f - w);
    }
    buffer.resize(frames);
}

float Synth::Peak(const std::vector<float>& buffer)
{
    float loudest = 0.0f;
    for (float sample : buffer)
        loudest = std::max(loudest, std::fabs(sample));
    return loudest;
}

float Synth::Rms(const std::vector<float>& buffer)
{
    if (buffer.empty())
        return 0.0f;
    double sum = 0.0;
    for (float sample : buffer)
        sum += static_cast<double>(sample) * sample;
    return static_cast<float>(std::sqrt(sum / buffer.size()));
}
