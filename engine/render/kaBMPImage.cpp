#include "engine/render/kaBMPImage.h"

#include "engine/core/kaFileSystem.h"
#include "engine/render/kaByteSource.h"
#include "platform/files/Files.h"
#include "platform/files/SafeFileWriter.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <istream>
#include <utility>

namespace
{

// Headers up to the largest (124 bytes), masks and a full 256-entry palette fit in this; anything
// further before the pixels is skipped unread.
constexpr size_t kMaxMetadataBytes = 2048;

uint16_t U16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

uint32_t U32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

uint64_t RowBytesOf(uint32_t width, uint32_t bitCount)
{
    return (uint64_t(width) * bitCount + 7) / 8;
}

} // namespace

kaBMPImage::~kaBMPImage() = default;

bool kaBMPImage::LoadFromStream(std::istream& stream)
{
    if (!stream.good())
    {
        _Clear();
        return false;
    }
    kaByteSource source(stream);
    return _Read(source, false);
}

bool kaBMPImage::LoadFromFile(FILE* file)
{
    if (!file)
    {
        _Clear();
        return false;
    }
    kaByteSource source(file);
    return _Read(source, false);
}

bool kaBMPImage::Load(const std::string& fileName)
{
    return Load(fileName, false);
}

bool kaBMPImage::Load(const std::string& fileName, bool bottomUpRows)
{
    m_Name = fileName;
    platform::FileBytes bytes;
    FILE* file = nullptr;
    if (!_ReadNamedFile(fileName, bytes, file))
    {
        _Clear();
        return false;
    }
    if (!file)
    {
        kaByteSource source(bytes.Data(), bytes.Size());
        return _Read(source, bottomUpRows);
    }
    kaByteSource source(file);
    const bool loaded = _Read(source, bottomUpRows);
    std::fclose(file);
    return loaded;
}

bool kaBMPImage::LoadFileBytes(std::string fileName, platform::FileBytes& bytes)
{
    m_Name = std::move(fileName);
    kaByteSource source(bytes.Data(), bytes.Size());
    return _Read(source, false);
}

bool kaBMPImage::Save(const std::string& fileName, bool) const
{
    const uint32_t bits = m_BitsPerPixel;
    if (fileName.empty() || (bits != 8 && bits != 24) || m_Pixels.empty())
        return false;
    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const uint32_t rowBytes = GetRowBytes();
    const uint32_t stride = (rowBytes + 3) & ~3u;
    const uint32_t paletteBytes = bits == 8 ? 256 * 4 : 0;
    const uint32_t offset = uint32_t(kFileHeaderSize + kInfoHeaderSize + paletteBytes);
    const uint32_t imageSize = stride * height;

    std::vector<uint8_t> out;
    out.reserve(offset + imageSize);
    PutU16(out, kMagic);
    PutU32(out, offset + imageSize);
    PutU32(out, 0);
    PutU32(out, offset);
    PutU32(out, kInfoHeaderSize);
    PutU32(out, width);
    PutU32(out, height);
    PutU16(out, 1);
    PutU16(out, uint16_t(bits));
    PutU32(out, kCompressionNone);
    PutU32(out, imageSize);
    PutU32(out, 2835); // 72 dots per inch
    PutU32(out, 2835);
    PutU32(out, bits == 8 ? 256 : 0);
    PutU32(out, 0);
    for (uint32_t i = 0; i < paletteBytes / 4; ++i)
    {
        const bool held = i < m_PaletteEntries;
        const uint8_t* entry = held ? &m_Palette[i * 4] : nullptr;
        out.push_back(held ? entry[2] : uint8_t(i));
        out.push_back(held ? entry[1] : uint8_t(i));
        out.push_back(held ? entry[0] : uint8_t(i));
        out.push_back(0);
    }
    for (uint32_t fileRow = 0; fileRow < height; ++fileRow)
    {
        const uint32_t row = m_BottomUpRows ? fileRow : height - 1 - fileRow;
        const uint8_t* source = &m_Pixels[size_t(row) * rowBytes];
        out.insert(out.end(), source, source + rowBytes);
        out.insert(out.end(), stride - rowBytes, 0);
    }

    platform::SafeFileWriter writer(fileName);
    return writer.Write(out.data(), out.size()) && writer.Commit();
}

