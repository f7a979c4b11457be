#include "engine/core/InputDevice.h"

InputDevice::~InputDevice() = default;

int InputDevice::FindChangedControl() const
{
    const int count = GetControlCount();
    for (int i = 0; i < count; ++i)
    {
        int32_t now = 0;
        int32_t before = 0;
        if (GetControlState(i, now, false) && GetControlState(i, before, true) && now != before)
            return i;
    }
    return -1;
}
