#pragma once

#include "engine/core/kaSoundHandle.h"

#include <cstdint>

// A three-part sound: an intro played once, a loop, and an outro played once when stopped.
struct LoopedSound
{
    kaSoundHandle intro;
    kaSoundHandle loop;
    kaSoundHandle outro;
    bool unloadAfterOutro = false;
    bool is3D = false;
    int32_t frequencyControl = 0;
};
