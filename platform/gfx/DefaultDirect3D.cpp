#include "platform/gfx/GfxDirect3D.h"

namespace platform
{

// No drawing back end is linked yet: the factory reports that no device can start.
GfxDirect3D* CreateDefaultDirect3D()
{
    return nullptr;
}

} // namespace platform
