#pragma once

#include <cstddef>
#include <cstdint>

// Base for classes that want class-level allocation carrying the source file and line. Here it is a
// plain shell: allocation goes straight to the global heap, nothing is counted, and the break points are
// stored but never acted on.
class CMemoryDebugBase
{
public:
    CMemoryDebugBase() = default;
    CMemoryDebugBase(const CMemoryDebugBase&) = default;
    virtual ~CMemoryDebugBase() = default;
    // Copies nothing: the class has no state of its own.
    CMemoryDebugBase& operator=(const CMemoryDebugBase&) { return *this; }

    // Always 0.
    static int GetAllocationCount();
    static void SetAllocationBreakPoint(long n);
    static void ClearAllocationBreakPoint();
    static void SetDeleteBreakPoint(long n);
    static void ClearDeleteBreakPoint();
    static void SetDebugBreakPoint(long n);

    // From the global heap; on failure the installed new handler runs and the allocation is retried,
    // and without a handler std::bad_alloc is thrown. File and line are ignored.
    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const char* file, int line);
    static void* operator new[](std::size_t size);
    static void* operator new[](std::size_t size, const char* file, int line);

    // Return the block to the global heap; null is allowed.
    static void operator delete(void* block);
    static void operator delete(void* block, const char* file, int line);
    static void operator delete(void* block, int kind, const char* file, int line);
    static void operator delete[](void* block);
    static void operator delete[](void* block, const char* file, int line);
    static void operator delete[](void* block, int kind, const char* file, int line);
    // Pairs with a placement form that owns nothing, so it frees nothing.
    static void operator delete(void* block, void* place);

private:
    static int32_t ms_AllocationCount;
    static int32_t ms_AllocationBreakPoint;
    static int32_t ms_DeleteBreakPoint;
    static uint32_t ms_DebugCounter;
    static bool ms_DebugBreakArmed;
};
