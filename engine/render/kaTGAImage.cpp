#include "engine/render/kaTGAImage.h"

#include "engine/core/kaBinaryStream.h"
#include "engine/core/kaFileSystem.h"
#include "engine/render/kaByteSource.h"
#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <istream>
#include <utility>

namespace
{

// File bytes beyond the pixels (ID, footer, extension area) that a held file may carry; more than this and
// the pixels are copied out so the rest can go.
constexpr size_t kMaxHeldSlack = 4096;

// deflate never shrinks data by more than about 1032 to 1; a type-23 length that would have to
// inflate further than that is a lie, refused before the pixels are allocated.
constexpr uint64_t kMaxInflateRatio = 1032;

uint16_t ReadU16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

void WriteU16(uint8_t* p, uint16_t value)
{
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

kaTGAHeader DecodeHeader(const uint8_t* raw)
{
    kaTGAHeader header;
    header.idLength = raw[0];
    header.colorMapType = raw[1];
    header.imageType = raw[2];
    header.firstEntry = ReadU16(raw + 3);
    header.mapLength = ReadU16(raw + 5);
    header.entrySize = raw[7];
    header.xOrigin = ReadU16(raw + 8);
    header.yOrigin = ReadU16(raw + 10);
    header.width = ReadU16(raw + 12);
    header.height = ReadU16(raw + 14);
    header.bitsPerPixel = raw[16];
    header.descriptor = raw[17];
    return header;
}

uint64_t PixelBytesOf(const kaTGAHeader& header)
{
    return uint64_t(header.width) * header.height * (header.bitsPerPixel / 8);
}

} // namespace

kaTGAImage::~kaTGAImage() = default;

bool kaTGAImage::LoadFromStream(std::istream& stream)
{
    if (!stream.good())
    {
        _Clear();
        return false;
    }
    kaByteSource source(stream);
    return _Read(source, false);
}

bool kaTGAImage::LoadFromFile(FILE* file)
{
    if (!file)
    {
        _Clear();
        return false;
    }
    kaByteSource source(file);
    return _Read(source, false);
}

bool kaTGAImage::ReadFromBinaryStream(kaBinaryStream& stream)
{
    if (stream.Failed())
    {
        _Clear();
        return false;
    }
    kaByteSource source(stream);
    return _Read(source, true);
}

bool kaTGAImage::_TakeFileName(std::string fileName)
{
    m_Name = std::move(fileName);
    const std::string& name = m_Name;
    if (name.size() < 3)
        return false;
    // Letters are lowered by setting the ASCII case bit: only 't', 'g' and 'a' and their capitals match.
    const char* extension = name.c_str() + name.size() - 3;
    return (extension[0] | 0x20) == 't' && (extension[1] | 0x20) == 'g' && (extension[2] | 0x20) == 'a';
}

bool kaTGAImage::Load(const std::string& fileName)
{
    if (!_TakeFileName(fileName))
        return false;
    platform::FileBytes bytes;
    FILE* file = nullptr;
    if (!_ReadNamedFile(fileName, bytes, file))
        return false;
    if (!file)
    {
        kaByteSource source(bytes.Data(), bytes.Size());
        return _Read(source, false, &bytes);
    }
    const bool loaded = LoadFromFile(file);
    std::fclose(file);
    return loaded;
}

bool kaTGAImage::LoadFileBytes(std::string fileName, platform::FileBytes& bytes)
{
    if (!_TakeFileName(std::move(fileName)))
        return false;
    kaByteSource source(bytes.Data(), bytes.Size());
    return _Read(source, false, &bytes);
}

bool kaTGAImage::Save(const std::string& fileName, bool compress) const
{
    if (fileName.empty() || !m_HasHeader)
        return false;
    platform::SafeFileWriter writer(fileName);
    return writer.File() && WriteFile(writer.File(), compress) && writer.Commit();
}

uint32_t kaTGAImage::GetHeight() const
{
    return m_HasHeader ? m_Header.height : 0;
}

uint32_t kaTGAImage::GetWidth() const
{
    return m_HasHeader ? m_Header.width : 0;
}

uint32_t kaTGAImage::GetAlphaBits() const
{
    return m_HasHeader ? m_Header.descriptor & kAlphaBitsMask : 0;
}

uint32_t kaTGAImage::GetBitsPerPixel() const
{
    return m_HasHeader ? m_Header.bitsPerPixel : 0;
}

bool kaTGAImage::WriteStream(kaBinaryStream& stream, bool compress) const
{
    if (!m_HasHeader)
        return false;
    uint8_t header[kHeaderSize];
    _EncodeHeader(header, compress);
    if (!stream.Write(header, sizeof(header)))
        return false;
    const uint8_t* const pixels = GetPixels();
    const size_t pixelBytes = GetPixelBytes();
    if (!pixels)
        return true;
    if (!compress)
        return stream.Write(pixels, pixelBytes);

    uLongf packedSize = compressBound(uLong(pixelBytes));
    std::vector<uint8_t> packed(packedSize);
    if (::compress(packed.data(), &packedSize, pixels, uLong(pixelBytes)) != Z_OK)
        return false;
    stream.WriteUInt32(uint32_t(packedSize));
    return !stream.Failed() && stream.Write(packed.data(), packedSize);
}

bool kaTGAImage::WriteFile(FILE* file, bool) const
{
    if (!m_HasHeader || !file)
        return false;
    uint8_t header[kHeaderSize];
    _EncodeHeader(header, false);
    bool written = std::fwrite(header, 1, sizeof(header), file) == sizeof(header);
    if (const uint8_t* const pixels = GetPixels())
        written = written && std::fwrite(pixels, 1, GetPixelBytes(), file) == GetPixelBytes();

    uint8_t footer[kFooterSize] = {};
    std::memcpy(footer + 8, kFooterSignature, 16);
    footer[24] = '.';
    return written && std::fwrite(footer, 1, sizeof(footer), file) == sizeof(footer);
}

bool kaTGAImage::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, uint32_t alphaBits,
                        const uint8_t* pixels)
{
    _Clear();
    if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    if (width > 0xFFFF || height > 0xFFFF)
        return false;
    const uint64_t bytes = uint64_t(width) * height * (bitsPerPixel / 8);
    if (bytes > kMaxPixelBytes || (bytes > 0 && !pixels))
        return false;

    kaTGAHeader header;
    header.imageType = bitsPerPixel == 8 ? kTypeGrey : kTypeTrueColor;
    header.width = uint16_t(width);
    header.height = uint16_t(height);
    header.bitsPerPixel = uint8_t(bitsPerPixel);
    header.descriptor = uint8_t((alphaBits & kAlphaBitsMask) | kTopOrigin);
    _Adopt(header);
    if (bytes > 0)
        m_Pixels.assign(pixels, pixels + bytes);
    return true;
}

