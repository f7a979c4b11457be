#include "engine/core/DirectInputManager.h"

#include "engine/core/DirectInputDevice.h"

DirectInputManager::DirectInputManager() = default;

DirectInputManager::~DirectInputManager()
{
    // Devices go before the input system that made them.
    m_Devices.clear();
}

bool DirectInputManager::Init()
{
    if (platform::Failed(platform::DirectInput8Create(m_DirectInput)) || !m_DirectInput)
    {
        m_DirectInput.reset();
        return true;
    }
    m_DirectInput->EnumDevices(
        platform::kDi8DevClassAll,
        [this](const platform::DeviceInstance& instance)
        {
            if (HasDevice(instance.instanceGuid))
                return true;
            auto device = std::make_unique<DirectInputDevice>();
            if (device->AddDevice(m_DirectInput.get(), instance))
                m_Devices.push_back(std::move(device));
            return true;
        },
        platform::kDiEdflAttachedOnly);
    return true;
}

void DirectInputManager::SetCooperativeWindow(platform::WindowHandle window)
{
    for (const std::unique_ptr<InputDevice>& device : m_Devices)
    {
        if (auto* direct = dynamic_cast<DirectInputDevice*>(device.get()))
            direct->SetCooperativeLevel(window);
        device->Poll();
    }
}

bool DirectInputManager::HasDevice(const platform::Guid& instanceGuid) const
{
    for (const std::unique_ptr<InputDevice>& device : m_Devices)
    {
        const auto* direct = dynamic_cast<const DirectInputDevice*>(device.get());
        if (direct != nullptr && direct->GetInstanceGuid() == instanceGuid)
            return true;
    }
    return false;
}
