#include "platform/gfx/TexelLayout.h"

#include "platform/gfx/GfxTypes.h"

namespace platform
{

namespace
{

struct FormatLayout
{
    uint32_t format;
    uint32_t bytes;
    uint64_t red, green, blue, alpha, luminance;
};

const FormatLayout kLayouts[] = {
    {FMT_R8G8B8, 3, 0xFF0000, 0xFF00, 0xFF, 0, 0},
    {FMT_A8R8G8B8, 4, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0},
    {FMT_X8R8G8B8, 4, 0xFF0000, 0xFF00, 0xFF, 0, 0},
    {FMT_R5G6B5, 2, 0xF800, 0x07E0, 0x001F, 0, 0},
    {FMT_X1R5G5B5, 2, 0x7C00, 0x03E0, 0x001F, 0, 0},
    {FMT_A1R5G5B5, 2, 0x7C00, 0x03E0, 0x001F, 0x8000, 0},
    {FMT_A4R4G4B4, 2, 0x0F00, 0x00F0, 0x000F, 0xF000, 0},
    {FMT_R3G3B2, 1, 0xE0, 0x1C, 0x03, 0, 0},
    {FMT_A8, 1, 0, 0, 0, 0xFF, 0},
    {FMT_A8R3G3B2, 2, 0xE0, 0x1C, 0x03, 0xFF00, 0},
    {FMT_X4R4G4B4, 2, 0x0F00, 0x00F0, 0x000F, 0, 0},
    {FMT_A2B10G10R10, 4, 0x3FF, 0xFFC00, 0x3FF00000, 0xC0000000, 0},
    {FMT_A8B8G8R8, 4, 0xFF, 0xFF00, 0xFF0000, 0xFF000000, 0},
    {FMT_X8B8G8R8, 4, 0xFF, 0xFF00, 0xFF0000, 0, 0},
    {FMT_G16R16, 4, 0xFFFF, 0xFFFF0000, 0, 0, 0},
    {FMT_A2R10G10B10, 4, 0x3FF00000, 0xFFC00, 0x3FF, 0xC0000000, 0},
    {FMT_A16B16G16R16, 8, 0xFFFF, 0xFFFF0000, 0xFFFF00000000ull, 0xFFFF000000000000ull, 0},
    {FMT_L8, 1, 0, 0, 0, 0, 0xFF},
    {FMT_A8L8, 2, 0, 0, 0, 0xFF00, 0xFF},
};

int Shift(uint64_t mask)
{
    int shift = 0;
    while (mask && !(mask & 1))
    {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

// A channel's value widened to 8 bits.
uint32_t To8Bits(uint64_t value, uint64_t mask)
{
    const uint64_t max = mask >> Shift(mask);
    const uint64_t field = (value & mask) >> Shift(mask);
    return uint32_t((field * 255 + max / 2) / max);
}

} // namespace

bool TexelLayout::Describe(uint32_t format, TexelLayout& layout)
{
    for (const FormatLayout& entry : kLayouts)
        if (entry.format == format)
        {
            layout.m_Bytes = entry.bytes;
            layout.m_Masks[kRed] = entry.red;
            layout.m_Masks[kGreen] = entry.green;
            layout.m_Masks[kBlue] = entry.blue;
            layout.m_Masks[kAlpha] = entry.alpha;
            layout.m_Masks[kLuminance] = entry.luminance;
            return true;
        }
    return false;
}

uint64_t TexelLayout::Read(const uint8_t* texel) const
{
    uint64_t value = 0;
    for (uint32_t b = 0; b < m_Bytes; ++b)
        value |= uint64_t(texel[b]) << (8 * b);
    return value;
}

void TexelLayout::Write(uint8_t* texel, uint64_t value) const
{
    for (uint32_t b = 0; b < m_Bytes; ++b)
        texel[b] = uint8_t(value >> (8 * b));
}

uint32_t TexelLayout::ToArgb(const uint8_t* texel) const
{
    const uint64_t value = Read(texel);
    uint32_t rgb[3] = {0, 0, 0};
    if (m_Masks[kLuminance])
        rgb[0] = rgb[1] = rgb[2] = To8Bits(value, m_Masks[kLuminance]);
    for (int c = kRed; c <= kBlue; ++c)
        if (m_Masks[c])
            rgb[c] = To8Bits(value, m_Masks[c]);
    const uint32_t alpha = m_Masks[kAlpha] ? To8Bits(value, m_Masks[kAlpha]) : 255;
    return alpha << 24 | rgb[0] << 16 | rgb[1] << 8 | rgb[2];
}

void TexelLayout::Average(const uint8_t* const* texels, int count, uint8_t* out) const
{
    uint64_t all = 0;
    for (uint64_t mask : m_Masks)
        all |= mask;
    uint64_t result = Read(texels[0]) & ~all;
    for (uint64_t mask : m_Masks)
    {
        if (!mask)
            continue;
        const int shift = Shift(mask);
        uint64_t sum = 0;
        for (int i = 0; i < count; ++i)
            sum += (Read(texels[i]) & mask) >> shift;
        result |= ((sum + uint64_t(count) / 2) / uint64_t(count)) << shift & mask;
    }
    Write(out, result);
}

} // namespace platform
