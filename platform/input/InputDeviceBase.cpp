#include "platform/input/InputDeviceBase.h"

#include <cstring>

namespace platform
{
namespace
{

bool IsAxis(uint32_t objectType)
{
    return (ObjectTypeBits(objectType) & kDidftAxis) != 0;
}

} // namespace

InputDeviceBase::InputDeviceBase(uint32_t devType, std::vector<DeviceObjectInstance> objects)
    : m_DevType(devType), m_Objects(std::move(objects)), m_Ranges(m_Objects.size())
{
}

HResult InputDeviceBase::GetCapabilities(DeviceCaps& caps)
{
    caps = DeviceCaps();
    caps.flags = kDidcAttached;
    caps.devType = m_DevType;
    for (const DeviceObjectInstance& object : m_Objects)
    {
        const uint32_t bits = ObjectTypeBits(object.type);
        if (bits & kDidftAxis)
            ++caps.axes;
        else if (bits & kDidftButton)
            ++caps.buttons;
        else if (bits & kDidftPov)
            ++caps.povs;
    }
    return kDiOk;
}

HResult InputDeviceBase::EnumObjects(const EnumObjectsCallback& callback, uint32_t typeFilter)
{
    if (!callback)
        return kDiErrInvalidParam;
    for (const DeviceObjectInstance& object : m_Objects)
    {
        if (typeFilter != kDidftAll && (ObjectTypeBits(object.type) & typeFilter) == 0)
            continue;
        if (!callback(object))
            break;
    }
    return kDiOk;
}

HResult InputDeviceBase::SetAxisRange(uint32_t objectType, int32_t minimum, int32_t maximum)
{
    const int index = FindObject(objectType);
    if (index < 0)
        return kDiErrObjectNotFound;
    if ((ObjectTypeBits(m_Objects[index].type) & kDidftAbsAxis) == 0)
        return kDiErrUnsupported;
    if (minimum >= maximum)
        return kDiErrInvalidParam;
    m_Ranges[index] = Range{minimum, maximum};
    return kDiOk;
}

HResult InputDeviceBase::SetDataFormat(const DataFormat& format)
{
    if (m_Acquired)
        return kDiErrAcquired;
    if (format.dataSize % 4 != 0)
        return kDiErrInvalidParam;

    std::vector<Slot> slots;
    std::vector<bool> taken(m_Objects.size(), false);
    for (const ObjectDataFormat& entry : format.objects)
    {
        const int index = FindObject(entry.type);
        if (index < 0 || taken[index])
            return kDiErrInvalidParam;
        const DeviceObjectInstance& object = m_Objects[index];
        if (!entry.typeGuid.IsNull() && entry.typeGuid != object.typeGuid)
            return kDiErrInvalidParam;
        const bool axis = IsAxis(object.type);
        const uint64_t size = axis ? 4 : 1;
        if (uint64_t(entry.offset) + size > format.dataSize || (axis && entry.offset % 4 != 0))
            return kDiErrInvalidParam;
        taken[index] = true;
        slots.push_back(Slot{size_t(index), entry.offset});
    }
    m_Slots = std::move(slots);
    m_DataSize = format.dataSize;
    m_HasFormat = true;
    return kDiOk;
}

HResult InputDeviceBase::SetCooperativeLevel(WindowHandle window, uint32_t flags)
{
    const bool exclusive = (flags & kDisclExclusive) != 0;
    const bool nonExclusive = (flags & kDisclNonExclusive) != 0;
    const bool foreground = (flags & kDisclForeground) != 0;
    const bool background = (flags & kDisclBackground) != 0;
    if (exclusive == nonExclusive || foreground == background)
        return kDiErrInvalidParam;
    if (foreground && window == nullptr)
        return kDiErrInvalidParam;
    if (m_Acquired)
        return kDiErrAcquired;
    m_CooperativeFlags = flags;
    m_Window = window;
    return kDiOk;
}

HResult InputDeviceBase::Acquire()
{
    if (!m_HasFormat)
        return kDiErrInvalidParam;
    if (IsForeground() && !HasFocus())
        return kDiErrOtherAppHasPrio;
    if (m_Acquired)
        return kDiNoEffect;
    m_Acquired = true;
    OnAcquired();
    return kDiOk;
}

HResult InputDeviceBase::Unacquire()
{
    if (!m_Acquired)
        return kDiNoEffect;
    m_Acquired = false;
    OnUnacquired();
    return kDiOk;
}

HResult InputDeviceBase::Poll()
{
    if (!m_Acquired)
        return kDiErrNotAcquired;
    if (!CheckFocus())
        return kDiErrInputLost;
    Refresh();
    return kDiNoEffect;
}

HResult InputDeviceBase::GetDeviceState(uint32_t size, void* data)
{
    if (!m_Acquired)
        return kDiErrNotAcquired;
    if (!CheckFocus())
        return kDiErrInputLost;
    if (data == nullptr || size != m_DataSize)
        return kDiErrInvalidParam;

    Refresh();
    uint8_t* bytes = static_cast<uint8_t*>(data);
    std::memset(bytes, 0, size);
    for (const Slot& slot : m_Slots)
    {
        const uint32_t bits = ObjectTypeBits(m_Objects[slot.object].type);
        const int32_t value = ReadObject(slot.object);
        if (bits & kDidftAxis)
            std::memcpy(bytes + slot.offset, &value, sizeof value);
        else if (bits & kDidftPov)
            bytes[slot.offset] = value != kPovCentred ? 0x80 : 0;
        else
            bytes[slot.offset] = value != 0 ? 0x80 : 0;
    }
    return kDiOk;
}

void InputDeviceBase::LoseAcquisition()
{
    if (!m_Acquired)
        return;
    m_Acquired = false;
    OnUnacquired();
}

int InputDeviceBase::FindObject(uint32_t objectType) const
{
    for (size_t i = 0; i < m_Objects.size(); ++i)
        if (m_Objects[i].type == objectType)
            return int(i);
    return -1;
}

bool InputDeviceBase::CheckFocus()
{
    if (!IsForeground() || HasFocus())
        return true;
    LoseAcquisition();
    return false;
}

} // namespace platform
