#include "engine/render/kaBufferPool.h"

#include "engine/render/kaBuffer.h"
#include "engine/render/kaPrefetch.h"

#include "platform/system/DebugOutput.h"

kaBufferPool::kaBufferPool(kaBuffer* buffer, uint32_t capacity) : m_Capacity(capacity), m_Buffer(buffer)
{
    m_Slots.reserve(kReservedSlots);
    m_Slots.emplace_back();
    m_FreeRuns.reserve(kReservedFreeRuns);
    m_FreeRuns.push_back({0, capacity, 1});
}

kaBufferPool::~kaBufferPool() = default;

uint32_t kaBufferPool::Allocate(uint32_t count)
{
    // Slot numbers live in the low 16 bits of a handle: a pool that has used them all serves no more.
    if (m_NextSlot > 0xFFFF)
        return 0;
    for (auto run = m_FreeRuns.begin(); run != m_FreeRuns.end(); ++run)
    {
        if (run->count < count)
            continue;
        const uint32_t number = m_NextSlot++;
        m_Slots.push_back({run->start, count, 1, true});
        ++m_SlotsInUse;
        if (run->count == count)
        {
            m_FreeRuns.erase(run);
        }
        else
        {
            run->start += count;
            run->count -= count;
        }
        return number;
    }
    return 0;
}

kaBufferPool::Slot* kaBufferPool::_Find(uint32_t slot)
{
    if (slot >= m_Slots.size() || !m_Slots[slot].live)
    {
        platform::DebugPrintf("[kaBufferPool::_Find] : Unknown slot %u\n", slot);
        return nullptr;
    }
    return &m_Slots[slot];
}

const kaBufferPool::Slot* kaBufferPool::AddRef(uint32_t slot)
{
    Slot* record = _Find(slot);
    if (record)
        ++record->refCount;
    return record;
}

uint32_t kaBufferPool::Release(uint32_t slot)
{
    Slot* record = _Find(slot);
    if (record && --record->refCount <= 0)
    {
        // Runs are mostly released together (a model unloading): room for every run still live is made
        // at once rather than the list growing again and again.
        if (m_FreeRuns.size() == m_FreeRuns.capacity())
            m_FreeRuns.reserve(m_FreeRuns.size() + m_SlotsInUse);
        m_FreeRuns.push_back({record->start, record->count, 0});
        record->live = false;
        --m_SlotsInUse;
    }
    return GetSlotsInUse();
}

const kaBufferPool::Slot* kaBufferPool::GetSlot(uint32_t slot) const
{
    return slot < m_Slots.size() && m_Slots[slot].live ? &m_Slots[slot] : nullptr;
}

void kaBufferPool::PrefetchSlot(uint32_t slot) const
{
    if (slot < m_Slots.size())
        kaPrefetch(&m_Slots[slot], sizeof(Slot));
}

void* kaBufferPool::Lock(uint32_t slot, uint32_t flags)
{
    const Slot* record = _Find(slot);
    if (!record || !m_Buffer)
        return nullptr;
    m_Buffer->Seek(record->start);
    uint32_t count = record->count;
    uint32_t start = 0;
    return m_Buffer->Lock(count, start, flags);
}

void kaBufferPool::Unlock(uint32_t slot)
{
    if (_Find(slot) && m_Buffer)
        m_Buffer->Unlock();
}

kaBuffer* kaBufferPool::BeginWrite(uint32_t slot)
{
    const Slot* record = _Find(slot);
    if (!record || !m_Buffer)
        return nullptr;
    m_Buffer->BeginWrite(record->start, record->count);
    return m_Buffer.get();
}

void kaBufferPool::EndWrite(uint32_t slot)
{
    if (_Find(slot) && m_Buffer)
        m_Buffer->EndWrite();
}
