#pragma once

#include "platform/input/InputDeviceBase.h"

#include <memory>

namespace platform
{

class ScriptedDevice;

// A test device that plays back its script's readings, one per GetDeviceState.
class ScriptedInputDevice : public InputDeviceBase
{
public:
    explicit ScriptedInputDevice(std::shared_ptr<ScriptedDevice> script);
    ~ScriptedInputDevice() override;

    HResult SetDataFormat(const DataFormat& format) override;
    HResult Acquire() override;
    HResult GetDeviceState(uint32_t size, void* data) override;

protected:
    // Focus changes come from the script's lost readings instead.
    bool HasFocus() const override { return true; }
    int32_t ReadObject(size_t index) override;

private:
    std::shared_ptr<ScriptedDevice> m_Script;
    std::vector<int32_t> m_Values;
    bool m_RefuseAcquire = false;
};

} // namespace platform
