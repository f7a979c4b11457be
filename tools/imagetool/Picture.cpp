#include "tools/imagetool/Picture.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaTGAImage.h"
#include "platform/files/Files.h"
#include "platform/gfx/DdsFile.h"
#include "platform/gfx/DxtCodec.h"
#include "platform/gfx/TexelLayout.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

namespace
{

std::string Extension(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    std::string extension = dot == std::string::npos ? "" : path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension;
}

int Shift(uint32_t mask)
{
    int shift = 0;
    while (mask && !(mask & 1))
        mask >>= 1, ++shift;
    return shift;
}

uint32_t Widen(uint32_t value, uint32_t mask, uint32_t otherwise)
{
    if (!mask)
        return otherwise;
    const uint32_t max = mask >> Shift(mask);
    return (((value & mask) >> Shift(mask)) * 255 + max / 2) / max;
}

// Pixels of a TGA or BMP image to A8R8G8B8, through its palette or channel masks; without an alpha mask
// the picture is opaque.
bool FromImage(const kaImage& image, const uint8_t* palette, uint32_t alphaMask, Picture& picture,
               std::string& error)
{
    picture.width = image.GetWidth();
    picture.height = image.GetHeight();
    picture.texels.assign(size_t(picture.width) * picture.height, 0);
    const uint32_t bits = image.GetBitsPerPixel();
    const uint8_t* pixels = image.GetPixels();
    if (picture.texels.empty())
        return true;
    if (!pixels || image.GetPixelBytes() < size_t(image.GetRowBytes()) * picture.height)
    {
        error = "no pixel data";
        return false;
    }
    for (uint32_t y = 0; y < picture.height; ++y)
    {
        const uint8_t* row = pixels + size_t(y) * image.GetRowBytes();
        for (uint32_t x = 0; x < picture.width; ++x)
        {
            uint32_t& out = picture.texels[size_t(y) * picture.width + x];
            if (bits <= 8)
            {
                const uint32_t index =
                    (row[x * bits / 8] >> (8 - bits - (x * bits) % 8)) & ((1u << bits) - 1);
                if (palette)
                    out = 0xFF000000u | uint32_t(palette[index * 4]) << 16 |
                          uint32_t(palette[index * 4 + 1]) << 8 | palette[index * 4 + 2];
                else
                    out = 0xFF000000u | index * 0x010101u;
                continue;
            }
            uint32_t value = 0;
            for (uint32_t b = 0; b < bits / 8; ++b)
                value |= uint32_t(row[x * (bits / 8) + b]) << (8 * b);
            out = Widen(value, alphaMask, 255) << 24 | Widen(value, image.GetRedMask(), 0) << 16 |
                  Widen(value, image.GetGreenMask(), 0) << 8 | Widen(value, image.GetBlueMask(), 0);
        }
    }
    return true;
}

// TGA pixels carry alpha only when the header gives alpha bits.
bool FromTga(const kaTGAImage& image, Picture& picture, std::string& error)
{
    return FromImage(image, nullptr, image.GetAlphaBits() ? image.GetAlphaMask() : 0, picture, error);
}

bool LoadTga(const std::string& path, Picture& picture, std::string& error)
{
    kaTGAImage image;
    if (image.Load(path))
        return FromTga(image, picture, error);
    // Grey images are read by the standard-stream reader, compressed ones by the binary-stream reader.
    std::ifstream file(platform::NativePath(path), std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    if (!file)
    {
        error = "cannot open " + path;
        return false;
    }
    contents.seekg(0);
    if (image.LoadFromStream(contents))
        return FromTga(image, picture, error);
    kaBinaryStream stream(contents.rdbuf());
    stream.SeekRead(0, std::ios_base::beg);
    if (image.ReadFromBinaryStream(stream))
        return FromTga(image, picture, error);
    error = "not a TGA image the engine reads: " + path;
    return false;
}

bool LoadDds(const std::string& path, Picture& picture, std::string& error)
{
    platform::DdsFile dds;
    if (!dds.LoadFromFile(path, platform::DdsFile::kLevelsFromFile))
    {
        error = path + ": " + dds.GetError();
        return false;
    }
    const platform::DdsLevel& level = dds.GetLevel(0);
    picture.width = level.width;
    picture.height = level.height;
    if (platform::DxtCodec::IsDxtFormat(dds.GetFormat()))
        return platform::DxtCodec::DecodeImage(dds.GetFormat(), level.data.data(), level.slicePitch,
                                               level.width, level.height, picture.texels);
    platform::TexelLayout layout;
    if (!platform::TexelLayout::Describe(dds.GetFormat(), layout))
    {
        error = "cannot show format " + std::to_string(dds.GetFormat());
        return false;
    }
    picture.texels.resize(size_t(level.width) * level.height);
    for (uint32_t y = 0; y < level.height; ++y)
        for (uint32_t x = 0; x < level.width; ++x)
            picture.texels[size_t(y) * level.width + x] =
                layout.ToArgb(&level.data[size_t(y) * level.rowPitch + x * layout.BytesPerTexel()]);
    return true;
}

} // namespace

bool Picture::HasAlpha() const
{
    return std::any_of(texels.begin(), texels.end(), [](uint32_t t) { return (t >> 24) != 0xFF; });
}

std::vector<uint8_t> Picture::Bytes(bool withAlpha) const
{
    std::vector<uint8_t> out;
    out.reserve(texels.size() * (withAlpha ? 4 : 3));
    for (uint32_t t : texels)
    {
        out.push_back(uint8_t(t));
        out.push_back(uint8_t(t >> 8));
        out.push_back(uint8_t(t >> 16));
        if (withAlpha)
            out.push_back(uint8_t(t >> 24));
    }
    return out;
}

bool Picture::Save(const std::string& path, std::string& error) const
{
    const std::string extension = Extension(path);
    bool saved = false;
    if (extension == "tga")
    {
        const bool alpha = HasAlpha();
        kaTGAImage image;
        saved = image.Create(width, height, alpha ? 32 : 24, alpha ? 8 : 0, Bytes(alpha).data()) &&
                image.Save(path, false);
    }
    else if (extension == "bmp")
    {
        if (HasAlpha())
        {
            error = "a picture with alpha is written as .tga: " + path;
            return false;
        }
        kaBMPImage image;
        saved = image.Create(width, height, 24, Bytes(false).data()) && image.Save(path, false);
    }
    else
    {
        error = "only .tga and .bmp files are written: " + path;
        return false;
    }
    if (!saved)
        error = "cannot write " + path;
    return saved;
}

bool Picture::Load(const std::string& path, Picture& picture, std::string& error)
{
    picture = Picture();
    const std::string extension = Extension(path);
    if (extension == "tga")
        return LoadTga(path, picture, error);
    if (extension == "dds")
        return LoadDds(path, picture, error);
    if (extension == "bmp")
    {
        kaBMPImage image;
        if (!image.Load(path))
        {
            error = "not a bitmap the engine reads: " + path;
            return false;
        }
        return FromImage(image, image.GetPalette(), image.GetAlphaMask(), picture, error);
    }
    error = "unknown image type: " + path;
    return false;
}
