#pragma once

#include "platform/audio/AudioTypes.h"

#include <memory>

namespace platform
{

class AudioMixer;

// The 3D listener, fixed at the origin facing +Z. Its commit applies every buffer's deferred 3D settings.
class AudioListener
{
public:
    explicit AudioListener(std::shared_ptr<AudioMixer> mixer) : m_Mixer(std::move(mixer)) {}

    HResult CommitDeferredSettings();

private:
    std::shared_ptr<AudioMixer> m_Mixer;
};

} // namespace platform
