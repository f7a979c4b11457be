#pragma once

// Builders of small TGA and BMP files, byte by byte, for the image reader tests.

#include "platform/files/FileBytes.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace imagebytes
{

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& out, uint32_t value)
{
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

inline void PutU32(Bytes& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

// A pipe holding the bytes (at most a pipe buffer's worth), its writing end closed: a source that
// cannot tell its length.
inline FILE* PipeOf(const Bytes& bytes)
{
    int ends[2];
    if (pipe(ends) != 0)
        return nullptr;
    const bool written = write(ends[1], bytes.data(), bytes.size()) == ssize_t(bytes.size());
    close(ends[1]);
    FILE* file = written ? fdopen(ends[0], "rb") : nullptr;
    if (!file)
        close(ends[0]);
    return file;
}

inline std::string AsString(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The bytes as a file read whole would hand them to an image.
inline platform::FileBytes AsFileBytes(const Bytes& bytes)
{
    platform::FileBytes fileBytes;
    if (uint8_t* room = fileBytes.MakeRoom(bytes.size()))
        std::copy(bytes.begin(), bytes.end(), room);
    fileBytes.SetSize(bytes.size());
    return fileBytes;
}

struct TgaHeader
{
    uint8_t idLength = 0;
    uint8_t colorMapType = 0;
    uint8_t imageType = 2;
    uint16_t mapLength = 0;
    uint8_t entrySize = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    uint8_t bitsPerPixel = 32;
    uint8_t descriptor = 0;
};

inline Bytes TgaHeaderBytes(const TgaHeader& h)
{
    Bytes out;
    out.push_back(h.idLength);
    out.push_back(h.colorMapType);
    out.push_back(h.imageType);
    PutU16(out, 0);
    PutU16(out, h.mapLength);
    out.push_back(h.entrySize);
    PutU16(out, 0);
    PutU16(out, 0);
    PutU16(out, h.width);
    PutU16(out, h.height);
    out.push_back(h.bitsPerPixel);
    out.push_back(h.descriptor);
    return out;
}

// An uncompressed TGA of the given top-first pixels, stored bottom-up unless the descriptor says top.
inline Bytes RawTga(TgaHeader h, const Bytes& topFirstPixels)
{
    Bytes out = TgaHeaderBytes(h);
    out.insert(out.end(), h.idLength + (h.mapLength * h.entrySize + 7) / 8, 0xAB);
    const size_t rowBytes = size_t(h.width) * (h.bitsPerPixel / 8);
    for (size_t i = 0; i < h.height; ++i)
    {
        const size_t row = (h.descriptor & 0x20) ? i : h.height - 1 - i;
        out.insert(out.end(), topFirstPixels.begin() + row * rowBytes,
                   topFirstPixels.begin() + (row + 1) * rowBytes);
    }
    return out;
}

struct Bmp
{
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0; // negative: rows stored top-down
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t colorsUsed = 0;
    std::vector<uint32_t> masks;     // written after a 40-byte header, or inside a larger one
    std::vector<uint32_t> palette;   // 0x00RRGGBB, written as B, G, R, 0
    std::vector<Bytes> topFirstRows; // unpadded rows
    bool padLastRow = true;
};

inline Bytes BmpBytes(const Bmp& b)
{
    Bytes info;
    PutU32(info, b.headerSize);
    PutU32(info, uint32_t(b.width));
    PutU32(info, uint32_t(b.height));
    PutU16(info, b.planes);
    PutU16(info, b.bitCount);
    PutU32(info, b.compression);
    PutU32(info, 0);
    PutU32(info, 2835);
    PutU32(info, 2835);
    PutU32(info, b.colorsUsed);
    PutU32(info, 0);
    if (b.headerSize > 40)
    {
        for (uint32_t mask : b.masks)
            PutU32(info, mask);
        info.resize(b.headerSize, 0);
    }
    else
        for (uint32_t mask : b.masks)
            PutU32(info, mask);
    for (uint32_t colour : b.palette)
    {
        info.push_back(uint8_t(colour));
        info.push_back(uint8_t(colour >> 8));
        info.push_back(uint8_t(colour >> 16));
        info.push_back(0);
    }

    Bytes pixels;
    const size_t rows = b.topFirstRows.size();
    for (size_t i = 0; i < rows; ++i)
    {
        const Bytes& row = b.topFirstRows[b.height < 0 ? i : rows - 1 - i];
        pixels.insert(pixels.end(), row.begin(), row.end());
        if (i + 1 < rows || b.padLastRow)
            pixels.insert(pixels.end(), (4 - row.size() % 4) % 4, 0xEE);
    }

    Bytes out;
    PutU16(out, 0x4D42);
    PutU32(out, uint32_t(14 + info.size() + pixels.size()));
    PutU32(out, 0);
    PutU32(out, uint32_t(14 + info.size()));
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

} // namespace imagebytes
