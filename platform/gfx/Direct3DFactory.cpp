#include "platform/gfx/Direct3DFactory.h"

#include "platform/gfx/GfxTypes.h"

namespace platform
{

GfxDirect3D* CreateDefaultDirect3D();

namespace
{

Direct3DFactory& InstalledFactory()
{
    static Direct3DFactory factory;
    return factory;
}

} // namespace

GfxDirect3D* CreateDirect3D(uint32_t sdkVersion)
{
    if (sdkVersion != GFX_SDK_VERSION)
        return nullptr;
    if (InstalledFactory())
        return InstalledFactory()();
    return CreateDefaultDirect3D();
}

Direct3DFactory SetDirect3DFactory(Direct3DFactory factory)
{
    Direct3DFactory previous = std::move(InstalledFactory());
    InstalledFactory() = std::move(factory);
    return previous;
}

} // namespace platform
