#include "platform/audio/Audio3DBuffer.h"

#include "platform/audio/AudioBuffer.h"
#include "platform/audio/AudioMixer.h"

#include <cmath>
#include <mutex>

namespace platform
{

HResult Audio3DBuffer::SetPosition(float x, float y, float z, uint32_t apply)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || apply > kApplyDeferred)
        return kResultInvalidArg;
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    m_Buffer.m_PendingSpatial.x = x;
    m_Buffer.m_PendingSpatial.y = y;
    m_Buffer.m_PendingSpatial.z = z;
    if (apply == kApplyImmediate)
    {
        m_Buffer.m_Spatial.x = x;
        m_Buffer.m_Spatial.y = y;
        m_Buffer.m_Spatial.z = z;
    }
    return kResultOk;
}

HResult Audio3DBuffer::SetMinDistance(float distance, uint32_t apply)
{
    if (!(distance > 0.0f) || !std::isfinite(distance) || apply > kApplyDeferred)
        return kResultInvalidArg;
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    m_Buffer.m_PendingSpatial.minDistance = distance;
    if (apply == kApplyImmediate)
        m_Buffer.m_Spatial.minDistance = distance;
    return kResultOk;
}

HResult Audio3DBuffer::SetMaxDistance(float distance, uint32_t apply)
{
    if (!(distance > 0.0f) || !std::isfinite(distance) || apply > kApplyDeferred)
        return kResultInvalidArg;
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    m_Buffer.m_PendingSpatial.maxDistance = distance;
    if (apply == kApplyImmediate)
        m_Buffer.m_Spatial.maxDistance = distance;
    return kResultOk;
}

HResult Audio3DBuffer::GetPosition(float& x, float& y, float& z) const
{
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    x = m_Buffer.m_Spatial.x;
    y = m_Buffer.m_Spatial.y;
    z = m_Buffer.m_Spatial.z;
    return kResultOk;
}

HResult Audio3DBuffer::GetMinDistance(float& distance) const
{
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    distance = m_Buffer.m_Spatial.minDistance;
    return kResultOk;
}

HResult Audio3DBuffer::GetMaxDistance(float& distance) const
{
    std::lock_guard<std::mutex> lock(m_Buffer.m_Mixer->Mutex());
    distance = m_Buffer.m_Spatial.maxDistance;
    return kResultOk;
}

} // namespace platform
