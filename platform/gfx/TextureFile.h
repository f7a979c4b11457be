#pragma once

#include "platform/gfx/GfxTypes.h"

#include <string>

namespace platform
{

class DdsFile;
class GfxCubeTexture;
class GfxDevice;
class GfxTexture;
class GfxVolumeTexture;

// Device textures made from DDS files: every level the file has, the rest of the chain down to 1x1 built
// by a box filter, in the managed pool. A format the device does not take is converted to A8R8G8B8.
// Failures leave the out pointer null and write the reason on the debugger output.
class TextureFile
{
public:
    static GfxResult CreateTexture(GfxDevice* device, const std::string& path, GfxTexture** texture);
    static GfxResult CreateCubeTexture(GfxDevice* device, const std::string& path, GfxCubeTexture** texture);
    static GfxResult CreateVolumeTexture(GfxDevice* device, const std::string& path,
                                         GfxVolumeTexture** texture);

    // The same from a file already read.
    static GfxResult CreateTexture(GfxDevice* device, const DdsFile& file, GfxTexture** texture);
    static GfxResult CreateCubeTexture(GfxDevice* device, const DdsFile& file, GfxCubeTexture** texture);
    static GfxResult CreateVolumeTexture(GfxDevice* device, const DdsFile& file, GfxVolumeTexture** texture);
};

} // namespace platform
