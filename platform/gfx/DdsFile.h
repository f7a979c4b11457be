#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform
{

// One mip level of one face (or of a whole volume): rows of texels or of 4x4 blocks, slices one after
// another, without gaps.
struct DdsLevel
{
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 1;
    uint32_t rowPitch = 0;
    uint32_t slicePitch = 0;
    std::vector<uint8_t> data;
};

// A DDS texture file read into memory: a 2D, cube or volume texture in a DXT or uncompressed format, with
// its mip levels. Levels the file lacks are built by a box filter. Reading needs no device.
class DdsFile
{
public:
    static constexpr uint32_t kMagic = 0x20534444; // "DDS "
    static constexpr uint32_t kHeaderSize = 124;
    static constexpr uint32_t kPixelFormatSize = 32;
    static constexpr uint32_t kFlagMipMapCount = 0x20000;
    static constexpr uint32_t kFlagDepth = 0x800000;
    static constexpr uint32_t kPixelAlphaPixels = 0x1;
    static constexpr uint32_t kPixelAlpha = 0x2;
    static constexpr uint32_t kPixelFourCC = 0x4;
    static constexpr uint32_t kPixelRgb = 0x40;
    static constexpr uint32_t kPixelLuminance = 0x20000;
    static constexpr uint32_t kCapsMipMap = 0x400000;
    static constexpr uint32_t kCaps2CubeMap = 0x200;
    static constexpr uint32_t kCaps2AllFaces = 0xFC00;
    static constexpr uint32_t kCaps2Volume = 0x200000;
    static constexpr uint32_t kFaceCount = 6;

    // Largest side accepted, and the most texel data a file may bring.
    static constexpr uint32_t kMaxDimension = 16384;
    static constexpr uint64_t kMaxDataBytes = 512ull << 20;

    // Level counts for the readers: 0 the full chain, this value exactly the file's levels.
    static constexpr uint32_t kLevelsFromFile = 0xFFFFFFFFu;

    // levels: how many mip levels to hold; those the file lacks are built, extra ones dropped.
    bool LoadFromMemory(const uint8_t* data, size_t size, uint32_t levels = 0);
    // The path may use '\' and any case, as data files do.
    bool LoadFromFile(const std::string& path, uint32_t levels = 0);
    // Why the last load failed.
    const std::string& GetError() const { return m_Error; }

    // RTYPE_TEXTURE, RTYPE_CUBETEXTURE or RTYPE_VOLUMETEXTURE.
    uint32_t GetType() const { return m_Type; }
    // A surface format number (FMT_*).
    uint32_t GetFormat() const { return m_Format; }
    uint32_t GetWidth() const { return m_Width; }
    uint32_t GetHeight() const { return m_Height; }
    uint32_t GetDepth() const { return m_Depth; }
    uint32_t GetFaceCount() const { return uint32_t(m_Faces.size()); }
    uint32_t GetLevelCount() const { return m_Faces.empty() ? 0 : uint32_t(m_Faces[0].size()); }
    // How many of the levels held came from the file.
    uint32_t GetFileLevelCount() const { return m_FileLevels; }
    // Faces in the order +X, -X, +Y, -Y, +Z, -Z.
    const DdsLevel& GetLevel(uint32_t level, uint32_t face = 0) const { return m_Faces.at(face).at(level); }

    // Holds exactly this many levels (0: the full chain, down to 1x1x1), building the missing ones from the
    // last level held. False for a format that cannot be filtered.
    bool BuildMipChain(uint32_t levels);

private:
    bool _Fail(const std::string& error);
    bool _FormatFromPixelFormat(const uint8_t* pixelFormat);
    DdsLevel _LevelShape(uint32_t level) const;
    DdsLevel _EmptyLevel(uint32_t level) const;
    bool _Downsample(const DdsLevel& source, DdsLevel& target) const;

    uint32_t m_Type = 0;
    uint32_t m_Format = 0;
    uint32_t m_Width = 0;
    uint32_t m_Height = 0;
    uint32_t m_Depth = 0;
    uint32_t m_FileLevels = 0;
    std::vector<std::vector<DdsLevel>> m_Faces;
    std::string m_Error;
};

} // namespace platform
