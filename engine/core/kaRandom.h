#pragma once

#include <cstdint>

// The process-wide random sequence: a 32-bit linear congruential seed that starts at 0.

// Advances the seed and returns an int in [0, n). A count of 0 or below gives -1 (the seed still advances).
int RandomInt(int n);

// Advances the same seed and returns its low 31 bits over 2^31: uniform in [0, 1), never 1.
float RandomFloat();

void SetRandomSeed(uint32_t seed);
