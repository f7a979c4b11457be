#include "platform/input/SdlDirectInput.h"

#include "platform/input/SdlInputEvents.h"
#include "platform/input/SdlJoystickDevice.h"
#include "platform/input/SdlKeyboardDevice.h"
#include "platform/input/SdlMouseDevice.h"

#include <SDL.h>
#include <vector>

namespace platform
{

std::unique_ptr<DirectInput8> SdlDirectInput::Create()
{
    std::shared_ptr<SdlInputEvents> events = SdlInputEvents::Start();
    if (!events)
        return nullptr;
    return std::unique_ptr<DirectInput8>(new SdlDirectInput(std::move(events)));
}

SdlDirectInput::SdlDirectInput(std::shared_ptr<SdlInputEvents> events) : m_Events(std::move(events)) {}

HResult SdlDirectInput::EnumDevices(uint32_t devClass, const EnumDevicesCallback& callback, uint32_t)
{
    if (!callback)
        return kDiErrInvalidParam;
    std::vector<DeviceInstance> instances = {SdlMouseDevice::Instance(), SdlKeyboardDevice::Instance()};
    if (m_Events->HasJoysticks())
    {
        const int count = SDL_NumJoysticks();
        for (int i = 0; i < count; ++i)
        {
            DeviceInstance instance;
            if (SdlJoystickDevice::Describe(i, instance))
                instances.push_back(instance);
        }
    }
    for (const DeviceInstance& instance : instances)
    {
        if (!DeviceMatchesClass(instance.devType, devClass))
            continue;
        if (!callback(instance))
            break;
    }
    return kDiOk;
}

HResult SdlDirectInput::CreateDevice(const Guid& instanceGuid, std::unique_ptr<DirectInputDevice8>& device)
{
    device.reset();
    if (instanceGuid == SdlMouseDevice::kInstanceGuid)
        device = std::make_unique<SdlMouseDevice>(m_Events);
    else if (instanceGuid == SdlKeyboardDevice::kInstanceGuid)
        device = std::make_unique<SdlKeyboardDevice>(m_Events);
    else if (m_Events->HasJoysticks())
    {
        const int32_t id = SdlJoystickDevice::InstanceIdFromGuid(instanceGuid);
        const int count = SDL_NumJoysticks();
        for (int i = 0; id >= 0 && i < count; ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id)
            {
                device = SdlJoystickDevice::Open(m_Events, i);
                break;
            }
    }
    return device ? kDiOk : kDiErrDeviceNotReg;
}

} // namespace platform
