#include "platform/system/AvailableMemory.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace platform
{
namespace
{

constexpr uint64_t kUnknown = std::numeric_limits<uint64_t>::max();

// "MemAvailable:" counts what the kernel can hand out without swapping, page cache included.
uint64_t SystemAvailable()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    uint64_t kilobytes = 0;
    std::string unit;
    while (meminfo >> key >> kilobytes)
    {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:")
            return kilobytes * 1024;
    }
    return kUnknown;
}

uint64_t MappedBytes()
{
    std::ifstream statm("/proc/self/statm");
    uint64_t pages = 0;
    if (!(statm >> pages))
        return 0;
    return pages * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

uint64_t AddressSpaceHeadroom()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return kUnknown;
    const uint64_t mapped = MappedBytes();
    return limit.rlim_cur > mapped ? limit.rlim_cur - mapped : 0;
}

uint64_t ReadNumber(const std::string& path)
{
    std::ifstream file(path);
    std::string text;
    if (!(file >> text) || text == "max")
        return kUnknown;
    try
    {
        return std::stoull(text);
    }
    catch (...)
    {
        return kUnknown;
    }
}

// The unified hierarchy's group of this process ("0::/path").
uint64_t ControlGroupHeadroom()
{
    std::ifstream groups("/proc/self/cgroup");
    std::string line;
    while (std::getline(groups, line))
    {
        if (line.compare(0, 3, "0::") != 0)
            continue;
        const std::string folder = "/sys/fs/cgroup" + line.substr(3);
        const uint64_t limit = ReadNumber(folder + "/memory.max");
        if (limit == kUnknown)
            return kUnknown;
        const uint64_t used = ReadNumber(folder + "/memory.current");
        if (used == kUnknown)
            return limit;
        return limit > used ? limit - used : 0;
    }
    return kUnknown;
}

} // namespace

uint64_t AvailableMemoryBytes()
{
    return std::min({SystemAvailable(), AddressSpaceHeadroom(), ControlGroupHeadroom()});
}

} // namespace platform
