#include "platform/input/ScriptedInputDevice.h"

#include "platform/input/ScriptedDevice.h"

namespace platform
{

ScriptedInputDevice::ScriptedInputDevice(std::shared_ptr<ScriptedDevice> script)
    : InputDeviceBase(script->Instance().devType, script->Objects()), m_Script(std::move(script))
{
    m_Script->m_Live = this;
}

ScriptedInputDevice::~ScriptedInputDevice()
{
    if (m_Script->m_Live == this)
        m_Script->m_Live = nullptr;
}

HResult ScriptedInputDevice::SetDataFormat(const DataFormat& format)
{
    if (m_Script->m_DataFormatFails)
        return kDiErrInvalidParam;
    return InputDeviceBase::SetDataFormat(format);
}

HResult ScriptedInputDevice::Acquire()
{
    if (m_RefuseAcquire)
    {
        m_RefuseAcquire = false;
        return kDiErrOtherAppHasPrio;
    }
    return InputDeviceBase::Acquire();
}

HResult ScriptedInputDevice::GetDeviceState(uint32_t size, void* data)
{
    if (IsAcquired() && !m_Script->m_Readings.empty())
    {
        ScriptedDevice::Reading reading = std::move(m_Script->m_Readings.front());
        m_Script->m_Readings.pop_front();
        if (reading.lost)
        {
            LoseAcquisition();
            m_RefuseAcquire = true;
            return kDiErrInputLost;
        }
        m_Values = std::move(reading.values);
    }
    return InputDeviceBase::GetDeviceState(size, data);
}

int32_t ScriptedInputDevice::ReadObject(size_t index)
{
    if (index < m_Values.size())
        return m_Values[index];
    const bool hat = (ObjectTypeBits(Objects()[index].type) & kDidftPov) != 0;
    return hat ? kPovCentred : 0;
}

} // namespace platform
