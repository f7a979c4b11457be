#include "platform/input/SdlJoystickDevice.h"

#include <SDL.h>

namespace platform
{
namespace
{

constexpr uint8_t kGuidPrefix[12] = {'T', 'v', 'J', 'o', 'y', 's', 't', 'i', 'c', 'k', 0, 0};

Guid InstanceGuid(SDL_JoystickID id)
{
    Guid guid;
    for (int i = 0; i < 12; ++i)
        guid.bytes[i] = kGuidPrefix[i];
    const uint32_t value = static_cast<uint32_t>(id);
    for (int i = 0; i < 4; ++i)
        guid.bytes[12 + i] = uint8_t(value >> (8 * (3 - i)));
    return guid;
}

uint32_t DeviceType(SDL_JoystickType type)
{
    switch (type)
    {
    case SDL_JOYSTICK_TYPE_GAMECONTROLLER:
        return kDi8DevTypeGamepad;
    case SDL_JOYSTICK_TYPE_WHEEL:
        return kDi8DevTypeDriving;
    case SDL_JOYSTICK_TYPE_FLIGHT_STICK:
    case SDL_JOYSTICK_TYPE_THROTTLE:
        return kDi8DevTypeFlight;
    default:
        return kDi8DevTypeJoystick;
    }
}

DeviceObjectInstance AxisObject(int axis)
{
    static const struct
    {
        const char* name;
        Guid guid;
    } named[] = {{"X Axis", kGuidXAxis},      {"Y Axis", kGuidYAxis},      {"Z Axis", kGuidZAxis},
                 {"X Rotation", kGuidRxAxis}, {"Y Rotation", kGuidRyAxis}, {"Z Rotation", kGuidRzAxis}};
    constexpr int kNamed = sizeof named / sizeof named[0];
    DeviceObjectInstance object;
    if (axis < kNamed)
    {
        object.name = named[axis].name;
        object.typeGuid = named[axis].guid;
    }
    else
    {
        object.name = "Slider " + std::to_string(axis - kNamed);
        object.typeGuid = kGuidSlider;
    }
    object.type = MakeObjectType(kDidftAbsAxis, uint32_t(axis));
    object.offset = uint32_t(axis) * 4;
    return object;
}

int32_t HatDirection(uint8_t hat)
{
    switch (hat)
    {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return kPovCentred;
    }
}

// SDL's -32768..32767 stretched over the axis's range, ends to ends.
int32_t ScaleAxis(int16_t raw, int32_t minimum, int32_t maximum)
{
    const int64_t span = int64_t(maximum) - minimum;
    return static_cast<int32_t>(minimum + (int64_t(raw) + 32768) * span / 65535);
}

} // namespace

bool SdlJoystickDevice::Describe(int deviceIndex, DeviceInstance& instance)
{
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    if (id < 0)
        return false;
    instance = DeviceInstance();
    instance.instanceGuid = InstanceGuid(id);
    const SDL_JoystickGUID product = SDL_JoystickGetDeviceGUID(deviceIndex);
    for (int i = 0; i < 16; ++i)
        instance.productGuid.bytes[i] = product.data[i];
    instance.devType = DeviceType(SDL_JoystickGetDeviceType(deviceIndex));
    const char* name = SDL_JoystickNameForIndex(deviceIndex);
    instance.instanceName = name != nullptr ? name : "Joystick";
    instance.productName = instance.instanceName;
    return true;
}

int32_t SdlJoystickDevice::InstanceIdFromGuid(const Guid& guid)
{
    for (int i = 0; i < 12; ++i)
        if (guid.bytes[i] != kGuidPrefix[i])
            return -1;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | guid.bytes[12 + i];
    return static_cast<int32_t>(value);
}

std::unique_ptr<SdlJoystickDevice> SdlJoystickDevice::Open(std::shared_ptr<SdlInputEvents> events,
                                                           int deviceIndex)
{
    SDL_Joystick* joystick = SDL_JoystickOpen(deviceIndex);
    if (joystick == nullptr)
        return nullptr;
    const int axes = SDL_JoystickNumAxes(joystick);
    const int buttons = SDL_JoystickNumButtons(joystick);
    const int hats = SDL_JoystickNumHats(joystick);
    if (axes < 0 || buttons < 0 || hats < 0)
    {
        SDL_JoystickClose(joystick);
        return nullptr;
    }

    std::vector<DeviceObjectInstance> objects;
    for (int i = 0; i < axes; ++i)
        objects.push_back(AxisObject(i));
    for (int i = 0; i < buttons; ++i)
    {
        DeviceObjectInstance object;
        object.typeGuid = kGuidButton;
        object.type = MakeObjectType(kDidftPshButton, uint32_t(i));
        object.offset = uint32_t(axes * 4 + i);
        object.name = "Button " + std::to_string(i);
        objects.push_back(object);
    }
    for (int i = 0; i < hats; ++i)
    {
        DeviceObjectInstance object;
        object.typeGuid = kGuidPov;
        object.type = MakeObjectType(kDidftPov, uint32_t(i));
        object.offset = uint32_t(axes * 4 + buttons + i);
        object.name = "Hat " + std::to_string(i);
        objects.push_back(object);
    }
    const uint32_t devType = DeviceType(SDL_JoystickGetType(joystick));
    return std::unique_ptr<SdlJoystickDevice>(
        new SdlJoystickDevice(std::move(events), joystick, devType, std::move(objects), axes, buttons));
}

SdlJoystickDevice::SdlJoystickDevice(std::shared_ptr<SdlInputEvents> events, _SDL_Joystick* joystick,
                                     uint32_t devType, std::vector<DeviceObjectInstance> objects, int axes,
                                     int buttons)
    : InputDeviceBase(devType, std::move(objects)), m_Events(std::move(events)), m_Joystick(joystick),
      m_AxisCount(axes), m_ButtonCount(buttons)
{
}

SdlJoystickDevice::~SdlJoystickDevice()
{
    Unacquire();
    SDL_JoystickClose(m_Joystick);
}

bool SdlJoystickDevice::HasFocus() const
{
    return m_Events->HasFocus();
}

void SdlJoystickDevice::Refresh()
{
    SDL_JoystickUpdate();
}

int32_t SdlJoystickDevice::ReadObject(size_t index)
{
    const int i = int(index);
    if (i < m_AxisCount)
        return ScaleAxis(SDL_JoystickGetAxis(m_Joystick, i), RangeMinimum(index), RangeMaximum(index));
    if (i < m_AxisCount + m_ButtonCount)
        return SDL_JoystickGetButton(m_Joystick, i - m_AxisCount);
    return HatDirection(SDL_JoystickGetHat(m_Joystick, i - m_AxisCount - m_ButtonCount));
}

} // namespace platform
