#include "platform/gfx/MemoryBuffer.h"

#include "platform/gfx/GfxIndexBuffer.h"
#include "platform/gfx/GfxVertexBuffer.h"
#include "platform/gfx/StateDevice.h"

#include <string>

namespace platform
{

template <class Interface, class DescType>
MemoryBuffer<Interface, DescType>::MemoryBuffer(StateDevice* device, const DescType& desc,
                                                const char* lockName, const char* unlockName)
    : m_Link(device, this, desc.Pool), m_Desc(desc), m_Storage(desc.Size), m_LockName(lockName),
      m_UnlockName(unlockName)
{
}

template <class Interface, class DescType>
GfxResult MemoryBuffer<Interface, DescType>::Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags)
{
    if (StateDevice* device = m_Link.Device())
    {
        const GfxResult scripted = device->Enter(
            m_LockName, [&]
            { return std::to_string(offset) + " " + std::to_string(size) + " " + std::to_string(flags); });
        if (GfxFailed(scripted))
            return scripted;
    }
    // A dynamic buffer's discard starts a fresh buffer of which the engine writes runs: its bytes still
    // read as zero. Only a static buffer's discard carries the promise to write the whole range.
    const uint32_t storageFlags = (m_Desc.Usage & USAGE_DYNAMIC) ? flags & ~uint32_t(LOCK_DISCARD) : flags;
    return m_Storage.Lock(offset, size, data, storageFlags);
}

template <class Interface, class DescType> GfxResult MemoryBuffer<Interface, DescType>::Unlock()
{
    if (StateDevice* device = m_Link.Device())
        device->Enter(m_UnlockName, [] { return std::string(); });
    bool last = false;
    uint32_t begin = 0, end = 0;
    const GfxResult result = m_Storage.Unlock(&last, &begin, &end);
    if (last && end > begin)
        ++m_Writes;
    if (last && end > begin && m_Link.Device())
        OnUnlocked(begin, end);
    return result;
}

template <class Interface, class DescType>
GfxResult MemoryBuffer<Interface, DescType>::GetDesc(DescType* desc) const
{
    if (!desc)
        return GFXERR_INVALIDCALL;
    *desc = m_Desc;
    return GFX_OK;
}

template class MemoryBuffer<GfxVertexBuffer, VertexBufferDesc>;
template class MemoryBuffer<GfxIndexBuffer, IndexBufferDesc>;

} // namespace platform
