#pragma once

#include <cstdint>

namespace platform
{

class GfxObject;
class StateDevice;

// Ties a resource or state block to the device that made it: the device counts it for the Reset rule,
// unbinds it when it dies, and cuts the tie when the device itself goes first.
class DeviceChild
{
public:
    DeviceChild(StateDevice* device, GfxObject* owner, uint32_t pool);
    ~DeviceChild();
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    StateDevice* Device() const { return m_Device; }
    GfxObject* Owner() const { return m_Owner; }
    uint32_t Pool() const { return m_Pool; }
    void Orphan() { m_Device = nullptr; }

private:
    StateDevice* m_Device;
    GfxObject* m_Owner;
    uint32_t m_Pool;
};

} // namespace platform
