#include "engine/render/kaVertexBuffer.h"

#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxVertexBuffer.h"

#include <cstring>
#include <limits>

kaVertexBuffer::Layout kaVertexBuffer::ComputeLayout(uint32_t fvf)
{
    Layout layout;
    uint32_t offset = 0;
    if (fvf & platform::FVF_XYZRHW)
        layout.positionSize = 16;
    else if (fvf & platform::FVF_XYZ)
        layout.positionSize = 12;
    offset += layout.positionSize;
    if (fvf & platform::FVF_NORMAL)
    {
        layout.normalOffset = offset;
        offset += 12;
    }
    if (fvf & platform::FVF_DIFFUSE)
    {
        layout.diffuseOffset = offset;
        offset += 4;
    }
    if (fvf & platform::FVF_SPECULAR)
    {
        layout.specularOffset = offset;
        offset += 4;
    }
    layout.texCoordOffset = offset;
    if (fvf & 0x400)
        layout.texCoordBytes = 32;
    else if ((fvf & 0x300) == 0x300)
        layout.texCoordBytes = 24;
    else if (fvf & 0x200)
        layout.texCoordBytes = 16;
    else if (fvf & 0x100)
        layout.texCoordBytes = 8;
    layout.stride = offset + layout.texCoordBytes;
    return layout;
}

kaVertexBuffer::kaVertexBuffer(platform::GfxDevice* device, uint32_t fvf, uint32_t capacity, uint32_t pool,
                               bool dynamic)
    : kaDeviceBuffer(capacity, pool, dynamic), m_Fvf(fvf), m_Layout(ComputeLayout(fvf))
{
    if (dynamic)
        m_Used = capacity;
    const uint64_t bytes = static_cast<uint64_t>(capacity) * m_Layout.stride;
    m_Desc.Usage = dynamic ? kDynamicUsage : kStaticUsage;
    m_Desc.Pool = pool;
    m_Desc.Size = static_cast<uint32_t>(bytes);
    m_Desc.FVF = fvf;
    // A failed creation leaves no buffer; every lock then returns null.
    if (device && bytes > 0 && bytes <= std::numeric_limits<uint32_t>::max())
    {
        if (platform::GfxFailed(device->CreateVertexBuffer(m_Desc.Size, m_Desc.Usage, fvf, pool, &m_pBuffer)))
            m_pBuffer = nullptr;
    }
}

void kaVertexBuffer::_StartWriting(void* data, uint32_t count)
{
    m_pCursor = static_cast<uint8_t*>(data);
    m_pLockedBase = m_pCursor;
    m_pLockedEnd = data ? m_pCursor + static_cast<size_t>(count) * m_Layout.stride : nullptr;
    m_CurrentSet = 0;
    m_VerticesWritten = 0;
}

void* kaVertexBuffer::BeginWrite(uint32_t start, uint32_t count)
{
    Seek(start);
    uint32_t ignored = 0;
    void* data = Lock(count, ignored, 0);
    _StartWriting(data, count);
    return data;
}

uint32_t kaVertexBuffer::Append(uint32_t count)
{
    uint32_t start = 0;
    void* data = Lock(count, start, 0);
    _StartWriting(data, count);
    return start;
}

uint8_t* kaVertexBuffer::_Field(uint32_t offset, uint32_t size) const
{
    // Writes past the locked run would land in memory the lock never handed out.
    if (!m_pCursor || m_pCursor + offset + size > m_pLockedEnd)
        return nullptr;
    return m_pCursor + offset;
}

void kaVertexBuffer::WriteDiffuse(uint32_t color)
{
    if (!(m_Fvf & platform::FVF_DIFFUSE))
        return;
    if (uint8_t* field = _Field(m_Layout.diffuseOffset, sizeof(color)))
        std::memcpy(field, &color, sizeof(color));
}

void kaVertexBuffer::WriteTexCoord(float u, float v)
{
    const uint32_t setOffset = kTexCoordSetSize * m_CurrentSet;
    if (setOffset + kTexCoordSetSize > m_Layout.texCoordBytes)
        return;
    if (uint8_t* field = _Field(m_Layout.texCoordOffset + setOffset, kTexCoordSetSize))
    {
        const float uv[2] = {u, v};
        std::memcpy(field, uv, sizeof(uv));
        ++m_CurrentSet;
    }
}

void kaVertexBuffer::WritePosition(float x, float y, float z, float w)
{
    if (!_Field(0, m_Layout.stride))
        return;
    const float position[4] = {x, y, z, w};
    std::memcpy(m_pCursor, position, m_Layout.positionSize);
    m_CurrentSet = 0;
    ++m_VerticesWritten;
    m_pCursor += m_Layout.stride;
}
