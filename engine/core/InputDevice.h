#pragma once

#include <cstdint>
#include <string>

// An input device as the input manager sees it: a named, typed list of controls (axes first, then
// buttons), each readable now or as it was at the previous poll.
class InputDevice
{
public:
    static constexpr const char* kDefaultName = "Unknown device";

    // Device types.
    static constexpr int32_t kTypeOther = 0;
    static constexpr int32_t kTypeMouse = 1;
    static constexpr int32_t kTypeKeyboard = 2;
    static constexpr int32_t kTypeJoystick = 3;
    static constexpr int32_t kTypeGamepad = 4;

    // Control kinds.
    static constexpr int32_t kKindInvalid = 0;
    static constexpr int32_t kKindButton = 1;
    static constexpr int32_t kKindRelativeAxis = 2;
    static constexpr int32_t kKindAbsoluteAxis = 3;

    // A pressed button's value, and the ends of an absolute axis.
    static constexpr int32_t kFullScale = 32768;

    InputDevice() = default;
    virtual ~InputDevice();
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    virtual void Poll() = 0;
    virtual bool GetControlState(int index, int32_t& value, bool previous) const = 0;
    virtual bool GetControlStateByName(const std::string& name, int32_t& value, bool previous) const = 0;
    virtual int32_t GetControlKind(int index) const = 0;
    virtual int32_t GetControlKindByName(const std::string& name) const = 0;
    virtual int GetControlCount() const = 0;
    virtual bool GetControlName(int index, std::string& name) const = 0;
    virtual int FindControlByCode(int code) const = 0;
    virtual int FindControlByName(const std::string& name) const = 0;
    // The index of the n-th button, or -1.
    virtual int GetControlCode(int n) const = 0;

    // The first control whose value now differs from its value at the previous poll, or -1.
    int FindChangedControl() const;

    const std::string& GetName() const { return m_Name; }
    int32_t GetType() const { return m_Type; }

protected:
    std::string m_Name = kDefaultName;
    int32_t m_Type = kTypeOther;
};
