#include "engine/render/kaIndexBuffer.h"

#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxIndexBuffer.h"

#include <limits>

kaIndexBuffer::kaIndexBuffer(platform::GfxDevice* device, uint32_t capacity, uint32_t pool, bool dynamic)
    : kaBuffer(capacity, pool), m_Dynamic(dynamic), m_DiscardPending(dynamic)
{
    const uint64_t bytes = static_cast<uint64_t>(capacity) * kIndexSize;
    m_Desc.Usage = dynamic ? kaVertexBuffer::kDynamicUsage : kaVertexBuffer::kStaticUsage;
    m_Desc.Pool = pool;
    m_Desc.Size = static_cast<uint32_t>(bytes);
    if (device && bytes > 0 && bytes <= std::numeric_limits<uint32_t>::max())
    {
        if (platform::GfxFailed(device->CreateIndexBuffer(m_Desc.Size, m_Desc.Usage, platform::FMT_INDEX16,
                                                          pool, &m_pBuffer)))
            m_pBuffer = nullptr;
        else if (dynamic)
            m_pBuffer->GetDesc(&m_Desc);
    }
}

kaIndexBuffer::~kaIndexBuffer()
{
    if (m_pBuffer)
    {
        if (m_LockCount > 0)
        {
            m_pBuffer->Unlock();
            m_Locked = false;
            --m_LockCount;
        }
        m_pBuffer->Release();
    }
}

void* kaIndexBuffer::Lock(uint32_t& count, uint32_t& start, uint32_t flags)
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
        flags = kaVertexBuffer::kAppendLockFlags;
        if (m_DiscardPending || static_cast<uint64_t>(m_WritePosition) + count > m_Capacity)
        {
            m_DiscardPending = false;
            m_WritePosition = 0;
            flags = kaVertexBuffer::kDiscardLockFlags;
        }
    }
    const uint64_t offset = static_cast<uint64_t>(m_WritePosition) * kIndexSize;
    void* data = nullptr;
    if (offset <= std::numeric_limits<uint32_t>::max() &&
        platform::GfxSucceeded(
            m_pBuffer->Lock(static_cast<uint32_t>(offset), count * kIndexSize, &data, flags)))
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

void kaIndexBuffer::Unlock()
{
    if (m_pBuffer && m_LockCount >= 1)
    {
        m_pBuffer->Unlock();
        m_Locked = false;
        --m_LockCount;
    }
}

void* kaIndexBuffer::BeginWrite(uint32_t start, uint32_t count)
{
    Seek(start);
    uint32_t ignored = 0;
    void* data = Lock(count, ignored, 0);
    m_pCursor = static_cast<uint16_t*>(data);
    m_pLockedBase = m_pCursor;
    m_pLockedEnd = data ? m_pCursor + count : nullptr;
    m_IndicesWritten = 0;
    return data;
}

void kaIndexBuffer::WriteIndex(uint16_t index)
{
    // Writes past the locked run would land in memory the lock never handed out.
    if (!m_pCursor || m_pCursor >= m_pLockedEnd)
        return;
    *m_pCursor++ = index;
    ++m_IndicesWritten;
}
