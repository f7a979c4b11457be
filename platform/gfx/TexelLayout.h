#pragma once

#include <cstdint>
#include <vector>

namespace platform
{

// Where the channels of an uncompressed surface format sit in its texel, read as a little-endian
// number of 1 to 8 bytes. Used to filter mip levels and to widen texels to A8R8G8B8.
class TexelLayout
{
public:
    enum Channel
    {
        kRed,
        kGreen,
        kBlue,
        kAlpha,
        kLuminance,
        kChannelCount
    };

    // False for a format with no layout here (compressed, depth or unknown formats).
    static bool Describe(uint32_t format, TexelLayout& layout);

    uint32_t BytesPerTexel() const { return m_Bytes; }
    uint64_t Mask(Channel channel) const { return m_Masks[channel]; }

    uint64_t Read(const uint8_t* texel) const;
    void Write(uint8_t* texel, uint64_t value) const;
    // The texel as A8R8G8B8: missing colours read 0 (luminance fills all three), missing alpha 255.
    uint32_t ToArgb(const uint8_t* texel) const;

    // Each channel averaged over up to 2 x 2 x 2 source texels (fewer at the edge of a side of 1);
    // bits outside every channel are taken from the first texel.
    void Average(const uint8_t* const* texels, int count, uint8_t* out) const;

private:
    uint32_t m_Bytes = 0;
    uint64_t m_Masks[kChannelCount] = {};
};

} // namespace platform
