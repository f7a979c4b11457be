#include "platform/input/DirectInput8.h"

#include "platform/input/SdlDirectInput.h"

namespace platform
{
namespace
{

DirectInputFactory& Factory()
{
    static DirectInputFactory factory;
    return factory;
}

} // namespace

HResult DirectInput8Create(std::unique_ptr<DirectInput8>& input)
{
    input = Factory() ? Factory()() : SdlDirectInput::Create();
    return input ? kDiOk : kDiErrGeneric;
}

DirectInputFactory SetDirectInputFactory(DirectInputFactory factory)
{
    DirectInputFactory previous = std::move(Factory());
    Factory() = std::move(factory);
    return previous;
}

bool DeviceMatchesClass(uint32_t devType, uint32_t devClass)
{
    const uint32_t type = devType & 0xFFu;
    switch (devClass)
    {
    case kDi8DevClassAll:
        return true;
    case kDi8DevClassDevice:
        return type == kDi8DevTypeDevice;
    case kDi8DevClassPointer:
        return type == kDi8DevTypeMouse;
    case kDi8DevClassKeyboard:
        return type == kDi8DevTypeKeyboard;
    case kDi8DevClassGameCtrl:
        return type >= kDi8DevTypeJoystick && type <= kDi8DevTypeFlight;
    default:
        return false;
    }
}

} // namespace platform
