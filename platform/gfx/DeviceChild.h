#pragma once

#include <cstddef>
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
    // Where the device keeps this child in its list, so that leaving it takes no search.
    size_t Place() const { return m_Place; }
    void SetPlace(size_t place) { m_Place = place; }

private:
    StateDevice* m_Device;
    size_t m_Place = 0;
    GfxObject* m_Owner;
    uint32_t m_Pool;
};

} // namespace platform
