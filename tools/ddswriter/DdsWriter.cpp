#include "tools/ddswriter/DdsWriter.h"

#include "platform/files/SafeFileWriter.h"

namespace
{

constexpr uint32_t kMagic = 0x20534444;
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPixelFormatSize = 32;
// Caps, height, width, pitch and pixel format always; depth for a volume.
constexpr uint32_t kFlags = 0x1 | 0x2 | 0x4 | 0x8 | 0x1000;
constexpr uint32_t kFlagDepth = 0x800000;
constexpr uint32_t kPixelRgbAlpha = 0x40 | 0x1;
constexpr uint32_t kCapsTexture = 0x1000;
constexpr uint32_t kCapsComplex = 0x8;
constexpr uint32_t kCubeAllFaces = 0x200 | 0xFC00;
constexpr uint32_t kVolume = 0x200000;

void Put(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

std::string DdsWriter::_Header(uint32_t width, uint32_t height, uint32_t depth, uint32_t caps2)
{
    std::string out;
    Put(out, kMagic);
    Put(out, kHeaderSize);
    Put(out, kFlags | (caps2 & kVolume ? kFlagDepth : 0));
    Put(out, height);
    Put(out, width);
    Put(out, width * 4);
    Put(out, caps2 & kVolume ? depth : 0);
    Put(out, 1);
    for (int i = 0; i < 11; ++i)
        Put(out, 0);
    Put(out, kPixelFormatSize);
    Put(out, kPixelRgbAlpha);
    Put(out, 0);
    Put(out, 32);
    Put(out, 0x00FF0000);
    Put(out, 0x0000FF00);
    Put(out, 0x000000FF);
    Put(out, 0xFF000000);
    Put(out, kCapsTexture | (caps2 ? kCapsComplex : 0));
    Put(out, caps2);
    Put(out, 0);
    Put(out, 0);
    Put(out, 0);
    return out;
}

void DdsWriter::_AppendTexels(std::string& out, const std::vector<uint32_t>& texels)
{
    for (uint32_t texel : texels)
        Put(out, texel);
}

std::string DdsWriter::Texture2D(uint32_t width, uint32_t height, const std::vector<uint32_t>& texels)
{
    std::string out = _Header(width, height, 1, 0);
    std::vector<uint32_t> sized = texels;
    sized.resize(static_cast<size_t>(width) * height);
    _AppendTexels(out, sized);
    return out;
}

std::string DdsWriter::Cube(uint32_t width, const std::vector<uint32_t> (&faces)[6])
{
    std::string out = _Header(width, width, 1, kCubeAllFaces);
    for (const std::vector<uint32_t>& face : faces)
    {
        std::vector<uint32_t> sized = face;
        sized.resize(static_cast<size_t>(width) * width);
        _AppendTexels(out, sized);
    }
    return out;
}

std::string DdsWriter::Volume(uint32_t width, uint32_t height, uint32_t depth,
                              const std::vector<uint32_t>& texels)
{
    std::string out = _Header(width, height, depth, kVolume);
    std::vector<uint32_t> sized = texels;
    sized.resize(static_cast<size_t>(width) * height * depth);
    _AppendTexels(out, sized);
    return out;
}

bool DdsWriter::Save(const std::string& path, const std::string& bytes)
{
    return platform::SafeFileWriter::WriteWhole(path, bytes);
}