void kaTGAImage::_Adopt(const kaTGAHeader& header)
{
    m_Header = header;
    m_HasHeader = true;
    m_BitsPerPixel = header.bitsPerPixel;
    // 16-bit TGA pixels are A1R5G5B5; grey pixels carry one channel in all three colours.
    if (header.bitsPerPixel == 16)
        _SetMasks(0x7C00, 0x03E0, 0x001F, 0x8000);
    else if (header.bitsPerPixel == 8)
        _SetMasks(0xFF, 0xFF, 0xFF, 0);
    else
        _SetMasks(0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000);
}

bool kaTGAImage::_Read(kaByteSource& source, bool takeCompressed, platform::FileBytes* file)
{
    _Clear();
    uint8_t raw[kHeaderSize];
    if (!source.Read(raw, sizeof(raw)))
        return false;
    const kaTGAHeader header = DecodeHeader(raw);

    // One set of types whatever the bytes come from: a grey height map reads the same from a file as
    // from a stream. Grey pixels are one byte; the colour types carry 16, 24 or 32 bits.
    const uint8_t type = header.imageType;
    const uint8_t bits = header.bitsPerPixel;
    const bool colourBits = bits == 16 || bits == 24 || bits == 32;
    bool accepted = false;
    if (type == kTypeGrey)
        accepted = bits == 8;
    else if (type == kTypeTrueColor || type == kTypeTrueColorRle)
        accepted = colourBits;
    else if (type == kTypeCompressed)
        accepted = takeCompressed && (colourBits || bits == 8);
    if (header.colorMapType != 0 || !accepted)
        return false;
    if (PixelBytesOf(header) > kMaxPixelBytes)
        return false;
    const uint64_t skipped = header.idLength + (uint64_t(header.mapLength) * header.entrySize + 7) / 8;
    if (!source.Skip(skipped))
        return false;

    _Adopt(header);
    const uint64_t pixelBytes = PixelBytesOf(header);
    // Rows already top first lie in the file as they are held: shown where they are, not copied out.
    const bool inPlace = file && type != kTypeCompressed && type != kTypeTrueColorRle && pixelBytes > 0 &&
                         (header.descriptor & kTopOrigin) && file->Size() <= pixelBytes + kMaxHeldSlack;

    bool read = false;
    if (type == kTypeCompressed)
        read = _ReadCompressed(source);
    else if (type == kTypeTrueColorRle)
        read = _ReadRunLength(source, bits / 8);
    else if (inPlace)
    {
        read = source.Skip(pixelBytes);
        if (read)
            _HoldFilePixels(*file, kHeaderSize + size_t(skipped), size_t(pixelBytes));
    }
    else
        read = source.ReadInto(m_Pixels, pixelBytes);
    if (!read)
    {
        _Clear();
        return false;
    }
    if (type != kTypeCompressed && !(header.descriptor & kTopOrigin))
        FlipVertical();
    return true;
}

