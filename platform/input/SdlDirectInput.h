#pragma once

#include "platform/input/DirectInput8.h"

#include <memory>

namespace platform
{

class SdlInputEvents;

// The real input system over SDL: the mouse, the keyboard, then every joystick SDL knows of.
class SdlDirectInput : public DirectInput8
{
public:
    // Null when SDL's event subsystem cannot start.
    static std::unique_ptr<DirectInput8> Create();

    HResult EnumDevices(uint32_t devClass, const EnumDevicesCallback& callback, uint32_t flags) override;
    HResult CreateDevice(const Guid& instanceGuid, std::unique_ptr<DirectInputDevice8>& device) override;

private:
    explicit SdlDirectInput(std::shared_ptr<SdlInputEvents> events);

    std::shared_ptr<SdlInputEvents> m_Events;
};

} // namespace platform
