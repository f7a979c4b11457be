#pragma once

#include "platform/audio/AudioTypes.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace platform
{
class AudioDevice;
class AudioListener;
class MusicGraph;
} // namespace platform

class SoundBuffer;
class WaveFile;

// The sound device: owns the device, sets the output format, holds the 3D listener, caches opened
// wave files by name, makes SoundBuffers, and keeps one music graph for the music volume and the
// music notification message. The sound system is its only client.
class SoundManager
{
public:
    // The window message the music graphs notify with.
    static constexpr uint32_t kMusicEventMessage = 0x8001;
    static constexpr uint16_t kOutputChannels = 2;
    static constexpr uint32_t kOutputRate = 22050;
    static constexpr uint16_t kOutputBits = 16;

    // The one device, made on first call.
    static SoundManager* Instance();

    SoundManager();
    virtual ~SoundManager();
    SoundManager(const SoundManager&) = delete;
    SoundManager& operator=(const SoundManager&) = delete;

    // False when no device or output format could be had; the program then runs silent.
    bool Init(platform::WindowHandle window);
    void Shutdown();

    platform::HResult CreateSound(std::unique_ptr<SoundBuffer>* out, const char* name, uint32_t flags,
                                  const platform::Guid& algorithm, uint32_t count);
    // The cached wave of that name, opened on first request; a wave that failed to open stays cached.
    WaveFile* GetWaveFile(const std::string& name);

    void SetMasterVolume(int32_t volume);
    void SetMusicVolume(int32_t volume);
    // Once a frame: delivers music events and applies the deferred 3D settings.
    void CommitDeferredSettings();
    // Handler of the music notification message: reads and discards the music graph's events.
    bool DrainMusicEvents();

    platform::WindowHandle GetWindow() const { return m_Window; }
    bool HasDevice() const { return m_Device != nullptr; }
    platform::MusicGraph* _MusicGraph() const { return m_MusicGraph.get(); }

private:
    void _CreateMusicGraph();
    void _ReleaseMusicGraph();
    void _RegisterMusicHandler();

    platform::WindowHandle m_Window = nullptr;
    std::unique_ptr<platform::MusicGraph> m_MusicGraph;
    bool m_Initialised = false;
    bool m_3DReady = false;
    std::unique_ptr<platform::AudioDevice> m_Device;
    std::map<std::string, std::unique_ptr<WaveFile>> m_WaveCache;
    std::shared_ptr<platform::AudioListener> m_Listener;
};
