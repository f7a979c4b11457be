#include "platform/gfx/DdsFile.h"

#include "platform/files/Files.h"
#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/gfx/TexelLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace platform
{

namespace
{

// Offsets inside the 124-byte header that follows the magic number.
constexpr size_t kHeaderFlags = 4;
constexpr size_t kHeaderHeight = 8;
constexpr size_t kHeaderWidth = 12;
constexpr size_t kHeaderDepth = 20;
constexpr size_t kHeaderMipCount = 24;
constexpr size_t kHeaderPixelFormat = 72;
constexpr size_t kHeaderCaps = 104;
constexpr size_t kHeaderCaps2 = 108;

// Pixel-format record.
constexpr size_t kPixelFlags = 4;
constexpr size_t kPixelFourCCCode = 8;
constexpr size_t kPixelBitCount = 12;
constexpr size_t kPixelMasks = 16; // red, green, blue, alpha

// Uncompressed formats a DDS file may describe with channel masks.
const uint32_t kMaskedFormats[] = {FMT_A8R8G8B8,    FMT_X8R8G8B8,    FMT_R8G8B8,   FMT_R5G6B5,   FMT_A1R5G5B5,
                                   FMT_X1R5G5B5,    FMT_A4R4G4B4,    FMT_X4R4G4B4, FMT_R3G3B2,   FMT_A8R3G3B2,
                                   FMT_A2B10G10R10, FMT_A2R10G10B10, FMT_A8B8G8R8, FMT_X8B8G8R8, FMT_G16R16,
                                   FMT_L8,          FMT_A8L8,        FMT_A8};

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t Half(uint32_t side)
{
    return side > 1 ? side / 2 : 1;
}

// Box filter of texels of the given layout: each target texel averages the up to 2 x 2 x 2 source texels
// it covers.
void BoxFilter(const TexelLayout& layout, const uint8_t* source, uint32_t width, uint32_t height,
               uint32_t depth, uint8_t* target)
{
    const uint32_t bytes = layout.BytesPerTexel();
    const uint32_t w2 = Half(width);
    const uint32_t h2 = Half(height);
    const uint32_t d2 = Half(depth);
    for (uint32_t z = 0; z < d2; ++z)
        for (uint32_t y = 0; y < h2; ++y)
            for (uint32_t x = 0; x < w2; ++x)
            {
                const uint8_t* texels[8];
                int count = 0;
                for (uint32_t dz = 0; dz < (depth > 1 ? 2u : 1u); ++dz)
                    for (uint32_t dy = 0; dy < (height > 1 ? 2u : 1u); ++dy)
                        for (uint32_t dx = 0; dx < (width > 1 ? 2u : 1u); ++dx)
                        {
                            const size_t sx = x * 2 + dx;
                            const size_t sy = y * 2 + dy;
                            const size_t sz = z * 2 + dz;
                            texels[count++] = source + ((sz * height + sy) * width + sx) * bytes;
                        }
                layout.Average(texels, count, target + ((size_t(z) * h2 + y) * w2 + x) * bytes);
            }
}

} // namespace

bool DdsFile::LoadFromFile(const std::string& path, uint32_t levels)
{
    FILE* file = OpenFile(path.c_str(), "rb", kMaxDataBytes + 4 + kHeaderSize);
    if (!file)
        return _Fail("cannot open " + path);
    std::vector<uint8_t> bytes;
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    const bool sized =
        size >= 0 && uint64_t(size) <= kMaxDataBytes + 4 + kHeaderSize && std::fseek(file, 0, SEEK_SET) == 0;
    if (sized)
    {
        bytes.resize(size_t(size));
        if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            bytes.clear();
    }
    std::fclose(file);
    if (!sized || bytes.size() != size_t(size))
        return _Fail("cannot read " + path);
    return LoadFromMemory(bytes.data(), bytes.size(), levels);
}

bool DdsFile::LoadFromMemory(const uint8_t* data, size_t size, uint32_t levels)
{
    *this = DdsFile();
    if (!data || size < 4 + kHeaderSize)
        return _Fail("too short for a DDS header");
    if (U32(data) != kMagic)
        return _Fail("not a DDS file");
    const uint8_t* header = data + 4;
    const uint8_t* pixelFormat = header + kHeaderPixelFormat;
    if (U32(header) != kHeaderSize || U32(pixelFormat) != kPixelFormatSize)
        return _Fail("unknown header size");

    m_Width = U32(header + kHeaderWidth);
    m_Height = U32(header + kHeaderHeight);
    if (m_Width == 0 || m_Height == 0 || m_Width > kMaxDimension || m_Height > kMaxDimension)
        return _Fail("bad size");

    const uint32_t caps2 = U32(header + kHeaderCaps2);
    const bool cube = caps2 & kCaps2CubeMap;
    const bool volume = caps2 & kCaps2Volume;
    uint32_t faces = 1;
    m_Depth = 1;
    m_Type = RTYPE_TEXTURE;
    if (cube && volume)
        return _Fail("both cube and volume");
    if (cube)
    {
        if ((caps2 & kCaps2AllFaces) != kCaps2AllFaces)
            return _Fail("cube map without all six faces");
        if (m_Width != m_Height)
            return _Fail("cube faces are not square");
        faces = kFaceCount;
        m_Type = RTYPE_CUBETEXTURE;
    }
    else if (volume)
    {
        m_Depth = U32(header + kHeaderDepth);
        if (m_Depth == 0 || m_Depth > kMaxDimension)
            return _Fail("bad depth");
        m_Type = RTYPE_VOLUMETEXTURE;
    }

    const uint32_t flags = U32(header + kHeaderFlags);
    const uint32_t caps = U32(header + kHeaderCaps);
    uint32_t fileLevels = 1;
    if ((flags & kFlagMipMapCount) || (caps & kCapsMipMap))
        fileLevels = std::max(1u, U32(header + kHeaderMipCount));
    if (fileLevels > GfxFormatInfo::FullChainLevels(m_Width, m_Height, m_Depth))
        return _Fail("more mip levels than the size allows");

    if (!_FormatFromPixelFormat(pixelFormat))
        return _Fail("unsupported pixel format");

    // Size everything before allocating anything.
    uint64_t total = 0;
    for (uint32_t level = 0; level < fileLevels; ++level)
    {
        const DdsLevel shape = _LevelShape(level);
        total += uint64_t(shape.slicePitch) * shape.depth;
    }
    total *= faces;
    if (total > kMaxDataBytes)
        return _Fail("too large");
    if (total > size - 4 - kHeaderSize)
        return _Fail("truncated");

    const uint8_t* at = data + 4 + kHeaderSize;
    m_Faces.resize(faces);
    for (auto& face : m_Faces)
        for (uint32_t level = 0; level < fileLevels; ++level)
        {
            DdsLevel entry = _LevelShape(level);
            entry.data.assign(at, at + size_t(entry.slicePitch) * entry.depth);
            at += entry.data.size();
            face.push_back(std::move(entry));
        }
    m_FileLevels = fileLevels;

    if (levels != kLevelsFromFile && !BuildMipChain(levels))
    {
        const uint32_t format = m_Format;
        *this = DdsFile();
        return _Fail("cannot build mip levels of format " + std::to_string(format));
    }
    return true;
}

bool DdsFile::BuildMipChain(uint32_t levels)
{
    if (m_Faces.empty())
        return false;
    const uint32_t full = GfxFormatInfo::FullChainLevels(m_Width, m_Height, m_Depth);
    const uint32_t target = levels == 0 ? full : std::min(levels, full);
    for (auto& face : m_Faces)
    {
        if (face.size() > target)
            face.resize(target);
        while (face.size() < target)
        {
            DdsLevel next = _EmptyLevel(uint32_t(face.size()));
            if (!_Downsample(face.back(), next))
                return false;
            face.push_back(std::move(next));
        }
    }
    m_FileLevels = std::min(m_FileLevels, target);
    return true;
}

bool DdsFile::_Fail(const std::string& error)
{
    m_Error = error;
    return false;
}

bool DdsFile::_FormatFromPixelFormat(const uint8_t* pixelFormat)
{
    const uint32_t flags = U32(pixelFormat + kPixelFlags);
    if (flags & kPixelFourCC)
    {
        const uint32_t code = U32(pixelFormat + kPixelFourCCCode);
        TexelLayout layout;
        // Besides the DXT codes, a format number may stand in the four-character code.
        if (DxtCodec::IsDxtFormat(code) || TexelLayout::Describe(code, layout))
        {
            m_Format = code;
            return true;
        }
        return false;
    }

    const uint32_t bits = U32(pixelFormat + kPixelBitCount);
    const uint32_t red = U32(pixelFormat + kPixelMasks);
    const uint32_t green = U32(pixelFormat + kPixelMasks + 4);
    const uint32_t blue = U32(pixelFormat + kPixelMasks + 8);
    const uint32_t alpha =
        (flags & (kPixelAlphaPixels | kPixelAlpha)) ? U32(pixelFormat + kPixelMasks + 12) : 0;
    if (!(flags & (kPixelRgb | kPixelLuminance | kPixelAlpha)))
        return false;
    for (uint32_t format : kMaskedFormats)
    {
        TexelLayout layout;
        TexelLayout::Describe(format, layout);
        if (layout.BytesPerTexel() * 8 != bits)
            continue;
        const bool luminance = layout.Mask(TexelLayout::kLuminance) != 0;
        if (luminance != bool(flags & kPixelLuminance))
            continue;
        const uint64_t expectedRed =
            luminance ? layout.Mask(TexelLayout::kLuminance) : layout.Mask(TexelLayout::kRed);
        if (expectedRed == red && layout.Mask(TexelLayout::kGreen) == green &&
            layout.Mask(TexelLayout::kBlue) == blue && layout.Mask(TexelLayout::kAlpha) == alpha)
        {
            m_Format = format;
            return true;
        }
    }
    return false;
}

// Sizes and pitches only: the header's claims are measured before any memory is spent on them.
DdsLevel DdsFile::_LevelShape(uint32_t level) const
{
    DdsLevel entry;
    entry.width = std::max(1u, m_Width >> level);
    entry.height = std::max(1u, m_Height >> level);
    entry.depth = std::max(1u, m_Depth >> level);
    entry.rowPitch = GfxFormatInfo::RowPitch(m_Format, entry.width);
    entry.slicePitch = entry.rowPitch * GfxFormatInfo::StorageRows(m_Format, entry.height);
    return entry;
}

DdsLevel DdsFile::_EmptyLevel(uint32_t level) const
{
    DdsLevel entry = _LevelShape(level);
    entry.data.resize(size_t(entry.slicePitch) * entry.depth);
    return entry;
}

bool DdsFile::_Downsample(const DdsLevel& source, DdsLevel& target) const
{
    TexelLayout layout;
    if (TexelLayout::Describe(m_Format, layout))
    {
        BoxFilter(layout, source.data.data(), source.width, source.height, source.depth, target.data.data());
        return true;
    }
    if (!DxtCodec::IsDxtFormat(m_Format))
        return false;

    // Compressed levels are filtered as A8R8G8B8 texels and compressed again, slice by slice.
    TexelLayout argb;
    TexelLayout::Describe(FMT_A8R8G8B8, argb);
    const size_t sliceTexels = size_t(source.width) * source.height;
    std::vector<uint32_t> texels(sliceTexels * source.depth);
    std::vector<uint32_t> slice;
    for (uint32_t z = 0; z < source.depth; ++z)
    {
        if (!DxtCodec::DecodeImage(m_Format, source.data.data() + size_t(z) * source.slicePitch,
                                   source.slicePitch, source.width, source.height, slice))
            return false;
        std::copy(slice.begin(), slice.end(), texels.begin() + z * sliceTexels);
    }
    std::vector<uint32_t> filtered(size_t(target.width) * target.height * target.depth);
    BoxFilter(argb, reinterpret_cast<const uint8_t*>(texels.data()), source.width, source.height,
              source.depth, reinterpret_cast<uint8_t*>(filtered.data()));
    const size_t targetSlice = size_t(target.width) * target.height;
    for (uint32_t z = 0; z < target.depth; ++z)
    {
        const std::vector<uint32_t> part(filtered.begin() + z * targetSlice,
                                         filtered.begin() + (z + 1) * targetSlice);
        const std::vector<uint8_t> blocks =
            DxtCodec::EncodeImage(m_Format, part, target.width, target.height);
        std::copy(blocks.begin(), blocks.end(), target.data.begin() + size_t(z) * target.slicePitch);
    }
    return true;
}

} // namespace platform
