#pragma once

#include "platform/input/InputDeviceBase.h"
#include "platform/input/SdlInputEvents.h"

#include <memory>

struct _SDL_Joystick;

namespace platform
{

// One joystick or gamepad: its absolute axes scaled to the range set on each, then its buttons, then its
// hats (a hat reads pressed only off-centre).
class SdlJoystickDevice : public InputDeviceBase
{
public:
    // The instance of SDL's joystick at a device index, or false when there is none.
    static bool Describe(int deviceIndex, DeviceInstance& instance);
    // The SDL instance id an instance GUID of ours stands for, or -1.
    static int32_t InstanceIdFromGuid(const Guid& guid);

    // Opens SDL's joystick at a device index; null when it cannot be opened.
    static std::unique_ptr<SdlJoystickDevice> Open(std::shared_ptr<SdlInputEvents> events, int deviceIndex);
    ~SdlJoystickDevice() override;

protected:
    bool HasFocus() const override;
    int32_t ReadObject(size_t index) override;
    void Refresh() override;

private:
    SdlJoystickDevice(std::shared_ptr<SdlInputEvents> events, _SDL_Joystick* joystick, uint32_t devType,
                      std::vector<DeviceObjectInstance> objects, int axes, int buttons);

    std::shared_ptr<SdlInputEvents> m_Events;
    _SDL_Joystick* m_Joystick;
    const int m_AxisCount;
    const int m_ButtonCount;
};

} // namespace platform
