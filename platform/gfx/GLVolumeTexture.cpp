#include "platform/gfx/GLVolumeTexture.h"

#include "platform/gfx/GLDevice.h"

namespace platform
{

GLVolumeTexture::GLVolumeTexture(GLDevice* device, uint32_t width, uint32_t height, uint32_t depth,
                                 uint32_t levels, uint32_t usage, uint32_t format, uint32_t pool)
    : MemoryVolumeTexture(device, width, height, depth, levels, usage, format, pool),
      m_GL(device, GL_TEXTURE_3D, Storage())
{
}

} // namespace platform
