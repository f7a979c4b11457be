#pragma once

#include <cstdint>

// The process-wide random sequence: a 32-bit linear congruential seed that starts at 0.

// Advances the seed and returns an int in [0, n). A count of 0 or below gives 0.
int RandomInt(int n);

void SetRandomSeed(uint32_t seed);
