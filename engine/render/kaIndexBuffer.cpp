#include "engine/render/kaIndexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxIndexBuffer.h"

#include <limits>

kaIndexBuffer::kaIndexBuffer(platform::GfxDevice* device, uint32_t capacity, uint32_t pool, bool dynamic)
    : kaDeviceBuffer(capacity, pool, dynamic)
{
    const uint64_t bytes = static_cast<uint64_t>(capacity) * kIndexSize;
    m_Desc.Usage = dynamic ? kDynamicUsage : kStaticUsage;
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
