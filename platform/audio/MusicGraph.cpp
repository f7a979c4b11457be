#include "platform/audio/MusicGraph.h"

#include "platform/audio/AudioMixer.h"
#include "platform/audio/MusicStream.h"
#include "platform/window/Window.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <set>
#include <vector>

namespace platform
{

namespace
{

// Live graphs, touched only on the program's thread. Never destroyed, so graphs held by static
// objects may still be released at exit.
std::set<MusicGraph*>& LiveGraphs()
{
    static auto* graphs = new std::set<MusicGraph*>();
    return *graphs;
}

int64_t FramesToUnits(uint64_t frames, uint32_t rate)
{
    return static_cast<int64_t>(frames / rate) * kUnitsPerSecond +
           static_cast<int64_t>((frames % rate) * kUnitsPerSecond / rate);
}

uint64_t UnitsToFrames(int64_t units, uint32_t rate)
{
    if (units <= 0)
        return 0;
    return static_cast<uint64_t>(units / kUnitsPerSecond) * rate +
           static_cast<uint64_t>(units % kUnitsPerSecond) * rate / kUnitsPerSecond;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    char buffer[MB_LEN_MAX];
    std::mbstate_t state{};
    for (wchar_t c : text)
    {
        const size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<size_t>(-1))
            return std::string();
        out.append(buffer, n);
    }
    return out;
}

} // namespace

HResult MusicGraph::Create(std::unique_ptr<MusicGraph>& graph)
{
    graph.reset(new MusicGraph());
    LiveGraphs().insert(graph.get());
    return kResultOk;
}

MusicGraph::~MusicGraph()
{
    LiveGraphs().erase(this);
    if (m_Mixer && m_Stream)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        m_Mixer->RemoveSource(m_Stream.get());
    }
}

HResult MusicGraph::RenderFile(const std::wstring& path)
{
    if (m_Stream)
        return kResultInvalidCall;
    const std::string narrow = Narrow(path);
    auto stream = std::make_unique<MusicStream>();
    if (narrow.empty() || !stream->Open(narrow))
        return kResultFail;
    stream->SetGain(AudioMixer::VolumeToGain(m_Volume));
    // Without an audio output the file is still open and answers queries; it only never advances.
    m_Mixer = AudioMixer::Acquire();
    m_Stream = std::move(stream);
    if (m_Mixer)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        m_Mixer->AddSource(m_Stream.get());
    }
    return kResultOk;
}

HResult MusicGraph::Run()
{
    m_State = kGraphRunning;
    if (m_Stream && m_Mixer)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        m_Stream->SetPlaying(true);
    }
    return kResultOk;
}

HResult MusicGraph::Pause()
{
    m_State = kGraphPaused;
    if (m_Stream && m_Mixer)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        m_Stream->SetPlaying(false);
    }
    return kResultOk;
}

HResult MusicGraph::Stop()
{
    m_State = kGraphStopped;
    if (m_Stream && m_Mixer)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        m_Stream->SetPlaying(false);
    }
    return kResultOk;
}

HResult MusicGraph::GetState(int32_t /*timeoutMs*/, int32_t& state) const
{
    state = m_State;
    return kResultOk;
}

HResult MusicGraph::GetCapabilities(uint32_t& capabilities) const
{
    capabilities = 0;
    if (!m_Stream)
        return kResultFail;
    capabilities = kCanSeekAbsolute | kCanGetCurrentPos | kCanGetStopPos | kCanGetDuration;
    return kResultOk;
}

HResult MusicGraph::GetCurrentPosition(int64_t& position) const
{
    position = 0;
    if (!m_Stream)
        return kResultFail;
    if (m_Mixer)
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        position = FramesToUnits(m_Stream->Position(), m_Stream->Rate());
    }
    else
    {
        position = FramesToUnits(m_Stream->Position(), m_Stream->Rate());
    }
    return kResultOk;
}

HResult MusicGraph::GetStopPosition(int64_t& position) const
{
    position = 0;
    if (!m_Stream)
        return kResultFail;
    position = FramesToUnits(m_Stream->StopFrame(), m_Stream->Rate());
    return kResultOk;
}

HResult MusicGraph::GetDuration(int64_t& duration) const
{
    duration = 0;
    if (!m_Stream)
        return kResultFail;
    duration = FramesToUnits(m_Stream->Frames(), m_Stream->Rate());
    return kResultOk;
}

HResult MusicGraph::SetPositions(const int64_t* current, uint32_t currentFlags, const int64_t* stop,
                                 uint32_t stopFlags)
{
    if (!m_Stream)
        return kResultFail;
    std::unique_lock<std::mutex> lock;
    if (m_Mixer)
        lock = std::unique_lock<std::mutex>(m_Mixer->Mutex());
    if ((currentFlags & kSeekingAbsolutePositioning) && current)
        m_Stream->SetPosition(UnitsToFrames(*current, m_Stream->Rate()));
    if ((stopFlags & kSeekingAbsolutePositioning) && stop)
        m_Stream->SetStopFrame(UnitsToFrames(*stop, m_Stream->Rate()));
    if (m_State == kGraphRunning)
        m_Stream->SetPlaying(true);
    return kResultOk;
}

HResult MusicGraph::SetVolume(int32_t volume)
{
    if (volume < kVolumeMin || volume > kVolumeMax)
        return kResultInvalidArg;
    m_Volume = volume;
    if (m_Stream)
    {
        std::unique_lock<std::mutex> lock;
        if (m_Mixer)
            lock = std::unique_lock<std::mutex>(m_Mixer->Mutex());
        m_Stream->SetGain(AudioMixer::VolumeToGain(volume));
    }
    return kResultOk;
}

HResult MusicGraph::GetVolume(int32_t& volume) const
{
    volume = m_Volume;
    return kResultOk;
}

HResult MusicGraph::SetNotifyWindow(WindowHandle window, uint32_t message, intptr_t param)
{
    m_NotifyWindow = window;
    m_NotifyMessage = message;
    m_NotifyParam = param;
    return kResultOk;
}

HResult MusicGraph::GetEvent(int32_t& code, intptr_t& param1, intptr_t& param2, int32_t /*timeoutMs*/)
{
    _Pump();
    if (m_Events.empty())
        return kResultFail;
    const Event event = m_Events.front();
    m_Events.pop_front();
    code = event.code;
    param1 = event.param1;
    param2 = event.param2;
    return kResultOk;
}

void MusicGraph::_QueueEvent(int32_t code)
{
    if (m_Events.size() >= kMaxQueuedEvents)
        m_Events.pop_front();
    m_Events.push_back({code, 0, 0});
    if (m_NotifyWindow)
        PostMessage(m_NotifyWindow, m_NotifyMessage, 0, m_NotifyParam);
}

void MusicGraph::_Pump()
{
    if (!m_Stream || !m_Mixer)
        return;
    bool ended = false;
    {
        std::lock_guard<std::mutex> lock(m_Mixer->Mutex());
        ended = m_Stream->TakeEnded();
    }
    if (ended)
        _QueueEvent(kEventComplete);
}

void MusicGraph::PumpEvents()
{
    // Copied: nothing here should make or release graphs, but the walk must not depend on it.
    const std::vector<MusicGraph*> graphs(LiveGraphs().begin(), LiveGraphs().end());
    for (MusicGraph* graph : graphs)
    {
        if (LiveGraphs().count(graph))
            graph->_Pump();
    }
}

} // namespace platform
