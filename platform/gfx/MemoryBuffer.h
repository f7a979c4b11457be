#pragma once

#include "platform/gfx/BufferStorage.h"
#include "platform/gfx/DeviceChild.h"

namespace platform
{

class StateDevice;

// A vertex or index buffer kept in CPU memory; always readable, write-only ones too. The two kinds differ
// only in their interface and description, so they share this body (instantiated in MemoryBuffer.cpp).
template <class Interface, class DescType> class MemoryBuffer : public Interface
{
public:
    GfxResult Lock(uint32_t offset, uint32_t size, void** data, uint32_t flags) override;
    GfxResult Unlock() override;
    GfxResult GetDesc(DescType* desc) const override;
    uint32_t GetPool() const override { return m_Desc.Pool; }

    const DescType& Desc() const { return m_Desc; }
    const uint8_t* Data() const { return m_Storage.Data(); }
    uint32_t Size() const { return m_Storage.Size(); }
    bool IsLocked() const { return m_Storage.LockCount() > 0; }
    // Counts the completed writes, so that what is derived from the contents knows when to look again.
    uint32_t WriteCount() const { return m_Writes; }
    // The back end's own copy (a GL buffer name), or 0 when there is none.
    uint32_t DeviceName() const { return m_DeviceName; }
    // The copy a draw in the given frame reads: the back end's (brought up to date first) or, as 0, the
    // CPU copy.
    virtual uint32_t DrawName(uint64_t frame)
    {
        (void)frame;
        return 0;
    }

protected:
    // lockName and unlockName are the calls as the device's script knows them, e.g. "IndexBuffer::Lock".
    MemoryBuffer(StateDevice* device, const DescType& desc, const char* lockName, const char* unlockName);

    // A back end copies the written bytes to its own buffer here.
    virtual void OnUnlocked(uint32_t dirtyBegin, uint32_t dirtyEnd) { (void)dirtyBegin, (void)dirtyEnd; }
    StateDevice* Device() const { return m_Link.Device(); }
    void SetDeviceName(uint32_t name) { m_DeviceName = name; }

private:
    DeviceChild m_Link;
    DescType m_Desc;
    BufferStorage m_Storage;
    const char* m_LockName;
    const char* m_UnlockName;
    uint32_t m_Writes = 0;
    uint32_t m_DeviceName = 0;
};

} // namespace platform
