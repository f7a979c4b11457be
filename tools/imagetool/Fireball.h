#pragma once

#include "tools/imagetool/Picture.h"

#include <cstdint>

// An explosion's flash for a billboard: a white-yellow core through orange to a dark red rim, ragged by a
// fixed pattern of flames, clear beyond them.
Picture Fireball(uint32_t size);
