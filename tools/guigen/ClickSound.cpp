#include "tools/guigen/ClickSound.h"

#include <cmath>

namespace guigen
{

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr double kToneHertz = 2400.0;
// Samples over which the burst falls to a third.
constexpr double kDecaySamples = 110.0;
constexpr double kPeak = 20000.0;

void PutU16(std::string& bytes, uint32_t value)
{
    bytes += static_cast<char>(value & 0xFF);
    bytes += static_cast<char>((value >> 8) & 0xFF);
}

void PutU32(std::string& bytes, uint32_t value)
{
    PutU16(bytes, value & 0xFFFF);
    PutU16(bytes, value >> 16);
}

} // namespace

std::vector<int16_t> ClickSamples()
{
    std::vector<int16_t> samples(kClickSamples);
    // A fixed linear congruential sequence, so that every run writes the same noise.
    uint32_t seed = 0x2545F491u;
    for (std::size_t i = 0; i < kClickSamples; ++i)
    {
        seed = seed * 1664525u + 1013904223u;
        const double noise = static_cast<double>(seed >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
        const double tone = std::sin(2.0 * kPi * kToneHertz * static_cast<double>(i) / kClickRate);
        const double envelope = std::exp(-static_cast<double>(i) / kDecaySamples);
        samples[i] = static_cast<int16_t>(std::lround(kPeak * envelope * (0.6 * tone + 0.4 * noise)));
    }
    return samples;
}

std::string ClickWave()
{
    const std::vector<int16_t> samples = ClickSamples();
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::string bytes = "RIFF";
    PutU32(bytes, 4 + 8 + 16 + 8 + dataBytes);
    bytes += "WAVEfmt ";
    PutU32(bytes, 16);
    PutU16(bytes, 1);
    PutU16(bytes, 1);
    PutU32(bytes, kClickRate);
    PutU32(bytes, kClickRate * 2);
    PutU16(bytes, 2);
    PutU16(bytes, 16);
    bytes += "data";
    PutU32(bytes, dataBytes);
    for (int16_t sample : samples)
        PutU16(bytes, static_cast<uint16_t>(sample));
    return bytes;
}

} // namespace guigen
