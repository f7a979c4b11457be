#pragma once

#include "platform/gfx/GfxObject.h"
#include "platform/gfx/GfxTypes.h"

namespace platform
{

// A recorded set of device states that can be put back on the device in one call.
class GfxStateBlock : public GfxObject
{
public:
    // Re-reads the device's current values of the states the block holds.
    virtual GfxResult Capture() = 0;
    virtual GfxResult Apply() = 0;
};

} // namespace platform
