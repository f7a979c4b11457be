#include "engine/render/kaPixelConversion.h"

#include "engine/core/kaColor.h"

#include <cstring>

namespace
{

enum Channel
{
    kRed,
    kGreen,
    kBlue,
    kAlpha,
    kChannels
};

struct ConversionTarget
{
    kaPixelLayout layout;
    uint32_t table32[kChannels][256] = {};
    uint16_t table16[kChannels][256] = {};
};

ConversionTarget g_Target;

void Masks(const kaPixelLayout& layout, uint32_t (&masks)[kChannels])
{
    masks[kRed] = layout.redMask;
    masks[kGreen] = layout.greenMask;
    masks[kBlue] = layout.blueMask;
    masks[kAlpha] = layout.alphaMask;
}

// 16-bit source channels of the usual widths are widened to 8 bits; others are taken as they are.
uint32_t Widen16(uint32_t value, uint32_t mask, Channel channel)
{
    uint32_t bits = 0;
    switch (channel)
    {
    case kRed:
        bits = mask == 0x0F00 ? 4 : (mask == 0x7C00 || mask == 0xF800) ? 5 : 0;
        break;
    case kGreen:
        bits = mask == 0x00F0 ? 4 : mask == 0x03E0 ? 5 : mask == 0x07E0 ? 6 : 0;
        break;
    case kBlue:
        bits = mask == 0x000F ? 4 : mask == 0x001F ? 5 : 0;
        break;
    default:
        break;
    }
    if (bits == 0)
        return value;
    return (((value + 1) << (8 - bits)) - 1) & 0xFF;
}

uint32_t ReadPixel(const uint8_t* at, uint32_t bytes)
{
    uint32_t value = 0;
    for (uint32_t i = 0; i < bytes; ++i)
        value |= static_cast<uint32_t>(at[i]) << (8 * i);
    return value;
}

void Write16(uint8_t* at, uint32_t value)
{
    const uint16_t pixel = static_cast<uint16_t>(value);
    std::memcpy(at, &pixel, sizeof(pixel));
}

void Write32(uint8_t* at, uint32_t value)
{
    std::memcpy(at, &value, sizeof(value));
}

uint32_t Lookup32(uint32_t r, uint32_t g, uint32_t b)
{
    return g_Target.table32[kRed][r] | g_Target.table32[kGreen][g] | g_Target.table32[kBlue][b];
}

uint32_t Lookup16(uint32_t r, uint32_t g, uint32_t b)
{
    return g_Target.table16[kRed][r] | g_Target.table16[kGreen][g] | g_Target.table16[kBlue][b];
}

// Converts every pixel of the block with one function from the source pixel to the target pixel.
template <typename Convert>
void ConvertBlock(const uint8_t* source, uint8_t* destination, uint32_t width, uint32_t height,
                  uint32_t sourcePitch, uint32_t destinationPitch, uint32_t sourceBytes, uint32_t targetBytes,
                  Convert convert)
{
    for (uint32_t y = 0; y < height; ++y)
    {
        const uint8_t* in = source + static_cast<size_t>(y) * sourcePitch;
        uint8_t* out = destination + static_cast<size_t>(y) * destinationPitch;
        for (uint32_t x = 0; x < width; ++x, in += sourceBytes, out += targetBytes)
        {
            const uint32_t pixel = convert(ReadPixel(in, sourceBytes));
            if (targetBytes == 2)
                Write16(out, pixel);
            else
                Write32(out, pixel);
        }
    }
}

} // namespace

