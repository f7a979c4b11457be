#include "engine/core/CMemoryDebugBase.h"

#include <cstdlib>
#include <new>

int32_t CMemoryDebugBase::ms_AllocationCount = 0;
int32_t CMemoryDebugBase::ms_AllocationBreakPoint = -1;
int32_t CMemoryDebugBase::ms_DeleteBreakPoint = -1;
uint32_t CMemoryDebugBase::ms_DebugCounter = 0;
bool CMemoryDebugBase::ms_DebugBreakArmed = false;

namespace
{

void* AllocateFromHeap(std::size_t size)
{
    // A zero-byte request still needs a unique block.
    const std::size_t bytes = size == 0 ? 1 : size;
    for (;;)
    {
        if (void* block = std::malloc(bytes))
            return block;
        const std::new_handler handler = std::get_new_handler();
        if (handler == nullptr)
            throw std::bad_alloc();
        handler();
    }
}

} // namespace

int CMemoryDebugBase::GetAllocationCount()
{
    return ms_AllocationCount;
}

void CMemoryDebugBase::SetAllocationBreakPoint(long n)
{
    ms_AllocationBreakPoint = static_cast<int32_t>(n);
}

void CMemoryDebugBase::ClearAllocationBreakPoint()
{
    ms_AllocationBreakPoint = -1;
}

void CMemoryDebugBase::SetDeleteBreakPoint(long n)
{
    ms_DeleteBreakPoint = static_cast<int32_t>(n);
}

void CMemoryDebugBase::ClearDeleteBreakPoint()
{
    ms_DeleteBreakPoint = -1;
    ms_DebugCounter = 0;
    ms_DebugBreakArmed = false;
}

void CMemoryDebugBase::SetDebugBreakPoint(long n)
{
    ms_AllocationBreakPoint = static_cast<int32_t>(n);
    ms_DebugCounter = 0;
    ms_DebugBreakArmed = true;
}

void* CMemoryDebugBase::operator new(std::size_t size)
{
    return AllocateFromHeap(size);
}

void* CMemoryDebugBase::operator new(std::size_t size, const char*, int)
{
    return AllocateFromHeap(size);
}

void* CMemoryDebugBase::operator new[](std::size_t size)
{
    return AllocateFromHeap(size);
}

void* CMemoryDebugBase::operator new[](std::size_t size, const char*, int)
{
    return AllocateFromHeap(size);
}

void CMemoryDebugBase::operator delete(void* block)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete(void* block, const char*, int)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete(void* block, int, const char*, int)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete[](void* block)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete[](void* block, const char*, int)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete[](void* block, int, const char*, int)
{
    std::free(block);
}

void CMemoryDebugBase::operator delete(void*, void*) {}
