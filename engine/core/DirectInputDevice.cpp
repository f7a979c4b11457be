#include "engine/core/DirectInputDevice.h"

#include "platform/system/DebugOutput.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{

constexpr uint8_t kRelativeAxisBit = 0x01;
constexpr uint8_t kAbsoluteAxisBit = 0x02;
constexpr int32_t kMaxGoodPolls = 2;

int32_t TypeFromDeviceType(uint32_t devType)
{
    switch (devType & 0xFFu)
    {
    case platform::kDi8DevTypeMouse:
        return InputDevice::kTypeMouse;
    case platform::kDi8DevTypeKeyboard:
        return InputDevice::kTypeKeyboard;
    case platform::kDi8DevTypeJoystick:
    case platform::kDi8DevTypeDriving:
    case platform::kDi8DevTypeFlight:
        return InputDevice::kTypeJoystick;
    case platform::kDi8DevTypeGamepad:
        return InputDevice::kTypeGamepad;
    default:
        return InputDevice::kTypeOther;
    }
}

bool EqualsIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace

DirectInputDevice::~DirectInputDevice()
{
    if (m_Device)
        m_Device->Unacquire();
}

bool DirectInputDevice::AddDevice(platform::DirectInput8* directInput,
                                  const platform::DeviceInstance& instance)
{
    if (directInput == nullptr)
        return false;
    if (platform::Failed(directInput->CreateDevice(instance.instanceGuid, m_Device)) || !m_Device)
    {
        m_Device.reset();
        return false;
    }

    if ((instance.devType & 0x0Fu) == 3)
        m_NonExclusive = 1;

    platform::DeviceCaps caps;
    m_Device->GetCapabilities(caps);
    m_Type = TypeFromDeviceType(instance.devType);

    platform::OutputDebugString(kAddingDevice + instance.instanceName + "\n");
    platform::OutputDebugString(kAxesLine + std::to_string(caps.axes) + "\n");
    platform::OutputDebugString(kButtonsLine + std::to_string(caps.buttons) + "\n");

    const auto add = [this](const platform::DeviceObjectInstance& object)
    {
        AddControl(object);
        return true;
    };
    m_Device->EnumObjects(add, platform::kDidftAxis);
    m_Device->EnumObjects(add, platform::kDidftButton | platform::kDidftPov);

    if ((m_AxisCount > 0 || m_ButtonCount > 0) && !SetDataFormat())
        return false;

    m_Name = instance.instanceName;
    m_InstanceGuid = instance.instanceGuid;
    return true;
}

void DirectInputDevice::AddControl(const platform::DeviceObjectInstance& object)
{
    const uint32_t bits = platform::ObjectTypeBits(object.type);
    if (bits & platform::kDidftAxis)
        ++m_AxisCount;
    else if (bits & (platform::kDidftButton | platform::kDidftPov))
        ++m_ButtonCount;
    else
        return;

    if (bits & platform::kDidftAbsAxis)
        m_Device->SetAxisRange(object.type, kAxisMinimum, kAxisMaximum);

    Control control;
    control.name = object.name;
    control.objectType = object.type;
    control.flags = object.flags;
    control.kindBits = uint8_t(bits);
    control.typeGuid = object.typeGuid;
    if (object.typeGuid == platform::kGuidXAxis)
        control.code = 1;
    else if (object.typeGuid == platform::kGuidYAxis)
        control.code = 2;
    else if (object.typeGuid == platform::kGuidZAxis && m_Type == kTypeMouse)
        control.code = 3;
    m_Controls.push_back(control);
}

bool DirectInputDevice::SetDataFormat()
{
    m_StateSize = (uint32_t(m_ButtonCount) + 4u * uint32_t(m_AxisCount) + 3u) & ~3u;
    m_Current.assign(m_StateSize, 0);
    m_Previous.assign(m_StateSize, 0);

    platform::DataFormat format;
    format.flags = 0;
    format.dataSize = m_StateSize;
    uint32_t offset = 0;
    for (Control& control : m_Controls)
    {
        control.offset = offset;
        offset += (control.kindBits & (kRelativeAxisBit | kAbsoluteAxisBit)) ? 4 : 1;
        format.objects.push_back({control.typeGuid, control.offset, control.objectType, control.flags});
    }
    return !platform::Failed(m_Device->SetDataFormat(format));
}

