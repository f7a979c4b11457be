#pragma once

#include "platform/input/DirectInput8.h"

#include <memory>
#include <vector>

namespace platform
{

class ScriptedDevice;

// The test back end of the input system: lists its scripts in the order given (a script given twice is
// reported twice) and creates scripted devices from them.
class ScriptedDirectInput : public DirectInput8
{
public:
    explicit ScriptedDirectInput(std::vector<std::shared_ptr<ScriptedDevice>> devices);

    HResult EnumDevices(uint32_t devClass, const EnumDevicesCallback& callback, uint32_t flags) override;
    HResult CreateDevice(const Guid& instanceGuid, std::unique_ptr<DirectInputDevice8>& device) override;

    int CreatedCount() const { return m_CreatedCount; }

private:
    std::vector<std::shared_ptr<ScriptedDevice>> m_Devices;
    int m_CreatedCount = 0;
};

} // namespace platform
