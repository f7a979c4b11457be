#pragma once

#include "platform/input/InputTypes.h"

#include <functional>

namespace platform
{

// Returns false to stop an enumeration.
using EnumObjectsCallback = std::function<bool(const DeviceObjectInstance&)>;

// One input device: its objects, the layout it writes its state in, and acquisition. A device reads only
// while acquired; a foreground device loses acquisition when the window loses the focus and cannot be
// acquired again until it has it back.
class DirectInputDevice8
{
public:
    virtual ~DirectInputDevice8() = default;

    virtual HResult GetCapabilities(DeviceCaps& caps) = 0;
    // Objects whose type bits share a bit with typeFilter (every object for kDidftAll), in device order.
    virtual HResult EnumObjects(const EnumObjectsCallback& callback, uint32_t typeFilter) = 0;
    // The range an absolute axis reports, by the object's type word.
    virtual HResult SetAxisRange(uint32_t objectType, int32_t minimum, int32_t maximum) = 0;
    virtual HResult SetDataFormat(const DataFormat& format) = 0;
    virtual HResult SetCooperativeLevel(WindowHandle window, uint32_t flags) = 0;
    virtual HResult Acquire() = 0;
    virtual HResult Unacquire() = 0;
    virtual HResult Poll() = 0;
    // Fills size bytes (the data format's size) with the current state.
    virtual HResult GetDeviceState(uint32_t size, void* data) = 0;
};

} // namespace platform