uint32_t kaBMPImage::GetHeight() const
{
    const int64_t height = m_InfoHeader.height;
    return uint32_t(height < 0 ? -height : height);
}

uint32_t kaBMPImage::GetWidth() const
{
    return m_InfoHeader.width > 0 ? uint32_t(m_InfoHeader.width) : 0;
}

bool kaBMPImage::Create(uint32_t width, uint32_t height, uint32_t bitsPerPixel, const uint8_t* pixels)
{
    _Clear();
    if ((bitsPerPixel != 8 && bitsPerPixel != 24) || width > INT32_MAX || height > INT32_MAX)
        return false;
    const uint64_t bytes = RowBytesOf(width, bitsPerPixel) * height;
    if (bytes > kMaxPixelBytes || (bytes > 0 && !pixels))
        return false;
    m_InfoHeader.size = kInfoHeaderSize;
    m_InfoHeader.width = int32_t(width);
    m_InfoHeader.height = int32_t(height);
    m_InfoHeader.planes = 1;
    m_InfoHeader.bitCount = uint16_t(bitsPerPixel);
    m_BitsPerPixel = bitsPerPixel;
    _SetMasks(0x00FF0000, 0x0000FF00, 0x000000FF, 0);
    if (bytes > 0)
        m_Pixels.assign(pixels, pixels + bytes);
    return true;
}

