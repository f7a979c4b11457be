#include "platform/gfx/DxtCodec.h"

#include "platform/gfx/GfxTypes.h"

#include <algorithm>
#include <cstdlib>

namespace platform
{

namespace
{

struct Rgb
{
    int r, g, b;
};

Rgb Expand565(uint16_t c)
{
    const int r = (c >> 11) & 31;
    const int g = (c >> 5) & 63;
    const int b = c & 31;
    return {r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2};
}

uint16_t Pack565(int r, int g, int b)
{
    return uint16_t(((r * 31 + 127) / 255) << 11 | ((g * 63 + 127) / 255) << 5 | ((b * 31 + 127) / 255));
}

uint32_t Argb(int a, const Rgb& c)
{
    return uint32_t(a) << 24 | uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | uint32_t(c.b);
}

int Channel(uint32_t texel, int shift)
{
    return int(texel >> shift & 0xFF);
}

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

// The four colours of a colour block; the fourth is transparent black in DXT1's three-colour mode.
void ColourPalette(uint16_t c0, uint16_t c1, bool threeColourMode, uint32_t palette[4])
{
    const Rgb a = Expand565(c0);
    const Rgb b = Expand565(c1);
    palette[0] = Argb(255, a);
    palette[1] = Argb(255, b);
    if (!threeColourMode)
    {
        palette[2] = Argb(255, {(2 * a.r + b.r) / 3, (2 * a.g + b.g) / 3, (2 * a.b + b.b) / 3});
        palette[3] = Argb(255, {(a.r + 2 * b.r) / 3, (a.g + 2 * b.g) / 3, (a.b + 2 * b.b) / 3});
    }
    else
    {
        palette[2] = Argb(255, {(a.r + b.r) / 2, (a.g + b.g) / 2, (a.b + b.b) / 2});
        palette[3] = 0;
    }
}

void AlphaPalette(int a0, int a1, int palette[8])
{
    palette[0] = a0;
    palette[1] = a1;
    if (a0 > a1)
        for (int i = 1; i < 7; ++i)
            palette[i + 1] = ((7 - i) * a0 + i * a1) / 7;
    else
    {
        for (int i = 1; i < 5; ++i)
            palette[i + 1] = ((5 - i) * a0 + i * a1) / 5;
        palette[6] = 0;
        palette[7] = 255;
    }
}

int ColourDistance(uint32_t x, uint32_t y)
{
    const int dr = Channel(x, 16) - Channel(y, 16);
    const int dg = Channel(x, 8) - Channel(y, 8);
    const int db = Channel(x, 0) - Channel(y, 0);
    return dr * dr + dg * dg + db * db;
}

void EncodeColourBlock(const uint32_t texels[16], bool allowTransparency, uint8_t* out)
{
    bool transparent[16] = {};
    bool anyTransparent = false;
    for (int i = 0; i < 16; ++i)
    {
        transparent[i] = allowTransparency && Channel(texels[i], 24) < 128;
        anyTransparent |= transparent[i];
    }
    // The end points are the two texels furthest apart, so a block of two colours keeps both exactly.
    int first = -1;
    int second = -1;
    int widest = -1;
    for (int i = 0; i < 16; ++i)
        for (int j = i; j < 16; ++j)
            if (!transparent[i] && !transparent[j] && ColourDistance(texels[i], texels[j]) > widest)
                first = i, second = j, widest = ColourDistance(texels[i], texels[j]);
    const uint32_t a = first >= 0 ? texels[first] : 0;
    const uint32_t b = second >= 0 ? texels[second] : 0;
    const uint16_t packedA = Pack565(Channel(a, 16), Channel(a, 8), Channel(a, 0));
    const uint16_t packedB = Pack565(Channel(b, 16), Channel(b, 8), Channel(b, 0));
    const uint16_t high = std::max(packedA, packedB);
    const uint16_t low = std::min(packedA, packedB);
    // In DXT1 the first colour at or below the second selects three colours and transparency.
    const uint16_t c0 = anyTransparent ? std::min(high, low) : std::max(high, low);
    const uint16_t c1 = anyTransparent ? std::max(high, low) : std::min(high, low);
    // Only DXT1 reads the order of the two colours as the mode; the others always have four colours.
    const bool threeColourMode = allowTransparency && c0 <= c1;
    uint32_t palette[4];
    ColourPalette(c0, c1, threeColourMode, palette);

    uint32_t indices = 0;
    for (int i = 0; i < 16; ++i)
    {
        int best = 0;
        if (transparent[i])
            best = 3;
        else
        {
            int bestDistance = ColourDistance(texels[i], palette[0]);
            for (int p = 1; p < (threeColourMode ? 3 : 4); ++p)
            {
                const int distance = ColourDistance(texels[i], palette[p]);
                if (distance < bestDistance)
                    best = p, bestDistance = distance;
            }
        }
        indices |= uint32_t(best) << (2 * i);
    }
    out[0] = uint8_t(c0);
    out[1] = uint8_t(c0 >> 8);
    out[2] = uint8_t(c1);
    out[3] = uint8_t(c1 >> 8);
    for (int b = 0; b < 4; ++b)
        out[4 + b] = uint8_t(indices >> (8 * b));
}

void EncodeExplicitAlpha(const uint32_t texels[16], uint8_t* out)
{
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i)
        bits |= uint64_t((Channel(texels[i], 24) + 8) / 17) << (4 * i);
    for (int b = 0; b < 8; ++b)
        out[b] = uint8_t(bits >> (8 * b));
}

void EncodeInterpolatedAlpha(const uint32_t texels[16], uint8_t* out)
{
    int a0 = 0;
    int a1 = 255;
    for (int i = 0; i < 16; ++i)
    {
        a0 = std::max(a0, Channel(texels[i], 24));
        a1 = std::min(a1, Channel(texels[i], 24));
    }
    int palette[8];
    AlphaPalette(a0, a1, palette);
    uint64_t bits = 0;
    for (int i = 0; i < 16; ++i)
    {
        const int a = Channel(texels[i], 24);
        int best = 0;
        for (int p = 1; p < 8; ++p)
            if (std::abs(palette[p] - a) < std::abs(palette[best] - a))
                best = p;
        bits |= uint64_t(best) << (3 * i);
    }
    out[0] = uint8_t(a0);
    out[1] = uint8_t(a1);
    for (int b = 0; b < 6; ++b)
        out[2 + b] = uint8_t(bits >> (8 * b));
}

} // namespace

