#pragma once

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <string>
#include <vector>

// The keys of one bone in an animation; key k belongs to the animation's key time k.
struct kaBoneTrack
{
    struct Key
    {
        platform::Vector3 position;
        platform::Quaternion rotation;
    };

    std::vector<Key> keys;
    std::string boneName;
};
