#pragma once

#include "engine/core/LoopedSound.h"
#include "engine/core/kaSoundHandle.h"
#include "platform/audio/AudioTypes.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform
{
class Audio3DBuffer;
class MusicGraph;
}

class SoundBuffer;
class SoundEvent;
class SoundManager;
class Song;
class SongSequencerEvent;

// The sound system the game and the GUI use: sounds loaded from wave files and named by ids, played,
// stopped and shaped through kaSoundHandles; three-part sounds; a limit on impact sounds; mute
// switches; the queue of timed sound events; and the current song. Calls with a handle whose id is
// negative or not loaded do nothing.
class Wizard
{
public:
    static constexpr int32_t kMaxImpactSounds = 5;
    // LoadAndPlaySound's distances.
    static constexpr float kDefaultMaxDistance = 100.0f;
    static constexpr float kDefaultMinDistance = 4.0f;
    static constexpr uint32_t kFlagsVolume = 0x80;
    static constexpr uint32_t kFlagsFrequency = 0x20;
    static constexpr uint32_t kFlags3D = 0x20010;

    // The song graphs by part.
    enum SongGraph
    {
        kIntroGraph,
        kCurrentLoopGraph,
        kNextLoopGraph,
        kOutroGraph,
        kSongGraphCount
    };

    Wizard();
    virtual ~Wizard();
    Wizard(const Wizard&) = delete;
    Wizard& operator=(const Wizard&) = delete;

    // Keeps the sound device, its window and whether 3D sound is wanted.
    void Init(SoundManager* manager, bool enable3D);
    void Shutdown();
    // Once a frame: runs the event queue, the song sequencer among it.
    void Update(float dt);

    kaSoundHandle LoadSound(const std::string& name, bool frequencyControl, bool is3D, float x, float y,
                            float z, float maxDistance, float minDistance);
    kaSoundHandle LoadAndPlaySound(const std::string& name, int32_t volume, bool is3D, float x, float y,
                                   float z, bool unloadWhenDone);
    void UnloadSound(const kaSoundHandle& handle);
    void PlaySound(const kaSoundHandle& handle, bool unloadWhenDone, int32_t volume);
    void PlayLoopingSound(const kaSoundHandle& handle, int32_t volume);
    void StopSound(const kaSoundHandle& handle);
    bool IsSoundPlaying(const kaSoundHandle& handle) const;
    bool IsSoundLoaded(const kaSoundHandle& handle) const;
    bool SetVolume(const kaSoundHandle& handle, int32_t volume, uint32_t fadeMs);
    void SetSoundFrequency(const kaSoundHandle& handle, uint32_t hertz);
    // What a loaded sound plays at: its rate in Hz and its volume in hundredths of a decibel; 0 for a
    // sound that is not loaded.
    uint32_t GetSoundFrequency(const kaSoundHandle& handle) const;
    int32_t GetSoundPlayVolume(const kaSoundHandle& handle) const;
    bool SetSoundPosition(const kaSoundHandle& handle, float x, float y, float z);
    bool SetSoundMaxDistance(const kaSoundHandle& handle, float distance);
    bool SetSoundMinDistance(const kaSoundHandle& handle, float distance);

    void PlayImpactSound(const kaSoundHandle& handle, int32_t volume);
    bool HasFreeImpactSlot() const;
    void SetImpactSoundsDisabled(bool disabled) { m_ImpactDisabled = disabled; }
    bool AreImpactSoundsDisabled() const { return m_ImpactDisabled; }

    void StopAllSounds();
    void SetMuted(bool muted);
    bool IsMuted() const { return m_Muted; }
    bool IsMusicMuted() const { return m_MusicMuted; }
    void SetMasterVolume(int32_t volume);

    kaSoundHandle LoadLoopedSound(const std::string& intro, const std::string& loop, const std::string& outro,
                                  int32_t frequencyControl, bool is3D, float x, float y, float z,
                                  float maxDistance, float minDistance, kaSoundHandle* loopHandle,
                                  kaSoundHandle* outroHandle);
    void StartLoopedSound(const kaSoundHandle& handle);
    void StopLoopedSound(const kaSoundHandle& handle);
    void ResumeLoopedSound(const kaSoundHandle& handle);
    void SetLoopedSoundVolume(const kaSoundHandle& handle, int32_t volume, uint32_t fadeMs);
    void SetLoopedSoundFrequency(const kaSoundHandle& handle, uint32_t hertz);
    void UnloadLoopedSound(const kaSoundHandle& handle);

