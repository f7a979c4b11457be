#include "platform/gfx/DeviceChild.h"

#include "platform/gfx/StateDevice.h"

namespace platform
{

DeviceChild::DeviceChild(StateDevice* device, GfxObject* owner, uint32_t pool)
    : m_Device(device), m_Owner(owner), m_Pool(pool)
{
    if (m_Device)
        m_Device->AttachChild(this);
}

DeviceChild::~DeviceChild()
{
    if (m_Device)
        m_Device->DetachChild(this);
}

} // namespace platform
