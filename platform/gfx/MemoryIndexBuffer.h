#pragma once

#include "platform/gfx/BufferStorage.h"
#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxIndexBuffer.h"

namespace platform
{

class StateDevice;

// A index buffer kept in CPU memory; always readable, write-only ones too.
class MemoryIndexBuffer : public GfxIndexBuffer
{
public:
    MemoryIndexBuffer(StateDevice* device, const IndexBufferDesc& desc);

    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    GfxResult Unlock() override;
    GfxResult GetDesc(IndexBufferDesc* desc) const override;
    uint32_t GetType() const override { return RTYPE_INDEXBUFFER; }
    uint32_t GetPool() const override { return m_Desc.Pool; }

    const IndexBufferDesc& Desc() const { return m_Desc; }
    const uint8_t* Data() const { return m_Storage.Data(); }
    uint32_t Size() const { return m_Storage.Size(); }
    bool IsLocked() const { return m_Storage.LockCount() > 0; }

protected:
    // A back end copies the written bytes to its own buffer here.
    virtual void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) { (void)dirtyBegin, (void)dirtyEnd; }
    StateDevice* Device() const { return m_Link.Device(); }

private:
    DeviceChild m_Link;
    IndexBufferDesc m_Desc;
    BufferStorage m_Storage;
};

} // namespace platform