void DirectInputDevice::SetCooperativeLevel(platform::WindowHandle window)
{
    if (m_Device)
        m_Device->SetCooperativeLevel(window, m_NonExclusive ? kNonExclusiveLevel : kExclusiveLevel);
}

void DirectInputDevice::Poll()
{
    if (!m_Device || m_Current.empty())
        return;

    std::swap(m_Current, m_Previous);
    m_Device->Poll();
    if (platform::Failed(m_Device->GetDeviceState(m_StateSize, m_Current.data())))
    {
        bool recovered = !platform::Failed(m_Device->Acquire());
        if (recovered)
        {
            m_Device->Poll();
            recovered = !platform::Failed(m_Device->GetDeviceState(m_StateSize, m_Current.data()));
        }
        if (!recovered)
        {
            std::fill(m_Current.begin(), m_Current.end(), 0);
            std::fill(m_Previous.begin(), m_Previous.end(), 0);
            m_GoodPolls = 0;
            return;
        }
    }
    m_GoodPolls = std::min(m_GoodPolls + 1, kMaxGoodPolls);
}

int32_t DirectInputDevice::ReadAxis(const std::vector<uint8_t>& buffer, const Control& control) const
{
    int32_t value = 0;
    if (size_t(control.offset) + sizeof value <= buffer.size())
        std::memcpy(&value, buffer.data() + control.offset, sizeof value);
    return value;
}

bool DirectInputDevice::GetControlState(int index, int32_t& value, bool previous) const
{
    if (index < 0 || index >= int(m_Controls.size()))
        return false;
    const Control& control = m_Controls[index];
    const std::vector<uint8_t>& buffer = previous ? m_Previous : m_Current;

    if (index >= m_AxisCount)
    {
        const uint8_t byte = control.offset < buffer.size() ? buffer[control.offset] : 0;
        value = int32_t(byte & 0x80) << 8;
    }
    else if (control.kindBits & kRelativeAxisBit)
    {
        if (m_GoodPolls < kMaxGoodPolls)
            value = 0;
        else
        {
            // Counters wrap; their difference is taken modulo 2^32.
            const uint32_t difference =
                uint32_t(ReadAxis(buffer, control)) - uint32_t(ReadAxis(m_Previous, control));
            value = static_cast<int32_t>(difference);
        }
    }
    else
        value = ReadAxis(buffer, control);
    return true;
}

bool DirectInputDevice::GetControlStateByName(const std::string& name, int32_t& value, bool previous) const
{
    const int index = FindControlByName(name);
    return index >= 0 && GetControlState(index, value, previous);
}

int32_t DirectInputDevice::GetControlKind(int index) const
{
    if (index < 0 || index >= int(m_Controls.size()))
        return kKindInvalid;
    const uint8_t bits = m_Controls[index].kindBits;
    if (bits & kRelativeAxisBit)
        return kKindRelativeAxis;
    if (bits & kAbsoluteAxisBit)
        return kKindAbsoluteAxis;
    return kKindButton;
}

int32_t DirectInputDevice::GetControlKindByName(const std::string& name) const
{
    const int index = FindControlByName(name);
    return index >= 0 ? GetControlKind(index) : kKindInvalid;
}

bool DirectInputDevice::GetControlName(int index, std::string& name) const
{
    if (index < 0 || index >= int(m_Controls.size()))
        return false;
    name = m_Controls[index].name;
    return true;
}

int DirectInputDevice::FindControlByCode(int code) const
{
    for (size_t i = 0; i < m_Controls.size(); ++i)
        if (m_Controls[i].code == code)
            return int(i);
    return -1;
}

int DirectInputDevice::FindControlByName(const std::string& name) const
{
    for (size_t i = 0; i < m_Controls.size(); ++i)
        if (EqualsIgnoringCase(m_Controls[i].name, name))
            return int(i);
    return -1;
}

int DirectInputDevice::GetControlCode(int n) const
{
    if (n >= 0 && n < m_ButtonCount)
        return m_AxisCount + n;
    return -1;
}