bool kaTGAImage::_ReadRunLength(kaByteSource& source, uint32_t bytesPerPixel)
{
    const uint64_t pixelCount = uint64_t(m_Header.width) * m_Header.height;
    // A packet of 1 + bytesPerPixel bytes stands for at most 128 pixels.
    const int64_t left = source.Remaining();
    if (left >= 0 && pixelCount > uint64_t(left) / (1 + bytesPerPixel) * 128)
        return false;

    // From a source that cannot tell its length the pixels grow as packets arrive, within the same
    // ratio of packets to pixels.
    const uint64_t total = pixelCount * bytesPerPixel;
    m_Pixels.resize(left >= 0 ? total : std::min<uint64_t>(total, 1u << 16));
    uint64_t done = 0;
    while (done < pixelCount)
    {
        uint8_t packet = 0;
        if (!source.Read(&packet, 1))
            return false;
        const uint32_t count = (packet & 0x7F) + 1u;
        if (count > pixelCount - done)
            return false;
        if ((done + count) * bytesPerPixel > m_Pixels.size())
            m_Pixels.resize(std::min<uint64_t>(total, m_Pixels.size() * 2));
        uint8_t* out = &m_Pixels[done * bytesPerPixel];
        if (packet & 0x80)
        {
            if (!source.Read(out, bytesPerPixel))
                return false;
            for (uint32_t i = 1; i < count; ++i)
                std::memcpy(out + i * bytesPerPixel, out, bytesPerPixel);
        }
        else if (!source.Read(out, size_t(count) * bytesPerPixel))
            return false;
        done += count;
    }
    return true;
}

bool kaTGAImage::_ReadCompressed(kaByteSource& source)
{
    uint32_t packedSize = 0;
    if (!source.ReadUInt32(packedSize))
        return false;
    const uint64_t pixelBytes = PixelBytesOf(m_Header);
    if (packedSize > compressBound(uLong(pixelBytes)) || pixelBytes > packedSize * kMaxInflateRatio + 64)
        return false;
    std::vector<uint8_t> packed;
    if (!source.ReadInto(packed, packedSize))
        return false;

    // The stream must inflate completely and to exactly the pixel block.
    m_Pixels.resize(pixelBytes);
    uint8_t scrap = 0;
    uLongf size = uLongf(pixelBytes);
    const int result =
        uncompress(pixelBytes ? m_Pixels.data() : &scrap, &size, packed.data(), uLong(packed.size()));
    return result == Z_OK && size == pixelBytes;
}

void kaTGAImage::_Clear()
{
    m_HasHeader = false;
    m_Header = kaTGAHeader();
    _DropHeldFile();
    m_Pixels.clear();
    m_Pixels.shrink_to_fit();
}

void kaTGAImage::_EncodeHeader(uint8_t out[kHeaderSize], bool compress) const
{
    const kaTGAHeader& header = m_Header;
    // The written pixels are always raw, top row first, with nothing between header and pixels.
    std::memset(out, 0, kHeaderSize);
    if (compress)
        out[2] = kTypeCompressed;
    else
        out[2] = header.bitsPerPixel == 8 ? kTypeGrey : kTypeTrueColor;
    WriteU16(out + 8, header.xOrigin);
    WriteU16(out + 10, header.yOrigin);
    WriteU16(out + 12, header.width);
    WriteU16(out + 14, header.height);
    out[16] = header.bitsPerPixel;
    out[17] = uint8_t(header.descriptor | kTopOrigin);
}
