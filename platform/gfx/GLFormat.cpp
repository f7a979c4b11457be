#include "platform/gfx/GLFormat.h"

#include "platform/gfx/GfxTypes.h"

namespace platform
{

bool GLFormat::For(uint32_t format, GLFormat* out)
{
    switch (format)
    {
    case FMT_A8R8G8B8:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_X8R8G8B8:
        *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_R8G8B8:
        *out = {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_R5G6B5:
        *out = {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, false};
        return true;
    case FMT_X1R5G5B5:
        *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false};
        return true;
    case FMT_A1R5G5B5:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV, false};
        return true;
    case FMT_A4R4G4B4:
        *out = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false};
        return true;
    case FMT_X4R4G4B4:
        *out = {GL_RGB8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV, false};
        return true;
    case FMT_A8:
        *out = {GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_L8:
        *out = {GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_A8L8:
        *out = {GL_LUMINANCE8_ALPHA8, GL_LUMINANCE_ALPHA, GL_UNSIGNED_BYTE, false};
        return true;
    case FMT_DXT1:
        *out = {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0, true};
        return true;
    case FMT_DXT2:
    case FMT_DXT3:
        *out = {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0, true};
        return true;
    case FMT_DXT4:
    case FMT_DXT5:
        *out = {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0, true};
        return true;
    default:
        return false;
    }
}

} // namespace platform
