#include "engine/core/kaRandom.h"

#include <cmath>

namespace
{

uint32_t g_Seed = 0;

uint32_t NextSeed()
{
    g_Seed = g_Seed * 1103515245u + 12345u;
    return g_Seed;
}

} // namespace

int RandomInt(int n)
{
    NextSeed();
    // No index to give: -1, which callers with an empty list check for.
    if (n <= 0)
        return -1;
    const uint64_t scaled = static_cast<uint64_t>(g_Seed & 0x7FFFFFFFu) * static_cast<uint64_t>(n);
    const int result = static_cast<int>(scaled >> 31);
    return result >= n ? n - 1 : result;
}

float RandomFloat()
{
    const double value = static_cast<double>(NextSeed() & 0x7FFFFFFFu) / 2147483648.0;
    // The largest draws round up to 1 in float precision; callers scale ranges by it and rely on
    // staying inside them.
    const float drawn = static_cast<float>(value);
    return drawn < 1.0f ? drawn : std::nextafter(1.0f, 0.0f);
}

void SetRandomSeed(uint32_t seed)
{
    g_Seed = seed;
}
