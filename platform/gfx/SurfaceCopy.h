#pragma once

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{

class GfxSurface;
class GfxVolume;

// Whole-level copies between surfaces or volumes of equal size, converting between formats on the way:
// any uncompressed format with a texel layout and DXT1 to DXT5. No filtering.
class SurfaceCopy
{
public:
    // GFXERR_INVALIDCALL for sizes that differ or a format pair it cannot convert.
    static GfxResult CopySurface(GfxSurface* destination, GfxSurface* source);
    static GfxResult CopyVolume(GfxVolume* destination, GfxVolume* source);

    // One slice of width x height texels; pitches are bytes of a row of texels (or of 4x4 blocks).
    static bool ConvertRows(uint32_t sourceFormat, const uint8_t* source, uint32_t sourcePitch,
                            uint32_t destinationFormat, uint8_t* destination, uint32_t destinationPitch,
                            uint32_t width, uint32_t height);
    // True when ConvertRows handles the pair.
    static bool CanConvert(uint32_t sourceFormat, uint32_t destinationFormat);
};

} // namespace platform
