#pragma once

#include <cstdint>
#include <functional>

namespace platform
{

class GfxDirect3D;

// Makes the entry object of the installed back end (OpenGL unless a test installed another);
// null when the SDK version is not the one this interface implements or no back end can start.
GfxDirect3D* CreateDirect3D(uint32_t sdkVersion);

using Direct3DFactory = std::function<GfxDirect3D*()>;
// Installs a factory and returns the one it replaces; an empty factory restores the default.
Direct3DFactory SetDirect3DFactory(Direct3DFactory factory);

} // namespace platform
