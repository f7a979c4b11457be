#include "platform/gfx/GfxFormatInfo.h"

#include "platform/gfx/GfxTypes.h"

namespace platform
{

uint32_t GfxFormatInfo::BitsPerPixel(uint32_t format)
{
    switch (format)
    {
    case FMT_R8G8B8:
        return 24;
    case FMT_A8R8G8B8:
    case FMT_X8R8G8B8:
    case FMT_A2B10G10R10:
    case FMT_A8B8G8R8:
    case FMT_X8B8G8R8:
    case FMT_G16R16:
    case FMT_A2R10G10B10:
    case FMT_D32:
    case FMT_D24S8:
    case FMT_D24X8:
    case FMT_D24X4S4:
        return 32;
    case FMT_R5G6B5:
    case FMT_X1R5G5B5:
    case FMT_A1R5G5B5:
    case FMT_A4R4G4B4:
    case FMT_A8R3G3B2:
    case FMT_X4R4G4B4:
    case FMT_A8L8:
    case FMT_D16_LOCKABLE:
    case FMT_D15S1:
    case FMT_D16:
        return 16;
    case FMT_R3G3B2:
    case FMT_A8:
    case FMT_L8:
        return 8;
    case FMT_A16B16G16R16:
        return 64;
    case FMT_DXT1:
        return 4;
    case FMT_DXT2:
    case FMT_DXT3:
    case FMT_DXT4:
    case FMT_DXT5:
        return 8;
    default:
        return 0;
    }
}

bool GfxFormatInfo::IsBlockCompressed(uint32_t format)
{
    return format == FMT_DXT1 || format == FMT_DXT2 || format == FMT_DXT3 || format == FMT_DXT4 ||
           format == FMT_DXT5;
}

bool GfxFormatInfo::IsDepthFormat(uint32_t format)
{
    return format == FMT_D16_LOCKABLE || format == FMT_D32 || format == FMT_D15S1 || format == FMT_D24S8 ||
           format == FMT_D24X8 || format == FMT_D24X4S4 || format == FMT_D16;
}

uint32_t GfxFormatInfo::RowPitch(uint32_t format, uint32_t width)
{
    if (IsBlockCompressed(format))
        return ((width + 3) / 4) * (format == FMT_DXT1 ? 8 : 16);
    return width * (BitsPerPixel(format) / 8);
}

uint32_t GfxFormatInfo::StorageRows(uint32_t format, uint32_t height)
{
    return IsBlockCompressed(format) ? (height + 3) / 4 : height;
}

uint32_t GfxFormatInfo::FullChainLevels(uint32_t width, uint32_t height, uint32_t depth)
{
    uint32_t largest = width > height ? width : height;
    largest = largest > depth ? largest : depth;
    uint32_t levels = 1;
    while (largest > 1)
    {
        largest >>= 1;
        ++levels;
    }
    return levels;
}

uint32_t GfxFormatInfo::FvfStride(uint32_t fvf)
{
    uint32_t stride = 0;
    switch (fvf & FVF_POSITION_MASK)
    {
    case FVF_XYZ:
        stride = 12;
        break;
    case FVF_XYZRHW:
        stride = 16;
        break;
    default:
        return 0;
    }
    if (fvf & FVF_NORMAL)
        stride += 12;
    if (fvf & FVF_PSIZE)
        stride += 4;
    if (fvf & FVF_DIFFUSE)
        stride += 4;
    if (fvf & FVF_SPECULAR)
        stride += 4;
    const uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    if (sets > 8)
        return 0;
    for (uint32_t set = 0; set < sets; ++set)
        stride += TexCoordFloats(fvf, set) * 4;
    return stride;
}

uint32_t GfxFormatInfo::TexCoordFloats(uint32_t fvf, uint32_t set)
{
    static constexpr uint32_t kFloats[4] = {2, 3, 4, 1};
    return kFloats[(fvf >> (16 + set * 2)) & 3];
}

uint64_t GfxFormatInfo::VertexCount(uint32_t primitiveType, uint32_t primitiveCount)
{
    const uint64_t n = primitiveCount;
    if (primitiveCount == 0)
        return 0;
    switch (primitiveType)
    {
    case PT_POINTLIST:
        return n;
    case PT_LINELIST:
        return n * 2;
    case PT_LINESTRIP:
        return n + 1;
    case PT_TRIANGLELIST:
        return n * 3;
    case PT_TRIANGLESTRIP:
    case PT_TRIANGLEFAN:
        return n + 2;
    default:
        return 0;
    }
}

} // namespace platform
