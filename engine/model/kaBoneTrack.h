#pragma once

#include "platform/gfx/math/Quaternion.h"
#include "platform/gfx/math/Vector3.h"

#include <cstddef>
#include <string>

// The keys of one bone in an animation; key k belongs to the animation's key time k.
struct kaBoneTrack
{
    struct Key
    {
        platform::Vector3 position;
        platform::Quaternion rotation;
    };

    // The track's run inside its animation's one block of keys, which outlives it unchanged.
    class Keys
    {
    public:
        Keys() = default;
        Keys(const Key* first, size_t count) : m_First(first), m_Count(count) {}

        size_t size() const { return m_Count; }
        bool empty() const { return m_Count == 0; }
        const Key& operator[](size_t index) const { return m_First[index]; }
        const Key* begin() const { return m_First; }
        const Key* end() const { return m_First + m_Count; }

    private:
        const Key* m_First = nullptr;
        size_t m_Count = 0;
    };

    Keys keys;
    std::string boneName;
};
