#pragma once

#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/DeviceState.h"
#include "platform/gfx/GfxStateBlock.h"

namespace platform
{

class StateDevice;

// The values of the states named by its mask; Apply sets each through the device's own setters.
class MemoryStateBlock : public GfxStateBlock
{
public:
    MemoryStateBlock(StateDevice* device, const StateMask& mask, const DeviceState& values);
    ~MemoryStateBlock() override;

    GfxResult Capture() override;
    GfxResult Apply() override;

    StateMask& Mask() { return m_Mask; }
    DeviceState& Values() { return m_Values; }
    // Drops a destroyed object from the recorded bindings.
    void Forget(const GfxObject* object);

private:
    DeviceChild m_Link;
    StateMask m_Mask;
    DeviceState m_Values;
};

} // namespace platform
