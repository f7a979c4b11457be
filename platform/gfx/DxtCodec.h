#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform
{

// Block compression of the DXT1 to DXT5 formats: 4x4 texels a block, 8 bytes (DXT1) or 16 bytes with an
// alpha block first (DXT2/3 explicit 4-bit alpha, DXT4/5 interpolated alpha). Texels are A8R8G8B8 words.
class DxtCodec
{
public:
    static bool IsDxtFormat(uint32_t format);
    static uint32_t BlockBytes(uint32_t format);

    // The 16 texels of one block, row by row.
    static void DecodeBlock(uint32_t format, const uint8_t* block, uint32_t texels[16]);
    static void EncodeBlock(uint32_t format, const uint32_t texels[16], uint8_t* block);

    // A whole image of width x height texels from its blocks (ceil(w/4) x ceil(h/4), row by row). False
    // for a format that is not DXT or too few bytes.
    static bool DecodeImage(uint32_t format, const uint8_t* blocks, size_t size, uint32_t width,
                            uint32_t height, std::vector<uint32_t>& texels);
    // Texels past the image's edge repeat the last column and row.
    static std::vector<uint8_t> EncodeImage(uint32_t format, const std::vector<uint32_t>& texels,
                                            uint32_t width, uint32_t height);
};

} // namespace platform
