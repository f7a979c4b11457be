#pragma once

#include "platform/audio/AudioTypes.h"

namespace platform
{

class AudioBuffer;

// A buffer's place in the 3D scene. The listener sits at the origin facing +Z with +Y up; a sound
// is at full gain within its minimum distance and at min / distance beyond it, kept at the gain of
// the maximum distance farther out, or silent there when the buffer mutes at maximum distance.
// Deferred settings wait for the listener's commit.
class Audio3DBuffer
{
public:
    explicit Audio3DBuffer(AudioBuffer& buffer) : m_Buffer(buffer) {}

    HResult SetPosition(float x, float y, float z, uint32_t apply);
    HResult SetMinDistance(float distance, uint32_t apply);
    HResult SetMaxDistance(float distance, uint32_t apply);
    // The settings in effect (not the deferred ones).
    HResult GetPosition(float& x, float& y, float& z) const;
    HResult GetMinDistance(float& distance) const;
    HResult GetMaxDistance(float& distance) const;

private:
    AudioBuffer& m_Buffer;
};

} // namespace platform
