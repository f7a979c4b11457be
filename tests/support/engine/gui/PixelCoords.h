#pragma once

#include "engine/gui/guiCoordPair.h"

#include <utility>

namespace testsupport
{

// Short forms the widget tests write their positions and sizes in.
inline guiCoordPair Px(float x, float y)
{
    return guiCoordPair::Pixels(x, y);
}

inline std::pair<float, float> Values(const guiCoordPair& pair)
{
    return {pair.x.value, pair.y.value};
}

} // namespace testsupport
