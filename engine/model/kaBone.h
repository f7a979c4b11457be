#pragma once

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <cstdint>
#include <string>
#include <vector>

// One bone of a skeleton; its index is its position in the skeleton's bone list.
struct kaBone
{
    std::string name;
    std::string parentName;
    // Carries a bind-pose model-space point into the bone's space.
    platform::Matrix offset;
    // The inverse of the offset: the bone's bind transform in model space.
    platform::Matrix bind;
    kaBone* parent = nullptr;
    int32_t parentIndex = -1;
    std::vector<int32_t> children;
    // The bind origin in the parent's space; zero for a root.
    platform::Vector3 positionInParent;
};
