#include "engine/render/kaPixelLayout.h"

#include "platform/gfx/GfxTypes.h"

using namespace platform;

void GetPixelFormatInfo(uint32_t format, kaPixelLayout& layout)
{
    layout = kaPixelLayout();
    switch (format)
    {
    case FMT_R8G8B8:
        layout = {24, 0xFF0000, 0xFF00, 0xFF, 0, 0, 0};
        break;
    case FMT_A8R8G8B8:
    case FMT_DXT2:
    case FMT_DXT3:
    case FMT_DXT4:
    case FMT_DXT5:
        layout = {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 8, 0};
        break;
    case FMT_X8R8G8B8:
        layout = {32, 0xFF0000, 0xFF00, 0xFF, 0xFF000000, 0, 0};
        break;
    case FMT_R5G6B5:
        layout = {16, 0xF800, 0x7E0, 0x1F, 0, 0, 0};
        break;
    case FMT_X1R5G5B5:
        layout = {16, 0x7C00, 0x3E0, 0x1F, 0, 0, 0};
        break;
    case FMT_A1R5G5B5:
    case FMT_DXT1:
        layout = {16, 0x7C00, 0x3E0, 0x1F, 0x8000, 1, 0};
        break;
    case FMT_A4R4G4B4:
        layout = {16, 0xF00, 0xF0, 0xF, 0xF000, 4, 0};
        break;
    // Eight-bit pictures are made into alpha-only textures; their pixels need a layout to be copied in.
    case FMT_A8:
        layout = {8, 0, 0, 0, 0xFF, 8, 0};
        break;
    default:
        break;
    }
}