bool kaBMPImage::_Read(kaByteSource& source, bool bottomUpRows)
{
    _Clear();
    uint8_t fileHeader[kFileHeaderSize];
    if (!source.Read(fileHeader, sizeof(fileHeader)) || U16(fileHeader) != kMagic)
        return false;
    const uint32_t pixelOffset = U32(fileHeader + 10);
    if (pixelOffset < kFileHeaderSize + kInfoHeaderSize)
        return false;

    // Everything between the file header and the pixels: information header, masks, palette.
    const uint64_t gap = pixelOffset - kFileHeaderSize;
    if (!source.HasAtLeast(gap))
        return false;
    std::vector<uint8_t> meta(gap < kMaxMetadataBytes ? size_t(gap) : kMaxMetadataBytes);
    if (!source.Read(meta.data(), meta.size()) || !source.Skip(gap - meta.size()))
        return false;
    if (!_ReadMetadata(meta))
        return false;

    const uint32_t width = GetWidth();
    const uint32_t height = GetHeight();
    const uint32_t bits = m_InfoHeader.bitCount;
    const uint64_t rowBytes = RowBytesOf(width, bits);
    const uint64_t stride = (rowBytes + 3) & ~uint64_t(3);
    if (rowBytes * height > kMaxPixelBytes)
        return false;
    // The last row may come without its padding.
    if (height > 0 && !source.HasAtLeast((height - 1) * stride + rowBytes))
        return false;

    // Rows are appended as they arrive: a source that cannot tell its length (a pipe) never gets the
    // header's size allocated up front.
    if (source.Remaining() >= 0)
        m_Pixels.reserve(size_t(rowBytes * height));
    for (uint32_t fileRow = 0; fileRow < height; ++fileRow)
    {
        const size_t at = m_Pixels.size();
        m_Pixels.resize(at + size_t(rowBytes));
        if (!source.Read(m_Pixels.data() + at, size_t(rowBytes)) ||
            (fileRow + 1 < height && !source.Skip(stride - rowBytes)))
        {
            _Clear();
            return false;
        }
    }
    if ((m_InfoHeader.height > 0) != bottomUpRows)
    {
        for (uint32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(m_Pixels.begin() + ptrdiff_t(top * rowBytes),
                             m_Pixels.begin() + ptrdiff_t((top + 1) * rowBytes),
                             m_Pixels.begin() + ptrdiff_t(bottom * rowBytes));
    }
    m_BitsPerPixel = bits;
    m_BottomUpRows = bottomUpRows;
    return true;
}

bool kaBMPImage::_ReadMetadata(const std::vector<uint8_t>& meta)
{
    kaBMPInfoHeader& info = m_InfoHeader;
    info.size = U32(&meta[0]);
    if (info.size < kInfoHeaderSize || info.size > meta.size())
        return false;
    info.width = int32_t(U32(&meta[4]));
    info.height = int32_t(U32(&meta[8]));
    info.planes = U16(&meta[12]);
    info.bitCount = U16(&meta[14]);
    info.compression = U32(&meta[16]);
    info.imageSize = U32(&meta[20]);
    info.xPelsPerMeter = int32_t(U32(&meta[24]));
    info.yPelsPerMeter = int32_t(U32(&meta[28]));
    info.colorsUsed = U32(&meta[32]);
    info.colorsImportant = U32(&meta[36]);

    const uint32_t bits = info.bitCount;
    // A row of no bytes would let a huge height spin without reading anything.
    if (info.width <= 0 || info.height == INT32_MIN)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    const bool masked =
        info.compression == kCompressionBitFields || info.compression == kCompressionAlphaBitFields;
    if (info.compression != kCompressionNone && !(masked && (bits == 16 || bits == 32)))
        return false;

    // Masks follow a 40-byte header, and sit inside the larger headers.
    size_t tableStart = info.size;
    if (bits == 16 || bits == 32)
    {
        if (masked)
        {
            const size_t maskCount =
                info.compression == kCompressionAlphaBitFields || info.size >= 56 ? 4 : 3;
            const size_t at = info.size == kInfoHeaderSize ? info.size : kInfoHeaderSize;
            if (at + maskCount * 4 > meta.size())
                return false;
            _SetMasks(U32(&meta[at]), U32(&meta[at + 4]), U32(&meta[at + 8]),
                      maskCount == 4 ? U32(&meta[at + 12]) : 0);
            if (info.size == kInfoHeaderSize)
                tableStart += maskCount * 4;
            if (!m_RedMask && !m_GreenMask && !m_BlueMask)
                return false;
        }
        else if (bits == 16)
            _SetMasks(0x7C00, 0x03E0, 0x001F, 0);
        else
            _SetMasks(0x00FF0000, 0x0000FF00, 0x000000FF, 0);
        info.compression = kCompressionBitFields;
    }
    else if (bits == 24 || (bits == 8 && info.planes == 1))
        _SetMasks(0x00FF0000, 0x0000FF00, 0x000000FF, 0);

    if (bits == 1 || bits == 4 || (bits == 8 && info.planes != 1))
    {
        const uint32_t entries = 1u << bits;
        if (info.colorsUsed > entries)
            return false;
        const uint32_t stored = info.colorsUsed ? info.colorsUsed : entries;
        if (tableStart + uint64_t(stored) * 4 > meta.size())
            return false;
        m_Palette.assign(size_t(entries) * 4, 0);
        for (uint32_t i = 0; i < stored; ++i)
        {
            const uint8_t* entry = &meta[tableStart + i * 4];
            m_Palette[i * 4 + 0] = entry[2];
            m_Palette[i * 4 + 1] = entry[1];
            m_Palette[i * 4 + 2] = entry[0];
        }
        m_PaletteEntries = entries;
    }
    return true;
}

void kaBMPImage::_Clear()
{
    m_InfoHeader = kaBMPInfoHeader();
    m_Palette.clear();
    m_PaletteEntries = 0;
    _DropHeldFile();
    m_Pixels.clear();
    m_Pixels.shrink_to_fit();
    m_BitsPerPixel = 0;
    m_BottomUpRows = false;
    _SetMasks(0, 0, 0, 0);
}
