#include "platform/gfx/SurfaceCopy.h"

#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxSurface.h"
#include "platform/gfx/GfxVolume.h"
#include "platform/gfx/TexelLayout.h"

#include <cstring>
#include <vector>

namespace platform
{

namespace
{

bool Convertible(uint32_t format)
{
    TexelLayout layout;
    return DxtCodec::IsDxtFormat(format) || TexelLayout::Describe(format, layout);
}

uint64_t ChannelFrom8Bits(uint32_t value8, uint64_t mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const uint64_t max = mask >> shift;
    return ((uint64_t(value8) * max + 127) / 255) << shift;
}

// The A8R8G8B8 texel written in the layout; luminance takes the mean of the colours.
uint64_t FromArgb(const TexelLayout& layout, uint32_t argb)
{
    const uint32_t a = argb >> 24, r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return ChannelFrom8Bits(r, layout.Mask(TexelLayout::kRed)) |
           ChannelFrom8Bits(g, layout.Mask(TexelLayout::kGreen)) |
           ChannelFrom8Bits(b, layout.Mask(TexelLayout::kBlue)) |
           ChannelFrom8Bits(a, layout.Mask(TexelLayout::kAlpha)) |
           ChannelFrom8Bits((r + g + b) / 3, layout.Mask(TexelLayout::kLuminance));
}

bool Decode(uint32_t format, const uint8_t* source, uint32_t pitch, uint32_t width, uint32_t height,
            std::vector<uint32_t>& texels)
{
    if (DxtCodec::IsDxtFormat(format))
    {
        const uint32_t rowBytes = GfxFormatInfo::RowPitch(format, width);
        const uint32_t rows = GfxFormatInfo::StorageRows(format, height);
        std::vector<uint8_t> packed(size_t(rowBytes) * rows);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(packed.data() + size_t(y) * rowBytes, source + size_t(y) * pitch, rowBytes);
        return DxtCodec::DecodeImage(format, packed.data(), packed.size(), width, height, texels);
    }
    TexelLayout layout;
    if (!TexelLayout::Describe(format, layout))
        return false;
    texels.resize(size_t(width) * height);
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            texels[size_t(y) * width + x] =
                layout.ToArgb(source + size_t(y) * pitch + size_t(x) * layout.BytesPerTexel());
    return true;
}

bool Encode(uint32_t format, const std::vector<uint32_t>& texels, uint8_t* destination, uint32_t pitch,
            uint32_t width, uint32_t height)
{
    if (DxtCodec::IsDxtFormat(format))
    {
        const std::vector<uint8_t> blocks = DxtCodec::EncodeImage(format, texels, width, height);
        const uint32_t rowBytes = GfxFormatInfo::RowPitch(format, width);
        const uint32_t rows = GfxFormatInfo::StorageRows(format, height);
        if (blocks.size() < size_t(rowBytes) * rows)
            return false;
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(destination + size_t(y) * pitch, blocks.data() + size_t(y) * rowBytes, rowBytes);
        return true;
    }
    TexelLayout layout;
    if (!TexelLayout::Describe(format, layout))
        return false;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            layout.Write(destination + size_t(y) * pitch + size_t(x) * layout.BytesPerTexel(),
                         FromArgb(layout, texels[size_t(y) * width + x]));
    return true;
}

} // namespace

bool SurfaceCopy::CanConvert(uint32_t sourceFormat, uint32_t destinationFormat)
{
    return sourceFormat == destinationFormat ? GfxFormatInfo::BitsPerPixel(sourceFormat) != 0
                                             : Convertible(sourceFormat) && Convertible(destinationFormat);
}

bool SurfaceCopy::ConvertRows(uint32_t sourceFormat, const uint8_t* source, uint32_t sourcePitch,
                              uint32_t destinationFormat, uint8_t* destination, uint32_t destinationPitch,
                              uint32_t width, uint32_t height)
{
    if (!source || !destination || !CanConvert(sourceFormat, destinationFormat))
        return false;
    if (sourceFormat == destinationFormat)
    {
        const uint32_t rowBytes = GfxFormatInfo::RowPitch(sourceFormat, width);
        if (rowBytes > sourcePitch || rowBytes > destinationPitch)
            return false;
        const uint32_t rows = GfxFormatInfo::StorageRows(sourceFormat, height);
        for (uint32_t y = 0; y < rows; ++y)
            std::memcpy(destination + size_t(y) * destinationPitch, source + size_t(y) * sourcePitch,
                        rowBytes);
        return true;
    }
    std::vector<uint32_t> texels;
    return Decode(sourceFormat, source, sourcePitch, width, height, texels) &&
           Encode(destinationFormat, texels, destination, destinationPitch, width, height);
}

GfxResult SurfaceCopy::CopySurface(GfxSurface* destination, GfxSurface* source)
{
    if (!destination || !source)
        return GFXERR_INVALIDCALL;
    SurfaceDesc from, to;
    if (GfxFailed(source->GetDesc(&from)) || GfxFailed(destination->GetDesc(&to)))
        return GFXERR_INVALIDCALL;
    if (from.Width != to.Width || from.Height != to.Height || !CanConvert(from.Format, to.Format))
        return GFXERR_INVALIDCALL;
    LockedRect in, out;
    GfxResult result = source->LockRect(&in, nullptr, LOCK_READONLY);
    if (GfxFailed(result))
        return result;
    result = destination->LockRect(&out, nullptr, 0);
    if (GfxFailed(result))
    {
        source->UnlockRect();
        return result;
    }
    const bool copied =
        ConvertRows(from.Format, static_cast<const uint8_t*>(in.Bits), uint32_t(in.Pitch), to.Format,
                    static_cast<uint8_t*>(out.Bits), uint32_t(out.Pitch), from.Width, from.Height);
    destination->UnlockRect();
    source->UnlockRect();
    return copied ? GFX_OK : GFXERR_INVALIDCALL;
}

GfxResult SurfaceCopy::CopyVolume(GfxVolume* destination, GfxVolume* source)
{
    if (!destination || !source)
        return GFXERR_INVALIDCALL;
    VolumeDesc from, to;
    if (GfxFailed(source->GetDesc(&from)) || GfxFailed(destination->GetDesc(&to)))
        return GFXERR_INVALIDCALL;
    if (from.Width != to.Width || from.Height != to.Height || from.Depth != to.Depth ||
        !CanConvert(from.Format, to.Format))
        return GFXERR_INVALIDCALL;
    LockedBox in, out;
    GfxResult result = source->LockBox(&in, nullptr, LOCK_READONLY);
    if (GfxFailed(result))
        return result;
    result = destination->LockBox(&out, nullptr, 0);
    if (GfxFailed(result))
    {
        source->UnlockBox();
        return result;
    }
    bool copied = true;
    for (uint32_t slice = 0; slice < from.Depth && copied; ++slice)
        copied =
            ConvertRows(from.Format, static_cast<const uint8_t*>(in.Bits) + size_t(slice) * in.SlicePitch,
                        uint32_t(in.RowPitch), to.Format,
                        static_cast<uint8_t*>(out.Bits) + size_t(slice) * out.SlicePitch,
                        uint32_t(out.RowPitch), from.Width, from.Height);
    destination->UnlockBox();
    source->UnlockBox();
    return copied ? GFX_OK : GFXERR_INVALIDCALL;
}

} // namespace platform
