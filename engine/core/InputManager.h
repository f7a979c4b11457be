#pragma once

#include "engine/core/InputDevice.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

// Owns the input devices and, per player, 32 actions each bound to up to 4 device controls. An action's
// value is that of its strongest binding. One instance exists while the application runs.
class InputManager
{
public:
    static constexpr int kActionCount = 32;
    static constexpr int kBindingCap = 4;
    // Player numbers come from files; the table list never grows past this many players.
    static constexpr int kMaxPlayers = 16;

    // Range modes of a binding.
    static constexpr int32_t kRangeWhole = 0;
    static constexpr int32_t kRangePositive = 1;
    static constexpr int32_t kRangeNegative = 2;

    // The next control that changed, as the options screen captures it.
    struct CaptureRecord
    {
        std::string deviceName;
        int32_t deviceIndex = -1;
        std::string controlName;
        int32_t controlCode = -1;
        int32_t state = 0;
    };

    // The one live manager, or null.
    static InputManager* GetInstance() { return s_Instance; }

    InputManager();
    virtual ~InputManager();
    InputManager(const InputManager&) = delete;
    InputManager& operator=(const InputManager&) = delete;

    virtual bool Init();
    // Once a frame: polls every device in order.
    virtual void Update();
    // Adds the bindings of a "controls" element to those already there.
    virtual void LoadControls(TiXmlElement* element);
    // Appends "device" elements with their bound "control" elements.
    virtual void SaveControls(TiXmlElement* element);

    int32_t GetActionValue(int action, int32_t* kind, int player) const;

    bool AddBinding(int action, int device, int control, int range, int player);
    void RemoveBinding(int action, int n, int player);
    void ClearBindings();
    int GetBindingCount(int action, int player) const;
    int GetBindingDevice(int action, int n, int player) const;
    int GetBindingCode(int action, int n, int player) const;
    // The range mode of the n-th binding, -1 when out of range.
    int GetBindingRange(int action, int n, int player) const;
    std::string GetBindingName(int action, int n, int player) const;

    int FindDeviceByType(int32_t type) const;
    int FindDeviceControlByName(int device, const std::string& name) const;
    int FindDeviceControlByCode(int device, int code) const;
    int GetDeviceControlCode(int device, int n) const;
    int32_t GetDeviceControlKind(int device, int control) const;
    std::string GetDeviceName(int device) const;

    bool CaptureControl(CaptureRecord& record) const;

protected:
    // One binding per entry of three parallel lists, oldest first.
    struct Action
    {
        std::vector<int32_t> devices;
        std::vector<int32_t> controls;
        std::vector<int32_t> ranges;
    };
    using BindingTable = std::array<Action, kActionCount>;

    const InputDevice* GetDevice(int device) const;

    std::vector<std::unique_ptr<InputDevice>> m_Devices;
    std::vector<std::unique_ptr<BindingTable>> m_Players;
    int32_t m_BindingCap = kBindingCap;

private:
    const Action* FindAction(int action, int player) const;
    const Action* FindBinding(int action, int n, int player) const;

    static InputManager* s_Instance;
};
