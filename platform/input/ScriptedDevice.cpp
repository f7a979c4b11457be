#include "platform/input/ScriptedDevice.h"

namespace platform
{

ScriptedDevice::ScriptedDevice(const std::string& name, uint32_t devType, uint8_t tag)
{
    m_Instance.instanceGuid.bytes = {'T', 'v', 'S', 'c', 'r', 'i', 'p', 't', 'e', 'd', 0, 0, 0, 0, 0, tag};
    m_Instance.productGuid = m_Instance.instanceGuid;
    m_Instance.devType = devType;
    m_Instance.instanceName = name;
    m_Instance.productName = name;
}

ScriptedDevice::~ScriptedDevice() = default;

uint32_t ScriptedDevice::AddAxis(const std::string& name, const Guid& typeGuid, bool relative)
{
    return AddObject(name, typeGuid, relative ? kDidftRelAxis : kDidftAbsAxis);
}

uint32_t ScriptedDevice::AddButton(const std::string& name)
{
    return AddObject(name, kGuidButton, kDidftPshButton);
}

uint32_t ScriptedDevice::AddHat(const std::string& name)
{
    return AddObject(name, kGuidPov, kDidftPov);
}

void ScriptedDevice::PushReading(std::vector<int32_t> values)
{
    m_Readings.push_back(Reading{false, std::move(values)});
}

void ScriptedDevice::PushLost()
{
    m_Readings.push_back(Reading{true, {}});
}

uint32_t ScriptedDevice::AddObject(const std::string& name, const Guid& typeGuid, uint32_t typeBits)
{
    uint32_t& count = (typeBits & kDidftAxis)  ? m_AxisCount
                      : (typeBits & kDidftPov) ? m_HatCount
                                               : m_ButtonCount;
    DeviceObjectInstance object;
    object.typeGuid = typeGuid;
    object.type = MakeObjectType(typeBits, count++);
    object.name = name;
    m_Objects.push_back(object);
    return object.type;
}

} // namespace platform
