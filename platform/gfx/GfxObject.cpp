#include "platform/gfx/GfxObject.h"

namespace platform
{

uint32_t GfxObject::Release()
{
    // A release past zero is a caller's bug; it must not destroy the object twice.
    if (m_RefCount == 0)
        return 0;
    const uint32_t left = --m_RefCount;
    if (left == 0)
        delete this;
    return left;
}

} // namespace platform
