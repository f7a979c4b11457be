#include "platform/gfx/GLCubeTexture.h"

#include "platform/gfx/GLDevice.h"

namespace platform
{

GLCubeTexture::GLCubeTexture(GLDevice* device, uint32_t edge, uint32_t levels, uint32_t usage,
                             uint32_t format, uint32_t pool)
    : MemoryCubeTexture(device, edge, levels, usage, format, pool),
      m_GL(device, GL_TEXTURE_CUBE_MAP, Storage())
{
}

} // namespace platform