    void QueueEvent(SoundEvent* event);
    void ResetPendingFlag() { m_Pending = false; }

    // Songs.
    kaSoundHandle LoadSong(const std::string& fileName, bool option, bool is3D, float x, float y, float z,
                           float maxDistance, float minDistance);
    void StartSong();
    void StopSong(bool drop);
    void UnloadSong();
    void SetSongVolume(int32_t volume, uint32_t fadeMs);
    void SetMusicVolume(int32_t volume);
    void SetMusicMuted(bool muted);
    void CreateSongGraphs();
    void ReleaseSongGraphs();
    Song* GetSong() const { return m_Song.get(); }
    // Loads the current streamed song's next loop into the graph that plays after the current one.
    void LoadNextStreamLoop();

    // Where muting is shown: the GUI's sound-enabled switch, told the opposite of the mute flag.
    using SoundEnabledHook = std::function<void(bool)>;
    static SoundEnabledHook SetSoundEnabledHook(SoundEnabledHook hook);

    int32_t GetImpactSoundCount() const { return m_ImpactCount; }
    size_t GetQueuedEventCount() const;

    // For the sound events.
    void _AddImpactSound(int32_t delta);
    bool _IsLoopedStopPending() const { return m_LoopedStopPending; }
    void _SetLoopedStopPending(bool pending) { m_LoopedStopPending = pending; }
    platform::MusicGraph* _ActiveGraph() const { return m_ActiveGraph; }
    platform::MusicGraph* _SongGraph(SongGraph part) const { return m_SongGraphs[part].get(); }
    void _SwitchToGraph(SongGraph part);
    void _SwapLoopGraphs();

private:
    SoundBuffer* _Find(const kaSoundHandle& handle) const;
    // The 3D interface of a loaded sound; null for an unknown or plain sound.
    platform::Audio3DBuffer* _Find3D(const kaSoundHandle& handle) const;
    void _RemoveEvent(SoundEvent* event);
    void _DropSongEvent();
    void _ClearEvents();
    bool _ReadSongList(const std::string& fileName, bool is3D, float x, float y, float z, float maxDistance,
                       float minDistance);
    static void _RenderPart(platform::MusicGraph* graph, const std::string& path);

    std::unique_ptr<Song> m_Song;
    // The current song's sequencer event while it is queued (the queue owns it).
    SongSequencerEvent* m_SongEvent = nullptr;
    platform::WindowHandle m_Window = nullptr;
    std::unique_ptr<platform::MusicGraph> m_SongGraphs[kSongGraphCount];
    // The graph made for the notifications; the active graph is it or one of the part graphs.
    std::unique_ptr<platform::MusicGraph> m_NotifyGraph;
    platform::MusicGraph* m_ActiveGraph = nullptr;
    int32_t m_ImpactCount = 0;
    bool m_LoopedStopPending = false;
    std::map<int32_t, std::unique_ptr<LoopedSound>> m_LoopedSounds;
    SoundManager* m_SoundManager = nullptr;
    bool m_3DEnabled = false;
    bool m_Muted = false;
    bool m_MusicMuted = false;
    bool m_MusicMutedBlocksStart = false;
    bool m_ImpactDisabled = false;
    bool m_Pending = false;
    int32_t m_NextId = 0;
    std::map<int32_t, std::unique_ptr<SoundBuffer>> m_Sounds;
    std::vector<std::unique_ptr<SoundEvent>> m_Events;
    // The event whose Update is running, and whether it was removed meanwhile.
    SoundEvent* m_Running = nullptr;
    bool m_RunningRemoved = false;
    bool m_Walking = false;
};

// The sound system while it exists.
extern Wizard* g_pWizard;

// Global volumes in hundredths of a decibel: the music volume (every song part) and the sound-effects
// volume, which the game reads and passes to its play calls.
int32_t GetMusicVolume();
void SetSoundVolume(int32_t volume);
int32_t GetSoundVolume();
