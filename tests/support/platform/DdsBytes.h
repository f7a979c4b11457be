#pragma once

// Builder of small DDS files for the reader tests.

#include <cstdint>
#include <vector>

namespace ddsbytes
{

struct Dds
{
    uint32_t width = 4;
    uint32_t height = 4;
    uint32_t depth = 0;
    uint32_t mipCount = 0;      // 0: no mip count flag
    uint32_t pixelFlags = 0x41; // RGB with alpha
    uint32_t fourCC = 0;
    uint32_t bitCount = 32;
    uint32_t masks[4] = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    uint32_t caps2 = 0;
    uint32_t headerSize = 124;
    std::vector<uint8_t> data;
};

inline void Put(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(uint8_t(value >> shift));
}

inline std::vector<uint8_t> DdsFileBytes(const Dds& d)
{
    std::vector<uint8_t> out;
    Put(out, 0x20534444);
    Put(out, d.headerSize);
    uint32_t flags = 0x1 | 0x2 | 0x4 | 0x1000;
    if (d.mipCount)
        flags |= 0x20000;
    if (d.depth)
        flags |= 0x800000;
    Put(out, flags);
    Put(out, d.height);
    Put(out, d.width);
    Put(out, 0);
    Put(out, d.depth);
    Put(out, d.mipCount);
    for (int i = 0; i < 11; ++i)
        Put(out, 0);
    Put(out, 32);
    Put(out, d.fourCC ? 0x4 : d.pixelFlags);
    Put(out, d.fourCC);
    Put(out, d.fourCC ? 0 : d.bitCount);
    for (uint32_t mask : d.masks)
        Put(out, d.fourCC ? 0 : mask);
    Put(out, 0x1000 | (d.mipCount ? 0x400008 : 0));
    Put(out, d.caps2);
    Put(out, 0);
    Put(out, 0);
    Put(out, 0);
    out.insert(out.end(), d.data.begin(), d.data.end());
    return out;
}

inline void PutTexel(std::vector<uint8_t>& out, uint32_t argb, int count = 1)
{
    for (int i = 0; i < count; ++i)
        Put(out, argb);
}

} // namespace ddsbytes
