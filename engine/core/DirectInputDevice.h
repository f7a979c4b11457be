#pragma once

#include "engine/core/InputDevice.h"
#include "platform/input/DirectInput8.h"

#include <memory>
#include <vector>

// An input device over one device of the platform's input system, with a state layout built from the
// device's own objects: every axis as a 32-bit value, then every button and hat as a byte.
class DirectInputDevice : public InputDevice
{
public:
    static constexpr const char* kAddingDevice = "INPUT: Adding device - ";
    static constexpr const char* kAxesLine = " Axes: ";
    static constexpr const char* kButtonsLine = " Buttons: ";
    // Cooperative levels: foreground, and non-exclusive for keyboards, exclusive otherwise.
    static constexpr uint32_t kNonExclusiveLevel = 6;
    static constexpr uint32_t kExclusiveLevel = 5;
    static constexpr int32_t kAxisMinimum = -32768;
    static constexpr int32_t kAxisMaximum = 32768;

    DirectInputDevice() = default;
    ~DirectInputDevice() override;

    bool AddDevice(platform::DirectInput8* directInput, const platform::DeviceInstance& instance);
    // Sets the cooperative level with the window; the caller polls afterwards.
    void SetCooperativeLevel(platform::WindowHandle window);

    const platform::Guid& GetInstanceGuid() const { return m_InstanceGuid; }
    bool IsNonExclusive() const { return m_NonExclusive != 0; }
    uint32_t GetStateSize() const { return m_StateSize; }

    void Poll() override;
    bool GetControlState(int index, int32_t& value, bool previous) const override;
    bool GetControlStateByName(const std::string& name, int32_t& value, bool previous) const override;
    int32_t GetControlKind(int index) const override;
    int32_t GetControlKindByName(const std::string& name) const override;
    int GetControlCount() const override { return int(m_Controls.size()); }
    bool GetControlName(int index, std::string& name) const override;
    int FindControlByCode(int code) const override;
    int FindControlByName(const std::string& name) const override;
    int GetControlCode(int n) const override;

private:
    struct Control
    {
        std::string name;
        uint32_t objectType = 0;
        uint32_t offset = 0;
        uint32_t flags = 0;
        uint8_t kindBits = 0; // bit 0 relative axis, bit 1 absolute axis, neither: button or hat
        platform::Guid typeGuid;
        int32_t code = 0;
    };

    void AddControl(const platform::DeviceObjectInstance& object);
    bool SetDataFormat();
    int32_t ReadAxis(const std::vector<uint8_t>& buffer, const Control& control) const;

    std::vector<Control> m_Controls;
    std::unique_ptr<platform::DirectInputDevice8> m_Device;
    uint32_t m_StateSize = 0;
    std::vector<uint8_t> m_Current;
    std::vector<uint8_t> m_Previous;
    uint8_t m_NonExclusive = 0;
    platform::Guid m_InstanceGuid;
    int32_t m_AxisCount = 0;
    int32_t m_ButtonCount = 0;
    int32_t m_GoodPolls = 0;
};
