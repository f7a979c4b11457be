#pragma once

#include "platform/input/DirectInputDevice8.h"
#include "platform/input/InputTypes.h"

#include <functional>
#include <memory>

namespace platform
{

// Returns false to stop an enumeration.
using EnumDevicesCallback = std::function<bool(const DeviceInstance&)>;

// The input system: lists the attached devices and creates them by instance GUID.
class DirectInput8
{
public:
    virtual ~DirectInput8() = default;

    // Devices of a class (every class for kDi8DevClassAll): the mouse, then the keyboard, then joysticks.
    virtual HResult EnumDevices(uint32_t devClass, const EnumDevicesCallback& callback, uint32_t flags) = 0;
    virtual HResult CreateDevice(const Guid& instanceGuid, std::unique_ptr<DirectInputDevice8>& device) = 0;
};

// Creates the input system: the one installed by SetDirectInputFactory, else the SDL back end.
HResult DirectInput8Create(std::unique_ptr<DirectInput8>& input);

// A factory returning null makes DirectInput8Create fail. An empty factory restores the SDL back end.
using DirectInputFactory = std::function<std::unique_ptr<DirectInput8>()>;
DirectInputFactory SetDirectInputFactory(DirectInputFactory factory);

// True when the class asked for by EnumDevices covers a device of this type.
bool DeviceMatchesClass(uint32_t devType, uint32_t devClass);

} // namespace platform
