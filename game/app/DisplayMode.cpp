#include "game/app/DisplayMode.h"

#include "platform/gfx/GfxFormatInfo.h"
#include "platform/gfx/GfxTypes.h"

DisplayMode DisplayMode::FromD3D(const platform::DisplayMode& mode)
{
    DisplayMode result;
    result.height = static_cast<int32_t>(mode.Height);
    result.width = static_cast<int32_t>(mode.Width);
    result.bitsPerPixel = static_cast<int32_t>(platform::GfxFormatInfo::BitsPerPixel(mode.Format));
    return result;
}
