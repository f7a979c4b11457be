#pragma once

#include "platform/input/InputDeviceBase.h"
#include "platform/input/SdlInputEvents.h"

#include <memory>

namespace platform
{

// The system keyboard: one button per key of a fixed table, named in English after the key cap ("W",
// "Space", "Left Ctrl"), by physical position so that bindings survive a change of layout. The table's
// order never changes: saved bindings refer to keys by their index in it.
class SdlKeyboardDevice : public InputDeviceBase
{
public:
    static constexpr Guid kInstanceGuid = {
        {'T', 'v', 'S', 'y', 's', 'K', 'e', 'y', 'b', 'o', 'a', 'r', 'd', 0, 0, 1}};
    static DeviceInstance Instance();

    explicit SdlKeyboardDevice(std::shared_ptr<SdlInputEvents> events);

protected:
    bool HasFocus() const override;
    int32_t ReadObject(size_t index) override;

private:
    std::shared_ptr<SdlInputEvents> m_Events;
};

} // namespace platform
