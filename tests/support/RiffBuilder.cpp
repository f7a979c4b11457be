#include "tests/support/RiffBuilder.h"

namespace testsupport
{

std::string RiffBuilder::U16(uint16_t value)
{
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

std::string RiffBuilder::U32(uint32_t value)
{
    return U16(static_cast<uint16_t>(value & 0xFFFF)) + U16(static_cast<uint16_t>(value >> 16));
}

RiffBuilder& RiffBuilder::Chunk(const std::string& id, const std::string& data, bool pad)
{
    m_Body += id.substr(0, 4) + U32(static_cast<uint32_t>(data.size())) + data;
    if (pad && (data.size() & 1))
        m_Body += '\0';
    return *this;
}

RiffBuilder& RiffBuilder::ChunkClaiming(const std::string& id, uint32_t claimedSize, const std::string& data)
{
    m_Body += id.substr(0, 4) + U32(claimedSize) + data;
    return *this;
}

RiffBuilder& RiffBuilder::Raw(const std::string& bytes)
{
    m_Body += bytes;
    return *this;
}

std::string RiffBuilder::Build() const
{
    return "RIFF" + U32(static_cast<uint32_t>(m_Body.size() + 4)) + m_FormType.substr(0, 4) + m_Body;
}

std::string RiffBuilder::Format(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits)
{
    const uint16_t block = static_cast<uint16_t>(channels * bits / 8);
    return U16(tag) + U16(channels) + U32(rate) + U32(rate * block) + U16(block) + U16(bits);
}

std::string RiffBuilder::Samples16(const std::vector<int16_t>& samples)
{
    std::string out;
    for (int16_t s : samples)
        out += U16(static_cast<uint16_t>(s));
    return out;
}

std::string RiffBuilder::Samples8(const std::vector<uint8_t>& samples)
{
    return std::string(samples.begin(), samples.end());
}

std::string RiffBuilder::PcmWave(uint16_t channels, uint32_t rate, uint16_t bits,
                                 const std::string& sampleBytes)
{
    return RiffBuilder().Chunk("fmt ", Format(1, channels, rate, bits)).Chunk("data", sampleBytes).Build();
}

} // namespace testsupport
