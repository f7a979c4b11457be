#pragma once

#include <cstdint>

// Root of the engine's vertex and index buffers: one device buffer, its capacity in elements, how many
// of them the buffer pools have handed out, and the outstanding locks.
class kaBuffer
{
public:
    virtual ~kaBuffer() = default;
    kaBuffer(const kaBuffer&) = delete;
    kaBuffer& operator=(const kaBuffer&) = delete;

    virtual uint32_t GetStride() const = 0;
    // Locks count elements at the write position; count may be shortened, start receives the first
    // element locked. Null when nothing was locked.
    virtual void* Lock(uint32_t& count, uint32_t& start, uint32_t flags) = 0;
    virtual void Unlock() = 0;
    virtual void Seek(uint32_t position) = 0;
    virtual void* BeginWrite(uint32_t /*start*/, uint32_t /*count*/) { return nullptr; }
    virtual void EndWrite() {}

    uint32_t GetCapacity() const { return m_Capacity; }
    uint32_t GetUsed() const { return m_Used; }
    void AddUsed(uint32_t count) { m_Used += count; }
    int32_t GetLockCount() const { return m_LockCount; }
    uint32_t GetPool() const { return m_Pool; }

protected:
    kaBuffer(uint32_t capacity, uint32_t pool) : m_Capacity(capacity), m_Pool(pool) {}

    uint32_t m_Capacity = 0;
    uint32_t m_Used = 0;
    int32_t m_LockCount = 0;
    uint32_t m_Pool = 0;
};
