#pragma once

#include "platform/input/InputTypes.h"

#include <cstddef>
#include <deque>
#include <vector>

namespace platform
{

class InputDeviceBase;

// The script of one test device: what it is, its objects, and what each poll reads. A test keeps the
// script and hands it to a ScriptedDirectInput; the device created from it plays the readings back.
class ScriptedDevice
{
public:
    // The instance GUID is derived from the tag, so two scripts with one tag are the same device.
    ScriptedDevice(const std::string& name, uint32_t devType, uint8_t tag);
    ~ScriptedDevice();
    ScriptedDevice(const ScriptedDevice&) = delete;
    ScriptedDevice& operator=(const ScriptedDevice&) = delete;

    // Objects are listed in the order added; each returns its type word.
    uint32_t AddAxis(const std::string& name, const Guid& typeGuid, bool relative);
    uint32_t AddButton(const std::string& name);
    uint32_t AddHat(const std::string& name);

    // One value per object in object order: an axis's value as reported (relative axes count from
    // acquisition), a button non-zero while pressed, a hat kPovCentred or a direction. Each successful
    // GetDeviceState takes the next reading; once they run out the last one holds.
    void PushReading(std::vector<int32_t> values);
    // The next GetDeviceState finds acquisition lost, and the Acquire that follows it fails.
    void PushLost();
    size_t PendingReadings() const { return m_Readings.size(); }

    void SetCreateFails(bool fails) { m_CreateFails = fails; }
    void SetDataFormatFails(bool fails) { m_DataFormatFails = fails; }

    const DeviceInstance& Instance() const { return m_Instance; }
    const std::vector<DeviceObjectInstance>& Objects() const { return m_Objects; }
    // The device created from this script while it exists, else null.
    InputDeviceBase* Live() const { return m_Live; }

private:
    friend class ScriptedInputDevice;
    friend class ScriptedDirectInput;

    struct Reading
    {
        bool lost = false;
        std::vector<int32_t> values;
    };

    uint32_t AddObject(const std::string& name, const Guid& typeGuid, uint32_t typeBits);

    DeviceInstance m_Instance;
    std::vector<DeviceObjectInstance> m_Objects;
    uint32_t m_AxisCount = 0;
    uint32_t m_ButtonCount = 0;
    uint32_t m_HatCount = 0;
    std::deque<Reading> m_Readings;
    bool m_CreateFails = false;
    bool m_DataFormatFails = false;
    InputDeviceBase* m_Live = nullptr;
};

} // namespace platform
