#include "engine/render/kaDeviceBuffer.h"

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <limits>

template <class DeviceBuffer> kaDeviceBuffer<DeviceBuffer>::~kaDeviceBuffer()
{
    if (m_pBuffer)
    {
        if (m_LockCount > 0)
            kaDeviceBuffer::Unlock();
        m_pBuffer->Release();
    }
}

template <class DeviceBuffer>
void* kaDeviceBuffer<DeviceBuffer>::Lock(uint32_t& count, uint32_t& start, uint32_t flags)
{
    start = 0;
    // The device reads a size of 0 as "to the end"; an empty run locks nothing.
    if (count > m_Capacity || count == 0)
        return nullptr;
    if (!m_pBuffer)
    {
        m_pLockedData = nullptr;
        return nullptr;
    }
    if (m_Dynamic)
    {
        flags = kAppendLockFlags;
        if (m_DiscardPending || static_cast<uint64_t>(m_WritePosition) + count > m_Capacity)
        {
            m_DiscardPending = false;
            m_WritePosition = 0;
            flags = kDiscardLockFlags;
        }
    }
    const uint32_t stride = GetStride();
    const uint64_t offset = static_cast<uint64_t>(m_WritePosition) * stride;
    void* data = nullptr;
    if (offset <= std::numeric_limits<uint32_t>::max() &&
        platform::GfxSucceeded(m_pBuffer->Lock(static_cast<uint32_t>(offset), count * stride, &data, flags)))
    {
        ++m_LockCount;
        m_Locked = true;
        start = m_WritePosition;
        m_WritePosition += count;
    }
    else
    {
        data = nullptr;
    }
    m_pLockedData = data;
    return data;
}

template <class DeviceBuffer> void kaDeviceBuffer<DeviceBuffer>::Unlock()
{
    if (m_pBuffer && m_LockCount >= 1)
    {
        m_pBuffer->Unlock();
        m_Locked = false;
        --m_LockCount;
    }
}

template class kaDeviceBuffer<platform::GfxVertexBuffer>;
template class kaDeviceBuffer<platform::GfxIndexBuffer>;
