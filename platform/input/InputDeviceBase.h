#pragma once

#include "platform/input/DirectInputDevice8.h"

#include <cstddef>
#include <vector>

namespace platform
{

// What every device of the input layer shares: its object list, axis ranges, the data format and the
// acquisition rules. A back end supplies the focus and each object's current reading.
class InputDeviceBase : public DirectInputDevice8
{
public:
    HResult GetCapabilities(DeviceCaps& caps) override;
    HResult EnumObjects(const EnumObjectsCallback& callback, uint32_t typeFilter) override;
    HResult SetAxisRange(uint32_t objectType, int32_t minimum, int32_t maximum) override;
    HResult SetDataFormat(const DataFormat& format) override;
    HResult SetCooperativeLevel(WindowHandle window, uint32_t flags) override;
    HResult Acquire() override;
    HResult Unacquire() override;
    HResult Poll() override;
    HResult GetDeviceState(uint32_t size, void* data) override;

    bool IsAcquired() const { return m_Acquired; }
    uint32_t GetCooperativeFlags() const { return m_CooperativeFlags; }
    WindowHandle GetCooperativeWindow() const { return m_Window; }
    const std::vector<DeviceObjectInstance>& Objects() const { return m_Objects; }
    int32_t RangeMinimum(size_t index) const { return m_Ranges[index].minimum; }
    int32_t RangeMaximum(size_t index) const { return m_Ranges[index].maximum; }

protected:
    InputDeviceBase(uint32_t devType, std::vector<DeviceObjectInstance> objects);

    // Whether the window this device cooperates with has the focus.
    virtual bool HasFocus() const = 0;
    // Axes: the value in the axis's range (relative axes: the count since acquisition). Buttons: non-zero
    // while pressed. Hats: kPovCentred or the direction.
    virtual int32_t ReadObject(size_t index) = 0;
    // Brings readings up to date before a state is written.
    virtual void Refresh() {}
    virtual void OnAcquired() {}
    virtual void OnUnacquired() {}

    bool IsForeground() const { return (m_CooperativeFlags & kDisclForeground) != 0; }
    bool IsExclusive() const { return (m_CooperativeFlags & kDisclExclusive) != 0; }
    // Drops acquisition as a focus change does.
    void LoseAcquisition();

private:
    struct Range
    {
        int32_t minimum = kDefaultAxisMin;
        int32_t maximum = kDefaultAxisMax;
    };
    struct Slot
    {
        size_t object;
        uint32_t offset;
    };

    int FindObject(uint32_t objectType) const;
    // False when focus went away; acquisition is then lost.
    bool CheckFocus();

    uint32_t m_DevType;
    std::vector<DeviceObjectInstance> m_Objects;
    std::vector<Range> m_Ranges;
    std::vector<Slot> m_Slots;
    uint32_t m_DataSize = 0;
    bool m_HasFormat = false;
    uint32_t m_CooperativeFlags = kDisclNonExclusive | kDisclBackground;
    WindowHandle m_Window = nullptr;
    bool m_Acquired = false;
};

} // namespace platform
