#pragma once

#include <cstdint>

namespace platform
{

// Storage facts of surface formats and vertex formats.
class GfxFormatInfo
{
public:
    // Bits of one pixel; for block-compressed formats the bits per texel (4 or 8). 0 for unknown formats.
    static uint32_t BitsPerPixel(uint32_t format);
    static bool IsBlockCompressed(uint32_t format);
    static bool IsDepthFormat(uint32_t format);
    // Bytes of one row of pixels (or of 4x4 blocks) of the given width.
    static uint32_t RowPitch(uint32_t format, uint32_t width);
    // Rows of storage for the given height: the height, or the number of block rows.
    static uint32_t StorageRows(uint32_t format, uint32_t height);
    // Levels of a full chain down to 1x1x1.
    static uint32_t FullChainLevels(uint32_t width, uint32_t height, uint32_t depth);
    // Bytes of one vertex of the flexible vertex format; 0 when the format has no position.
    static uint32_t FvfStride(uint32_t fvf);
    // Floats of a texture-coordinate set (2 unless the format's size bits say 1, 3 or 4).
    static uint32_t TexCoordFloats(uint32_t fvf, uint32_t set);
    // Vertices a draw of the primitive type and count reads; 0 for an unknown type.
    static uint64_t VertexCount(uint32_t primitiveType, uint32_t primitiveCount);
};

} // namespace platform
