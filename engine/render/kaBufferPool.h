#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class kaBuffer;

// One shared buffer handed out as numbered runs of elements, each with a reference count. Free space is
// a list of runs served first fit and never merged; slot numbers start at 1 and are never reused.
class kaBufferPool
{
public:
    struct Slot
    {
        uint32_t start = 0;
        uint32_t count = 0;
        int32_t refCount = 0;
        bool live = false;
    };

    struct FreeRun
    {
        uint32_t start = 0;
        uint32_t count = 0;
        uint32_t tag = 0;
    };

    // Takes ownership of the buffer.
    kaBufferPool(kaBuffer* buffer, uint32_t capacity);
    ~kaBufferPool();
    kaBufferPool(const kaBufferPool&) = delete;
    kaBufferPool& operator=(const kaBufferPool&) = delete;

    // The new slot's number, or 0 when no free run holds count elements.
    uint32_t Allocate(uint32_t count);
    // Null for a slot the pool does not hold.
    const Slot* AddRef(uint32_t slot);
    // The number of slots still in use. Releasing an unknown slot changes nothing.
    uint32_t Release(uint32_t slot);
    const Slot* GetSlot(uint32_t slot) const;
    // Asks the cache for the slot's record, for a draw that will look it up soon; unknown slots ask nothing.
    void PrefetchSlot(uint32_t slot) const;

    // Unknown slots lock and write nothing: a run of size 0 would reach the whole buffer. Flags go to the
    // device as they are.
    void* Lock(uint32_t slot, uint32_t flags = 0);
    void Unlock(uint32_t slot);
    kaBuffer* BeginWrite(uint32_t slot);
    void EndWrite(uint32_t slot);

    kaBuffer* GetBuffer() const { return m_Buffer.get(); }
    uint32_t GetCapacity() const { return m_Capacity; }
    uint32_t GetSlotsInUse() const { return m_SlotsInUse; }
    const std::vector<FreeRun>& GetFreeRuns() const { return m_FreeRuns; }

private:
    // Room made up front for the runs a pool usually serves, so that the first few grow nothing.
    static constexpr size_t kReservedSlots = 16;
    static constexpr size_t kReservedFreeRuns = 4;

    Slot* _Find(uint32_t slot);

    uint32_t m_Capacity = 0;
    uint32_t m_NextSlot = 1;
    std::unique_ptr<kaBuffer> m_Buffer;
    // Indexed by slot number (entry 0 unused), as numbers are handed out in order; every draw looks one up.
    std::vector<Slot> m_Slots;
    uint32_t m_SlotsInUse = 0;
    // In the order they were freed; a run served whole leaves the list, others shrink where they are.
    std::vector<FreeRun> m_FreeRuns;
};