bool DxtCodec::IsDxtFormat(uint32_t format)
{
    return format == FMT_DXT1 || format == FMT_DXT2 || format == FMT_DXT3 || format == FMT_DXT4 ||
           format == FMT_DXT5;
}

uint32_t DxtCodec::BlockBytes(uint32_t format)
{
    if (!IsDxtFormat(format))
        return 0;
    return format == FMT_DXT1 ? 8 : 16;
}

void DxtCodec::DecodeBlock(uint32_t format, const uint8_t* block, uint32_t texels[16])
{
    const uint8_t* colour = format == FMT_DXT1 ? block : block + 8;
    const uint16_t c0 = ReadU16(colour);
    const uint16_t c1 = ReadU16(colour + 2);
    uint32_t palette[4];
    ColourPalette(c0, c1, format == FMT_DXT1 && c0 <= c1, palette);
    for (int i = 0; i < 16; ++i)
        texels[i] = palette[(colour[4 + i / 4] >> (2 * (i % 4))) & 3];

    if (format == FMT_DXT2 || format == FMT_DXT3)
    {
        for (int i = 0; i < 16; ++i)
        {
            const int a = (block[i / 2] >> (4 * (i % 2))) & 15;
            texels[i] = (texels[i] & 0x00FFFFFF) | uint32_t(a * 17) << 24;
        }
    }
    else if (format == FMT_DXT4 || format == FMT_DXT5)
    {
        int palette8[8];
        AlphaPalette(block[0], block[1], palette8);
        uint64_t bits = 0;
        for (int b = 0; b < 6; ++b)
            bits |= uint64_t(block[2 + b]) << (8 * b);
        for (int i = 0; i < 16; ++i)
            texels[i] = (texels[i] & 0x00FFFFFF) | uint32_t(palette8[(bits >> (3 * i)) & 7]) << 24;
    }
}

void DxtCodec::EncodeBlock(uint32_t format, const uint32_t texels[16], uint8_t* block)
{
    if (format == FMT_DXT1)
    {
        EncodeColourBlock(texels, true, block);
        return;
    }
    if (format == FMT_DXT2 || format == FMT_DXT3)
        EncodeExplicitAlpha(texels, block);
    else
        EncodeInterpolatedAlpha(texels, block);
    EncodeColourBlock(texels, false, block + 8);
}

bool DxtCodec::DecodeImage(uint32_t format, const uint8_t* blocks, size_t size, uint32_t width,
                           uint32_t height, std::vector<uint32_t>& texels)
{
    const uint32_t blockBytes = BlockBytes(format);
    const uint64_t across = (uint64_t(width) + 3) / 4;
    const uint64_t down = (uint64_t(height) + 3) / 4;
    if (blockBytes == 0 || across * down * blockBytes > size)
        return false;
    texels.assign(size_t(width) * height, 0);
    uint32_t block[16];
    for (uint64_t by = 0; by < down; ++by)
        for (uint64_t bx = 0; bx < across; ++bx)
        {
            DecodeBlock(format, blocks + (by * across + bx) * blockBytes, block);
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint64_t x = bx * 4 + i % 4;
                const uint64_t y = by * 4 + i / 4;
                if (x < width && y < height)
                    texels[size_t(y * width + x)] = block[i];
            }
        }
    return true;
}

std::vector<uint8_t> DxtCodec::EncodeImage(uint32_t format, const std::vector<uint32_t>& texels,
                                           uint32_t width, uint32_t height)
{
    const uint32_t blockBytes = BlockBytes(format);
    const uint32_t across = (width + 3) / 4;
    const uint32_t down = (height + 3) / 4;
    std::vector<uint8_t> out(size_t(across) * down * blockBytes);
    if (blockBytes == 0 || texels.size() < size_t(width) * height || width == 0 || height == 0)
        return {};
    uint32_t block[16];
    for (uint32_t by = 0; by < down; ++by)
        for (uint32_t bx = 0; bx < across; ++bx)
        {
            for (uint32_t i = 0; i < 16; ++i)
            {
                const uint32_t x = std::min(bx * 4 + i % 4, width - 1);
                const uint32_t y = std::min(by * 4 + i / 4, height - 1);
                block[i] = texels[size_t(y) * width + x];
            }
            EncodeBlock(format, block, &out[(size_t(by) * across + bx) * blockBytes]);
        }
    return out;
}

} // namespace platform
