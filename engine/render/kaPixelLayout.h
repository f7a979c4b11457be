#pragma once

#include <cstdint>

// How the bits of one pixel of a device format divide into channels; the link between device formats
// and pixel conversion.
struct kaPixelLayout
{
    uint32_t bitsPerPixel = 0;
    uint32_t redMask = 0;
    uint32_t greenMask = 0;
    uint32_t blueMask = 0;
    uint32_t alphaMask = 0;
    uint32_t alphaBits = 0;
    uint32_t reserved = 0;
};

// Clears the layout and fills it for the formats the engine converts; other formats leave it all 0.
void GetPixelFormatInfo(uint32_t format, kaPixelLayout& layout);
