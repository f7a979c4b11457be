#pragma once

#include "platform/audio/AudioTypes.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace platform
{

class AudioMixer;
class MusicStream;

// A music player graph: a file (Ogg Vorbis, FLAC, WAV, MP3, ...) decoded by libsndfile and streamed
// into the mixer, with play control, 100-ns positions, a volume, and an event queue that notifies a
// window. A graph with no file rendered (missing or unreadable) fails every position query.
class MusicGraph
{
public:
    static HResult Create(std::unique_ptr<MusicGraph>& graph);
    ~MusicGraph();
    MusicGraph(const MusicGraph&) = delete;
    MusicGraph& operator=(const MusicGraph&) = delete;

    // Opens the file for streaming; a graph holds one file.
    HResult RenderFile(const std::wstring& path);

    HResult Run();
    HResult Pause();
    // Stops playing; the position stays where it is.
    HResult Stop();
    // The state after any pending change; changes here are immediate, so the time-out is not waited.
    HResult GetState(int32_t timeoutMs, int32_t& state) const;

    // Positions, stop position and duration in 100-ns units.
    HResult GetCapabilities(uint32_t& capabilities) const;
    HResult GetCurrentPosition(int64_t& position) const;
    HResult GetStopPosition(int64_t& position) const;
    HResult GetDuration(int64_t& duration) const;
    HResult SetPositions(const int64_t* current, uint32_t currentFlags, const int64_t* stop,
                         uint32_t stopFlags);

    // Hundredths of a decibel.
    HResult SetVolume(int32_t volume);
    HResult GetVolume(int32_t& volume) const;

    // Each new event posts the message to the window's queue (nothing is posted while the window is null).
    HResult SetNotifyWindow(WindowHandle window, uint32_t message, intptr_t param);
    // The oldest queued event; kResultFail when none is queued.
    HResult GetEvent(int32_t& code, intptr_t& param1, intptr_t& param2, int32_t timeoutMs);

    // Queues the completion of streams that reached their end and notifies their windows. Runs on the
    // program's thread, once a frame, from the sound device's pump.
    static void PumpEvents();

    // Events kept when nobody reads them.
    static constexpr size_t kMaxQueuedEvents = 64;
    static constexpr uint32_t kCanSeekAbsolute = 0x1;
    static constexpr uint32_t kCanGetCurrentPos = 0x8;
    static constexpr uint32_t kCanGetStopPos = 0x10;
    static constexpr uint32_t kCanGetDuration = 0x100;

private:
    struct Event
    {
        int32_t code;
        intptr_t param1;
        intptr_t param2;
    };

    MusicGraph() = default;
    void _Pump();
    void _QueueEvent(int32_t code);

    std::shared_ptr<AudioMixer> m_Mixer;
    std::unique_ptr<MusicStream> m_Stream;
    int32_t m_State = kGraphStopped;
    int32_t m_Volume = 0;
    WindowHandle m_NotifyWindow = nullptr;
    uint32_t m_NotifyMessage = 0;
    intptr_t m_NotifyParam = 0;
    std::deque<Event> m_Events;
};

} // namespace platform