uint32_t GetChannelShift(uint32_t mask)
{
    if (mask == 0)
        return 0;
    uint32_t shift = 0;
    while ((mask & 1u) == 0)
    {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

void DecodePixel(const kaPixelLayout& layout, uint32_t value, kaColor& color)
{
    uint32_t masks[kChannels];
    Masks(layout, masks);
    float channels[kChannels];
    for (int c = 0; c < kChannels; ++c)
    {
        const uint32_t largest = masks[c] >> GetChannelShift(masks[c]);
        channels[c] = largest ? static_cast<float>((value & masks[c]) >> GetChannelShift(masks[c])) /
                                    static_cast<float>(largest)
                              : 0.0f;
    }
    color.r = channels[kRed];
    color.g = channels[kGreen];
    color.b = channels[kBlue];
    color.a = channels[kAlpha];
}

bool SetConversionTarget(const kaPixelLayout& layout)
{
    // The tables follow from the layout alone: the target set last time is still built.
    if (std::memcmp(&g_Target.layout, &layout, sizeof layout) == 0)
        return true;
    g_Target.layout = layout;
    uint32_t masks[kChannels];
    Masks(layout, masks);

    if (layout.bitsPerPixel == 32)
    {
        for (int c = 0; c < kChannels; ++c)
        {
            const uint32_t shift = GetChannelShift(masks[c]);
            // Kept inside the channel, so that a missing or narrow channel cannot spill into another.
            for (uint32_t i = 0; i < 256; ++i)
                g_Target.table32[c][i] = (i << shift) & masks[c];
        }
    }
    else if (layout.bitsPerPixel == 16)
    {
        // Tables this target does not build are emptied, so that none is left over from an earlier one.
        std::memset(g_Target.table16, 0, sizeof(g_Target.table16));
        const uint32_t kind = layout.alphaBits;
        if (kind < 2 || kind == 4)
        {
            const int channels = kind == 4 ? kChannels : kAlpha;
            for (int c = 0; c < channels; ++c)
            {
                const uint32_t shift = GetChannelShift(masks[c]);
                const uint32_t largest = masks[c] >> shift;
                for (uint32_t i = 0; i < 256; ++i)
                {
                    const uint32_t scaled = kind == 4 ? (i * largest) >> 8 : ((i + 1) * largest) >> 8;
                    g_Target.table16[c][i] = static_cast<uint16_t>(scaled << shift);
                }
            }
            if (kind == 4)
                g_Target.table16[kAlpha][255] = static_cast<uint16_t>(layout.alphaMask);
        }
    }
    return true;
}

bool ConvertPixelFormat(const void* source, void* destination, uint32_t width, uint32_t height,
                        uint32_t sourcePitch, uint32_t destinationPitch, const kaPixelLayout& sourceLayout)
{
    const uint32_t from = sourceLayout.bitsPerPixel;
    const uint32_t to = g_Target.layout.bitsPerPixel;
    if (from < 8 || from > 32)
        return false;
    if (!source || !destination)
        return false;
    const auto* in = static_cast<const uint8_t*>(source);
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t masks[kChannels];
    Masks(sourceLayout, masks);
    // A channel's value as an index into an 8-bit table (masks wider than 8 bits cut to their low 8 bits),
    // each channel's shift found once, not once a pixel.
    uint32_t shifts[kChannels];
    for (int i = 0; i < kChannels; ++i)
        shifts[i] = GetChannelShift(masks[i]);
    const auto extract = [&masks, &shifts](uint32_t pixel, int channel)
    { return ((pixel & masks[channel]) >> shifts[channel]) & 0xFF; };

    if (from == 8)
    {
        if (to == 8)
        {
            for (uint32_t y = 0; y < height; ++y)
                std::memcpy(out + static_cast<size_t>(y) * destinationPitch,
                            in + static_cast<size_t>(y) * sourcePitch, width);
            return true;
        }
        if (to == 16)
            return true;
        if (to == 32)
        {
            const uint32_t alpha = g_Target.table32[kAlpha][255];
            ConvertBlock(in, out, width, height, sourcePitch, destinationPitch, 1, 4,
                         [alpha](uint32_t grey) { return Lookup32(grey, grey, grey) | alpha; });
            return true;
        }
        return false;
    }
    if (from == 16)
    {
        if (to != 32)
            return false;
        ConvertBlock(in, out, width, height, sourcePitch, destinationPitch, 2, 4,
                     [&masks, &shifts](uint32_t pixel)
                     {
                         uint32_t c[3];
                         for (int i = 0; i < 3; ++i)
                         {
                             const uint32_t value = (pixel & masks[i]) >> shifts[i];
                             c[i] = Widen16(value, masks[i], static_cast<Channel>(i)) & 0xFF;
                         }
                         return Lookup32(c[kRed], c[kGreen], c[kBlue]) | 0xFF000000u;
                     });
        return true;
    }
    if (from == 24 || from == 32)
    {
        const uint32_t bytes = from / 8;
        const bool withAlpha = from == 32;
        if (to == 16)
        {
            ConvertBlock(in, out, width, height, sourcePitch, destinationPitch, bytes, 2,
                         [&extract, withAlpha](uint32_t pixel)
                         {
                             uint32_t value = Lookup16(extract(pixel, kRed), extract(pixel, kGreen),
                                                       extract(pixel, kBlue));
                             if (withAlpha)
                                 value |= g_Target.table16[kAlpha][extract(pixel, kAlpha)];
                             return value;
                         });
            return true;
        }
        if (to == 32)
        {
            ConvertBlock(in, out, width, height, sourcePitch, destinationPitch, bytes, 4,
                         [&extract, withAlpha](uint32_t pixel)
                         {
                             const uint32_t value = Lookup32(extract(pixel, kRed), extract(pixel, kGreen),
                                                             extract(pixel, kBlue));
                             return value | (withAlpha ? g_Target.table32[kAlpha][extract(pixel, kAlpha)]
                                                       : 0xFF000000u);
                         });
            return true;
        }
        return false;
    }
    return false;
}
