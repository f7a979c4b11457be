#pragma once

#include <cstdint>

namespace platform
{

// Bytes this process can still allocate without being refused or killed: the least of the memory the
// system has free, the headroom under the process's address-space limit and the headroom under its
// control group's memory limit. UINT64_MAX when none of them can be read.
uint64_t AvailableMemoryBytes();

} // namespace platform
