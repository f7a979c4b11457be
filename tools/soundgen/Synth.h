#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Sample-by-sample building blocks for the generated sounds: a seeded noise source (its own sequence,
// so the files never depend on anything else drawing numbers), tones, envelopes and simple filters.
// Buffers are mono floats in [-1, 1].
class Synth
{
public:
    static constexpr double kPi = 3.14159265358979323846;

    explicit Synth(uint32_t rate, uint32_t seed = 1) : m_Rate(rate), m_Seed(seed) {}

    uint32_t Rate() const { return m_Rate; }
    size_t Frames(double seconds) const { return static_cast<size_t>(seconds * m_Rate + 0.5); }

    // White noise in [-1, 1].
    float Noise();
    std::vector<float> NoiseBuffer(size_t frames);

    // Adds a tone whose frequency glides linearly from one value to another, with harmonics falling off
    // as 1/n (count 1: a sine), under an envelope that rises in attack seconds and decays exponentially
    // with the given time constant (0: held). Starts at frame start of the buffer.
    void AddTone(std::vector<float>& buffer, size_t start, double seconds, double fromHz, double toHz,
                 float amplitude, int harmonics, double attack, double decay) const;
    // Adds noise shaped by a band (one-pole high pass then low pass) under the same envelope.
    void AddNoise(std::vector<float>& buffer, size_t start, double seconds, double lowHz, double highHz,
                  float amplitude, double attack, double decay);

    // One-pole filters in place.
    void LowPass(std::vector<float>& buffer, double cutoffHz) const;
    void HighPass(std::vector<float>& buffer, double cutoffHz) const;

    // Scales so that the loudest sample is peak.
    static void Normalize(std::vector<float>& buffer, float peak);
    // Linear fades at both ends, in frames.
    static void Fade(std::vector<float>& buffer, size_t in, size_t out);
    // Cuts the buffer to frames, folding the rest over its start with a crossfade, so that playing it
    // over and over has no seam.
    static void MakeSeamless(std::vector<float>& buffer, size_t frames);
    // Largest absolute sample and root mean square.
    static float Peak(const std::vector<float>& buffer);
    static float Rms(const std::vector<float>& buffer);

private:
    uint32_t m_Rate;
    uint32_t m_Seed;
};
