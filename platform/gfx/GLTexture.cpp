#include "platform/gfx/GLTexture.h"

#include "platform/gfx/GLDevice.h"

namespace platform
{

GLTexture::GLTexture(GLDevice* device, uint32_t width, uint32_t height, uint32_t levels, uint32_t usage,
                     uint32_t format, uint32_t pool)
    : MemoryTexture(device, width, height, levels, usage, format, pool),
      m_GL(device, GL_TEXTURE_2D, Storage())
{
}

} // namespace platform
