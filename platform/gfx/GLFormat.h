#pragma once

#include "platform/gfx/GLHeaders.h"

#include <cstdint>

namespace platform
{

// How a device format is handed to OpenGL: memory layouts match byte for byte, so no conversion is needed.
struct GLFormat
{
    GLenum InternalFormat = 0;
    GLenum Format = 0;
    GLenum Type = 0;
    bool Compressed = false;

    // False for formats the back end cannot sample.
    static bool For(uint32_t format, GLFormat* out);
};

} // namespace platform
