#pragma once

#include "platform/input/InputDeviceBase.h"
#include "platform/input/SdlInputEvents.h"

#include <memory>

namespace platform
{

// The system mouse: X, Y and wheel as relative axes counting from acquisition (the wheel 120 a notch),
// then five buttons. Motion past the screen's edges counts while the window layer's relative mode is on.
class SdlMouseDevice : public InputDeviceBase
{
public:
    static constexpr Guid kInstanceGuid = {
        {'T', 'v', 'S', 'y', 's', 'M', 'o', 'u', 's', 'e', 0, 0, 0, 0, 0, 1}};
    static DeviceInstance Instance();

    explicit SdlMouseDevice(std::shared_ptr<SdlInputEvents> events);
    ~SdlMouseDevice() override;

protected:
    bool HasFocus() const override;
    int32_t ReadObject(size_t index) override;
    void OnAcquired() override;
    void OnUnacquired() override;

private:
    std::shared_ptr<SdlInputEvents> m_Events;
    SdlInputEvents::MouseCounters m_Origin;
};

} // namespace platform
