#include "engine/core/kaRandom.h"

namespace
{

uint32_t g_Seed = 0;

} // namespace

int RandomInt(int n)
{
    g_Seed = g_Seed * 1103515245u + 12345u;
    if (n <= 0)
        return 0;
    const uint64_t scaled = static_cast<uint64_t>(g_Seed & 0x7FFFFFFFu) * static_cast<uint64_t>(n);
    const int result = static_cast<int>(scaled >> 31);
    return result >= n ? n - 1 : result;
}

void SetRandomSeed(uint32_t seed)
{
    g_Seed = seed;
}
