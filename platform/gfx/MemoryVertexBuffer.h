#pragma once

#include "platform/gfx/BufferStorage.h"
#include "platform/gfx/DeviceChild.h"
#include "platform/gfx/GfxVertexBuffer.h"

namespace platform
{

class StateDevice;

// A vertex buffer kept in CPU memory; always readable, write-only ones too.
class MemoryVertexBuffer : public GfxVertexBuffer
{
public:
    MemoryVertexBuffer(StateDevice* device, const VertexBufferDesc& desc);

    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    GfxResult Unlock() override;
    GfxResult GetDesc(VertexBufferDesc* desc) const override;
    uint32_t GetType() const override { return RTYPE_VERTEXBUFFER; }
    uint32_t GetPool() const override { return m_Desc.Pool; }

    const VertexBufferDesc& Desc() const { return m_Desc; }
    const uint8_t* Data() const { return m_Storage.Data(); }
    uint32_t Size() const { return m_Storage.Size(); }
    bool IsLocked() const { return m_Storage.LockCount() > 0; }

protected:
    // A back end copies the written bytes to its own buffer here.
    virtual void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) { (void)dirtyBegin, (void)dirtyEnd; }
    StateDevice* Device() const { return m_Link.Device(); }

private:
    DeviceChild m_Link;
    VertexBufferDesc m_Desc;
    BufferStorage m_Storage;
};

} // namespace platform
