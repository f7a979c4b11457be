#include "platform/audio/AudioListener.h"

#include "platform/audio/AudioMixer.h"

namespace platform
{

HResult AudioListener::CommitDeferredSettings()
{
    std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
    m_Mixer->CommitDeferred();
    return kResultOk;
}

} // namespace platform
