#pragma once

#include "engine/render/kaBuffer.h"

#include "platform/gfx/GfxTypes.h"

#include <cstdint>

namespace platform
{
class GfxIndexBuffer;
class GfxVertexBuffer;
} // namespace platform

// What the engine's vertex and index buffers share: the device buffer and its lock policy. Static buffers
// lock where they were sought to with the caller's flags; dynamic ones append without overwriting and
// discard when a run no longer fits. Subclasses create the device buffer in their constructors.
// Defined for the two device buffer kinds in kaDeviceBuffer.cpp.
template <class DeviceBuffer> class kaDeviceBuffer : public kaBuffer
{
public:
    static constexpr uint32_t kStaticUsage = platform::USAGE_WRITEONLY;
    static constexpr uint32_t kDynamicUsage = platform::USAGE_DYNAMIC | platform::USAGE_WRITEONLY;
    static constexpr uint32_t kAppendLockFlags = platform::LOCK_NOOVERWRITE | platform::LOCK_NOSYSLOCK;
    static constexpr uint32_t kDiscardLockFlags = platform::LOCK_DISCARD | platform::LOCK_NOSYSLOCK;

    ~kaDeviceBuffer() override;

    void* Lock(uint32_t& count, uint32_t& start, uint32_t flags) override;
    void Unlock() override;
    void Seek(uint32_t position) override { m_WritePosition = position; }

    DeviceBuffer* GetD3DBuffer() const { return m_pBuffer; }
    void* GetLockedData() const { return m_pLockedData; }
    bool IsDynamic() const { return m_Dynamic; }
    bool IsLocked() const { return m_Locked; }
    uint32_t GetWritePosition() const { return m_WritePosition; }

protected:
    kaDeviceBuffer(uint32_t capacity, uint32_t pool, bool dynamic)
        : kaBuffer(capacity, pool), m_Dynamic(dynamic), m_DiscardPending(dynamic)
    {
    }

    // Dynamic buffers: the next lock starts a fresh buffer at 0.
    void _DiscardOnNextLock()
    {
        if (m_Dynamic)
            m_DiscardPending = true;
    }

    DeviceBuffer* m_pBuffer = nullptr;

private:
    bool m_Dynamic = false;
    uint32_t m_WritePosition = 0;
    bool m_Locked = false;
    bool m_DiscardPending = false;
    void* m_pLockedData = nullptr;
};

extern template class kaDeviceBuffer<platform::GfxVertexBuffer>;
extern template class kaDeviceBuffer<platform::GfxIndexBuffer>;
