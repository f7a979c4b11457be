#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport
{

// Builds RIFF files (WAV and the like) byte by byte, including damaged ones, for reader tests.
class RiffBuilder
{
public:
    explicit RiffBuilder(std::string formType = "WAVE") : m_FormType(std::move(formType)) {}

    // Appends a chunk; an odd-sized chunk gets its pad byte unless told otherwise.
    RiffBuilder& Chunk(const std::string& id, const std::string& data, bool pad = true);
    // Appends a chunk header claiming a size, followed by whatever data is given.
    RiffBuilder& ChunkClaiming(const std::string& id, uint32_t claimedSize, const std::string& data);
    // Appends bytes as they are.
    RiffBuilder& Raw(const std::string& bytes);

    // "RIFF", the size of what follows, the form type, the chunks.
    std::string Build() const;

    static std::string U16(uint16_t value);
    static std::string U32(uint32_t value);
    // A 16-byte "fmt " body.
    static std::string Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits);
    static std::string Samples16(const std::vector<int16_t>& samples);
    static std::string Samples8(const std::vector<uint8_t>& samples);

    // A complete PCM WAV file.
    static std::string PcmWave(uint16_t channels, uint32_t rate, uint16_t bits,
                               const std::string& sampleBytes);

private:
    std::string m_FormType;
    std::string m_Body;
};

} // namespace testsupport
