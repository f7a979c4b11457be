#pragma once

#include <cstddef>
#include <cstdint>

// Asks for the cache lines that cover [address, address + bytes) and goes on without waiting for them.
// A prefetch never faults, so a stale or null address costs nothing but the request.
inline void kaPrefetch(const void* address, size_t bytes = 1)
{
    constexpr uintptr_t kLine = 64;
    const uintptr_t start = reinterpret_cast<uintptr_t>(address);
    const uintptr_t last = (start + (bytes ? bytes - 1 : 0)) & ~(kLine - 1);
    for (uintptr_t line = start & ~(kLine - 1); line <= last; line += kLine)
    {
        __builtin_prefetch(reinterpret_cast<const void*>(line));
        // The compiler takes a loop of nothing but prefetches for an empty one and drops it whole.
        asm volatile("");
    }
}
