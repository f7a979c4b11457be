#include "platform/audio/AudioOutput.h"

#include "platform/audio/SdlAudioOutput.h"

#include <mutex>

namespace platform
{

namespace
{

std::mutex g_FactoryMutex;
AudioOutputFactory g_Factory;

} // namespace

AudioOutputFactory SetAudioOutputFactory(AudioOutputFactory factory)
{
    std::lock_guard<std::mutex> lock(g_FactoryMutex);
    AudioOutputFactory previous = std::move(g_Factory);
    g_Factory = std::move(factory);
    return previous;
}

std::unique_ptr<AudioOutput> CreateAudioOutput()
{
    std::lock_guard<std::mutex> lock(g_FactoryMutex);
    if (g_Factory)
        return g_Factory();
    return std::make_unique<SdlAudioOutput>();
}

} // namespace platform
