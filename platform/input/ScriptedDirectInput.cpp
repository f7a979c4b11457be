#include "platform/input/ScriptedDirectInput.h"

#include "platform/input/ScriptedDevice.h"
#include "platform/input/ScriptedInputDevice.h"

namespace platform
{

ScriptedDirectInput::ScriptedDirectInput(std::vector<std::shared_ptr<ScriptedDevice>> devices)
    : m_Devices(std::move(devices))
{
}

HResult ScriptedDirectInput::EnumDevices(uint32_t devClass, const EnumDevicesCallback& callback, uint32_t)
{
    if (!callback)
        return kDiErrInvalidParam;
    for (const std::shared_ptr<ScriptedDevice>& device : m_Devices)
    {
        if (!DeviceMatchesClass(device->Instance().devType, devClass))
            continue;
        if (!callback(device->Instance()))
            break;
    }
    return kDiOk;
}

HResult ScriptedDirectInput::CreateDevice(const Guid& instanceGuid,
                                          std::unique_ptr<DirectInputDevice8>& device)
{
    device.reset();
    for (const std::shared_ptr<ScriptedDevice>& script : m_Devices)
    {
        if (script->Instance().instanceGuid != instanceGuid)
            continue;
        if (script->m_CreateFails)
            return kDiErrDeviceNotReg;
        device = std::make_unique<ScriptedInputDevice>(script);
        ++m_CreatedCount;
        return kDiOk;
    }
    return kDiErrDeviceNotReg;
}

} // namespace platform
