#include "platform/gfx/MemoryVertexBuffer.h"

#include "platform/gfx/StateDevice.h"

#include <string>

namespace platform
{

MemoryVertexBuffer::MemoryVertexBuffer(StateDevice* device, const VertexBufferDesc& desc)
    : m_Link(device, this, desc.Pool), m_Desc(desc), m_Storage(desc.Size)
{
}

GfxResult MemoryVertexBuffer::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (StateDevice* device = m_Link.Device())
    {
        const GfxResult scripted = device->Enter(
            "VertexBuffer::Lock", [&]
            { return std::to_string(offset) + " " + std::to_string(size) + " " + std::to_string(flags); });
        if (GfxFailed(scripted))
            return scripted;
    }
    return m_Storage.Lock(offset, size, data, flags);
}

GfxResult MemoryVertexBuffer::Unlock()
{
    if (StateDevice* device = m_Link.Device())
        device->Enter("VertexBuffer::Unlock", [] { return std::string(); });
    bool last = false;
    uint32_t begin = 0, end = 0;
    const GfxResult result = m_Storage.Unlock(&last, &begin, &end);
    if (last && end > begin && m_Link.Device())
        OnUnlocked(begin, end);
    return result;
}

GfxResult MemoryVertexBuffer::GetDesc(VertexBufferDesc* desc) const
{
    if (!desc)
        return GFXERR_INVALIDCALL;
    *desc = m_Desc;
    return GFX_OK;
}

} // namespace platform
