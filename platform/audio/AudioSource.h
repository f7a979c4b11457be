#pragma once

#include <cstdint>

namespace platform
{

// Something the mixer pulls samples from: a playing buffer or a music stream. Every call comes with
// the mixer's lock held.
class AudioSource
{
public:
    virtual ~AudioSource() = default;

    // Adds frames of stereo float samples (left, right interleaved) at the output rate to mix.
    virtual void Mix(float* mix, uint32_t frames, uint32_t outputRate) = 0;
    // Applies 3D settings that were set deferred.
    virtual void CommitDeferred() {}
};

} // namespace platform
