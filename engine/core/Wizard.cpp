#include "engine/core/Wizard.h"

#include "engine/core/ImpactSoundEvent.h"
#include "engine/core/LoopedSoundEvent.h"
#include "engine/core/Song.h"
#include "engine/core/SongSequencerEvent.h"
#include "engine/core/SoundBuffer.h"
#include "engine/core/SoundManager.h"
#include "engine/core/ToWideString.h"
#include "engine/core/VolumeFade.h"
#include "engine/core/WaitSoundEvent.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaLexicalCast.h"
#include "engine/core/kaRandom.h"
#include "engine/core/kaXmlHelpers.h"
#include "platform/audio/Audio3DBuffer.h"
#include "platform/audio/AudioBuffer.h"
#include "platform/audio/MusicGraph.h"
#include "platform/files/Files.h"
#include "platform/system/DebugOutput.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>

using platform::MusicGraph;

Wizard* g_pWizard = nullptr;

namespace
{

int32_t g_MusicVolume = 0;
int32_t g_SoundVolume = 0;

Wizard::SoundEnabledHook& EnabledHook()
{
    static Wizard::SoundEnabledHook hook;
    return hook;
}

} // namespace

int32_t GetMusicVolume()
{
    return g_MusicVolume;
}

void SetSoundVolume(int32_t volume)
{
    g_SoundVolume = volume;
}

int32_t GetSoundVolume()
{
    return g_SoundVolume;
}

Wizard::SoundEnabledHook Wizard::SetSoundEnabledHook(SoundEnabledHook hook)
{
    SoundEnabledHook previous = std::move(EnabledHook());
    EnabledHook() = std::move(hook);
    return previous;
}

Wizard::Wizard()
{
    g_pWizard = this;
}

Wizard::~Wizard()
{
    m_Events.clear();
    m_SongEvent = nullptr;
    ReleaseSongGraphs();
    m_Song.reset();
    m_LoopedSounds.clear();
    m_Sounds.clear();
    if (g_pWizard == this)
        g_pWizard = nullptr;
}

void Wizard::Init(SoundManager* manager, bool enable3D)
{
    m_SoundManager = manager;
    m_Window = manager ? manager->GetWindow() : nullptr;
    m_3DEnabled = enable3D;
}

void Wizard::Shutdown()
{
    for (auto& entry : m_Sounds)
    {
        entry.second->StopAll();
        entry.second->Rewind();
    }
    m_Sounds.clear();
    _ClearEvents();
    m_Pending = false;
}

void Wizard::_ClearEvents()
{
    m_SongEvent = nullptr;
    if (!m_Walking)
    {
        m_Events.clear();
        return;
    }
    // Called from an event: the walk sweeps the emptied slots, and the running event goes once it returns.
    for (auto& slot : m_Events)
    {
        if (slot.get() == m_Running)
            m_RunningRemoved = true;
        else
            slot.reset();
    }
}

SoundBuffer* Wizard::_Find(const kaSoundHandle& handle) const
{
    if (handle.id < 0)
        return nullptr;
    auto found = m_Sounds.find(handle.id);
    return found != m_Sounds.end() ? found->second.get() : nullptr;
}

platform::Audio3DBuffer* Wizard::_Find3D(const kaSoundHandle& handle) const
{
    SoundBuffer* buffer = _Find(handle);
    platform::Audio3DBuffer* spatial = nullptr;
    if (!buffer || buffer->Get3DInterface(0, &spatial) != platform::kResultOk)
        return nullptr;
    return spatial;
}

// --- Sounds

kaSoundHandle Wizard::LoadSound(const std::string& name, bool frequencyControl, bool is3D, float x, float y,
                                float z, float maxDistance, float minDistance)
{
    if (!m_SoundManager)
        return kaSoundHandle();
    uint32_t flags = kFlagsVolume;
    if (frequencyControl)
        flags |= kFlagsFrequency;
    if (is3D)
        flags |= kFlags3D;
    std::unique_ptr<SoundBuffer> buffer;
    if (m_SoundManager->CreateSound(&buffer, name.c_str(), flags, platform::Guid(), 1) != platform::kResultOk)
        return kaSoundHandle();

    kaSoundHandle handle;
    handle.id = ++m_NextId;
    handle.name = name;
    m_Sounds[handle.id] = std::move(buffer);
    if (is3D && m_3DEnabled)
    {
        SetSoundPosition(handle, x, y, z);
        SetSoundMaxDistance(handle, maxDistance);
        SetSoundMinDistance(handle, minDistance);
    }
    return handle;
}

kaSoundHandle Wizard::LoadAndPlaySound(const std::string& name, int32_t volume, bool is3D, float x, float y,
                                       float z, bool unloadWhenDone)
{
    if (m_Muted)
        return kaSoundHandle();
    kaSoundHandle handle = LoadSound(name, false, is3D, x, y, z, kDefaultMaxDistance, kDefaultMinDistance);
    PlaySound(handle, unloadWhenDone, volume);
    return handle;
}

void Wizard::UnloadSound(const kaSoundHandle& handle)
{
    SoundBuffer* buffer = _Find(handle);
    if (!buffer)
        return;
    buffer->StopAll();
    buffer->Rewind();
    m_Sounds.erase(handle.id);
}

void Wizard::PlaySound(const kaSoundHandle& handle, bool unloadWhenDone, int32_t volume)
{
    SoundBuffer* buffer = _Find(handle);
    if (m_Muted || !buffer)
        return;
    buffer->SetVolume(volume);
    buffer->Play(0, 0);
    if (unloadWhenDone)
        QueueEvent(new WaitSoundEvent(this, handle));
}

void Wizard::PlayLoopingSound(const kaSoundHandle& handle, int32_t volume)
{
    SoundBuffer* buffer = _Find(handle);
    if (m_Muted || !buffer)
        return;
    buffer->Rewind();
    buffer->SetVolume(volume);
    buffer->Play(0, platform::kPlayLooping);
}

void Wizard::StopSound(const kaSoundHandle& handle)
{
    if (SoundBuffer* buffer = _Find(handle))
        buffer->StopAll();
}

bool Wizard::IsSoundPlaying(const kaSoundHandle& handle) const
{
    const SoundBuffer* buffer = _Find(handle);
    return buffer && buffer->IsAnyPlaying() != 0;
}

bool Wizard::IsSoundLoaded(const kaSoundHandle& handle) const
{
    return _Find(handle) != nullptr;
}

bool Wizard::SetVolume(const kaSoundHandle& handle, int32_t volume, uint32_t fadeMs)
{
    SoundBuffer* buffer = _Find(handle);
    if (!buffer)
        return false;
    if (fadeMs == 0)
        buffer->SetVolume(volume);
    else
        QueueEvent(new VolumeFade(this, handle, fadeMs, buffer->GetVolume(), volume));
    return false;
}

uint32_t Wizard::GetSoundFrequency(const kaSoundHandle& handle) const
{
    const SoundBuffer* buffer = _Find(handle);
    uint32_t hertz = 0;
    if (buffer && buffer->GetBuffer(0))
        buffer->GetBuffer(0)->GetFrequency(hertz);
    return hertz;
}

int32_t Wizard::GetSoundPlayVolume(const kaSoundHandle& handle) const
{
    const SoundBuffer* buffer = _Find(handle);
    return buffer ? buffer->GetVolume() : 0;
}

void Wizard::SetSoundFrequency(const kaSoundHandle& handle, uint32_t hertz)
{
    if (SoundBuffer* buffer = _Find(handle))
        buffer->SetFrequency(hertz);
}

bool Wizard::SetSoundPosition(const kaSoundHandle& handle, float x, float y, float z)
{
    platform::Audio3DBuffer* spatial = _Find3D(handle);
    if (!spatial)
        return false;
    spatial->SetPosition(x, y, z, platform::kApplyDeferred);
    return true;
}

bool Wizard::SetSoundMaxDistance(const kaSoundHandle& handle, float distance)
{
    platform::Audio3DBuffer* spatial = _Find3D(handle);
    if (!spatial)
        return false;
    spatial->SetMaxDistance(distance, platform::kApplyDeferred);
    return true;
}

bool Wizard::SetSoundMinDistance(const kaSoundHandle& handle, float distance)
{
    platform::Audio3DBuffer* spatial = _Find3D(handle);
    if (!spatial)
        return false;
    spatial->SetMinDistance(distance, platform::kApplyDeferred);
    return true;
}

void Wizard::PlayImpactSound(const kaSoundHandle& handle, int32_t volume)
{
    SoundBuffer* buffer = _Find(handle);
    if (!m_Muted && buffer)
    {
        buffer->SetVolume(volume);
        buffer->Play(0, 0);
    }
    QueueEvent(new ImpactSoundEvent(this, handle));
}

bool Wizard::HasFreeImpactSlot() const
{
    return !m_ImpactDisabled && m_ImpactCount < kMaxImpactSounds;
}

void Wizard::_AddImpactSound(int32_t delta)
{
    m_ImpactCount = std::max(0, m_ImpactCount + delta);
}

void Wizard::StopAllSounds()
{
    for (auto& entry : m_Sounds)
        entry.second->StopAll();
}

void Wizard::SetMuted(bool muted)
{
    m_Muted = muted;
    if (EnabledHook())
        EnabledHook()(!muted);
    if (muted)
        StopAllSounds();
}

void Wizard::SetMasterVolume(int32_t volume)
{
    if (m_SoundManager)
        m_SoundManager->SetMasterVolume(volume);
}

// --- Three-part sounds

kaSoundHandle Wizard::LoadLoopedSound(const std::string& intro, const std::string& loop,
                                      const std::string& outro, int32_t frequencyControl, bool is3D, float x,
                                      float y, float z, float maxDistance, float minDistance,
                                      kaSoundHandle* loopHandle, kaSoundHandle* outroHandle)
{
    const bool use3D = is3D && m_3DEnabled;
    auto load = [&](const std::string& name, bool frequency)
    {
        return name.empty() ? kaSoundHandle()
                            : LoadSound(name, frequency, use3D, x, y, z, maxDistance, minDistance);
    };
    kaSoundHandle introPart = load(intro, false);
    kaSoundHandle loopPart = load(loop, true);
    kaSoundHandle outroPart = load(outro, false);

    kaSoundHandle result = introPart;
    if (introPart.id < 0 && (loopPart.id >= 0 || outroPart.id >= 0))
    {
        // The sound is kept under its intro's id: without an intro it cannot be kept at all.
        UnloadSound(loopPart);
        UnloadSound(outroPart);
        loopPart = kaSoundHandle();
        outroPart = kaSoundHandle();
    }
    else if (introPart.id >= 0)
    {
        auto sound = std::make_unique<LoopedSound>();
        sound->intro = introPart;
        sound->loop = loopPart;
        sound->outro = outroPart;
        sound->is3D = is3D;
        sound->frequencyControl = frequencyControl;
        m_LoopedSounds[introPart.id] = std::move(sound);
        result.id2 = loopPart.id;
        result.id3 = outroPart.id;
    }
    if (loopHandle && outroHandle)
    {
        *loopHandle = loopPart;
        *outroHandle = outroPart;
    }
    return result;
}

void Wizard::StartLoopedSound(const kaSoundHandle& handle)
{
    if (m_Muted)
        return;
    auto found = m_LoopedSounds.find(handle.id);
    if (found == m_LoopedSounds.end())
        return;
    PlaySound(found->second->intro, false, 0);
    QueueEvent(new LoopedSoundEvent(this, *found->second));
}

void Wizard::StopLoopedSound(const kaSoundHandle& handle)
{
    auto found = m_LoopedSounds.find(handle.id);
    if (found == m_LoopedSounds.end())
        return;
    const LoopedSound& sound = *found->second;
    if (IsSoundPlaying(sound.intro))
    {
        m_LoopedStopPending = true;
        StopSound(sound.intro);
    }
    else
    {
        StopSound(sound.loop);
    }
}

void Wizard::ResumeLoopedSound(const kaSoundHandle& handle)
{
    if (m_Muted)
        return;
    auto found = m_LoopedSounds.find(handle.id);
    if (found != m_LoopedSounds.end())
        PlayLoopingSound(found->second->loop, 0);
}

void Wizard::SetLoopedSoundVolume(const kaSoundHandle& handle, int32_t volume, uint32_t fadeMs)
{
    auto found = m_LoopedSounds.find(handle.id);
    if (found == m_LoopedSounds.end())
        return;
    SetVolume(found->second->intro, volume, fadeMs);
    SetVolume(found->second->loop, volume, fadeMs);
    SetVolume(found->second->outro, volume, fadeMs);
}

void Wizard::SetLoopedSoundFrequency(const kaSoundHandle& handle, uint32_t hertz)
{
    auto found = m_LoopedSounds.find(handle.id);
    if (found == m_LoopedSounds.end())
        return;
    SetSoundFrequency(found->second->intro, hertz);
    SetSoundFrequency(found->second->loop, hertz);
    SetSoundFrequency(found->second->outro, hertz);
}

void Wizard::UnloadLoopedSound(const kaSoundHandle& handle)
{
    auto found = m_LoopedSounds.find(handle.id);
    if (found == m_LoopedSounds.end())
        return;
    // The parts are copied out first: the handle may be one of them.
    const LoopedSound sound = *found->second;
    m_LoopedSounds.erase(found);
    UnloadSound(sound.intro);
    UnloadSound(sound.loop);
    UnloadSound(sound.outro);
}

// --- The event queue

void Wizard::QueueEvent(SoundEvent* event)
{
    if (event)
        m_Events.emplace_back(event);
}

size_t Wizard::GetQueuedEventCount() const
{
    return static_cast<size_t>(
        std::count_if(m_Events.begin(), m_Events.end(), [](const auto& e) { return e != nullptr; }));
}

void Wizard::Update(float dt)
{
    // Events may queue events and remove others while the walk runs: slots of removed events are
    // emptied and swept afterwards, and the running event is deleted only once its Update returned.
    m_Walking = true;
    for (size_t i = 0; i < m_Events.size(); ++i)
    {
        SoundEvent* event = m_Events[i].get();
        if (!event)
            continue;
        m_Running = event;
        m_RunningRemoved = false;
        const bool finished = event->Update(dt);
        m_Running = nullptr;
        if (finished || m_RunningRemoved)
        {
            if (event == m_SongEvent)
                m_SongEvent = nullptr;
            m_Events[i].reset();
        }
    }
    m_Walking = false;
    m_Events.erase(std::remove(m_Events.begin(), m_Events.end(), nullptr), m_Events.end());
}

void Wizard::_RemoveEvent(SoundEvent* event)
{
    if (!event)
        return;
    if (event == m_Running)
    {
        m_RunningRemoved = true;
        return;
    }
    for (auto& slot : m_Events)
    {
        if (slot.get() == event)
            slot.reset();
    }
    if (!m_Walking)
        m_Events.erase(std::remove(m_Events.begin(), m_Events.end(), nullptr), m_Events.end());
}

void Wizard::_DropSongEvent()
{
    // Only an event still in the queue is removed; one that finished is already gone.
    SoundEvent* event = m_SongEvent;
    m_SongEvent = nullptr;
    _RemoveEvent(event);
}

// --- Songs

void Wizard::CreateSongGraphs()
{
    ReleaseSongGraphs();
    MusicGraph::Create(m_NotifyGraph);
    for (auto& graph : m_SongGraphs)
        MusicGraph::Create(graph);
    m_ActiveGraph = m_NotifyGraph.get();
    m_ActiveGraph->SetNotifyWindow(m_Window, SoundManager::kMusicEventMessage, 0);
}

void Wizard::ReleaseSongGraphs()
{
    if (m_ActiveGraph)
    {
        m_ActiveGraph->Stop();
        m_ActiveGraph->SetNotifyWindow(nullptr, 0, 0);
    }
    m_ActiveGraph = nullptr;
    // The song owns all five graphs.
    m_NotifyGraph.reset();
    for (auto& graph : m_SongGraphs)
        graph.reset();
}

void Wizard::_SwitchToGraph(SongGraph part)
{
    MusicGraph* graph = m_SongGraphs[part].get();
    if (!graph)
        return;
    m_ActiveGraph = graph;
    m_ActiveGraph->Run();
}

void Wizard::_SwapLoopGraphs()
{
    std::swap(m_SongGraphs[kCurrentLoopGraph], m_SongGraphs[kNextLoopGraph]);
}

void Wizard::_RenderPart(MusicGraph* graph, const std::string& path)
{
    if (!graph || path.empty())
        return;
    // The song list names files the way the data spells them; the file system finds them.
    const std::string found = ResolvePath(path);
    const std::string native = platform::NativePath(found.empty() ? path : found);
    if (graph->RenderFile(ToWideString(native)) != platform::kResultOk)
        platform::DebugPrintf("[Wizard::LoadSong] : cannot play %s\n", path.c_str());
}

bool Wizard::_ReadSongList(const std::string& fileName, bool is3D, float x, float y, float z,
                           float maxDistance, float minDistance)
{
    FILE* file = OpenFile(fileName, "rb");
    if (!file)
    {
        const std::string found = ResolvePath(fileName);
        file = found.empty() ? nullptr : OpenFile(found, "rb");
    }
    if (!file)
        return false;
    TiXmlDocument document;
    const bool loaded = LoadXmlDocument(document, file, fileName);
    std::fclose(file);
    const TiXmlElement* root = loaded ? document.FirstChildElement("song") : nullptr;
    if (!root)
        return false;

    // Current from the start, so that whatever it has loaded goes with it when reading fails.
    m_Song = std::make_unique<Song>();
    Song* song = m_Song.get();
    if (const TiXmlElement* range = root->FirstChildElement("initGrooveRange"))
    {
        song->grooveHigh = GetElementInt(range->FirstChildElement("high"));
        song->grooveLow = GetElementInt(range->FirstChildElement("low"));
    }
    if (const TiXmlElement* perChange = root->FirstChildElement("numGroovesPerChange"))
        song->groovesPerChange = GetElementInt(perChange);
    song->streamed = GetElementInt(root->FirstChildElement("stream"));
    const bool streamed = song->IsStreamed();
    if (streamed)
        CreateSongGraphs();

    const bool use3D = is3D && m_3DEnabled;
    auto loadPart = [&](const std::string& path) {
        return std::make_unique<kaSoundHandle>(
            LoadSound(path, true, use3D, x, y, z, maxDistance, minDistance));
    };
    if (const TiXmlElement* content = root->FirstChildElement("content"))
    {
        const std::string intro = GetElementText(content->FirstChildElement("intro"));
        const std::string outro = GetElementText(content->FirstChildElement("outro"));
        if (!intro.empty())
        {
            if (streamed)
                song->streamIntro = std::make_unique<Song::Part>(Song::Part{intro, -1});
            else
                song->intro = loadPart(intro);
        }
        if (!outro.empty())
        {
            if (streamed)
                song->streamOutro = std::make_unique<Song::Part>(Song::Part{outro, -1});
            else
                song->outro = loadPart(outro);
        }
        const TiXmlElement* loops = content->FirstChildElement("loops");
        for (const TiXmlElement* loop = loops ? loops->FirstChildElement("loop") : nullptr; loop;
             loop = loop->NextSiblingElement())
        {
            const int32_t level = GetElementInt(loop->FirstChildElement("grooveLevel"));
            const std::string path = GetElementText(loop->FirstChildElement("file"));
            if (streamed)
            {
                song->streamLoops.push_back(std::make_unique<Song::Part>(Song::Part{path, level}));
                if (song->InGrooveRange(level))
                    song->streamCandidates.push_back(song->streamLoops.back().get());
            }
            else if (!path.empty())
            {
                song->loops.push_back(loadPart(path));
                song->loops.back()->id3 = level;
                if (song->InGrooveRange(level))
                    song->candidates.push_back(song->loops.back().get());
            }
        }
        if (!song->candidates.empty())
        {
            const int n = static_cast<int>(song->candidates.size());
            song->currentLoop = song->candidates[static_cast<size_t>(RandomInt(n))];
            song->nextLoop = song->candidates[static_cast<size_t>(RandomInt(n))];
        }
        if (!song->streamCandidates.empty())
        {
            const int n = static_cast<int>(song->streamCandidates.size());
            song->streamCurrentLoop = song->streamCandidates[static_cast<size_t>(RandomInt(n))];
            song->streamNextLoop = song->streamCandidates[static_cast<size_t>(RandomInt(n))];
        }
        return true;
    }
    // Nothing to play: the song's graphs go with it.
    UnloadSong();
    return false;
}

kaSoundHandle Wizard::LoadSong(const std::string& fileName, bool option, bool is3D, float x, float y, float z,
                               float maxDistance, float minDistance)
{
    // The queued sequencer event points at the current song: it goes first, then the song.
    StopSong(true);

    bool loaded = false;
    try
    {
        loaded = _ReadSongList(fileName, is3D, x, y, z, maxDistance, minDistance);
    }
    catch (const ka::bad_lexical_cast&)
    {
        platform::DebugPrintf("[Wizard::LoadSong] : %s holds a value that is not a number\n",
                              fileName.c_str());
        UnloadSong();
        ReleaseSongGraphs();
    }
    if (!loaded || !m_Song)
        return kaSoundHandle();
    m_Song->option = option;

    if (!m_Song->IsStreamed())
    {
        SetSongVolume(g_MusicVolume, 0);
        return m_Song->intro ? *m_Song->intro : kaSoundHandle();
    }
    Song& song = *m_Song;
    _RenderPart(m_SongGraphs[kIntroGraph].get(), song.streamIntro ? song.streamIntro->path : std::string());
    _RenderPart(m_SongGraphs[kOutroGraph].get(), song.streamOutro ? song.streamOutro->path : std::string());
    _RenderPart(m_SongGraphs[kNextLoopGraph].get(),
                song.streamNextLoop ? song.streamNextLoop->path : std::string());
    _RenderPart(m_SongGraphs[kCurrentLoopGraph].get(),
                song.streamCurrentLoop ? song.streamCurrentLoop->path : std::string());
    SetSongVolume(g_MusicVolume, 0);
    return kaSoundHandle();
}

void Wizard::LoadNextStreamLoop()
{
    if (!m_Song || !m_Song->IsStreamed() || !m_Song->streamNextLoop)
        return;
    std::unique_ptr<MusicGraph>& slot = m_SongGraphs[kNextLoopGraph];
    if (!slot || slot.get() == m_ActiveGraph)
        return;
    // A graph renders one file for good: the next loop gets a fresh one.
    slot->Stop();
    MusicGraph::Create(slot);
    slot->SetVolume(g_MusicVolume);
    _RenderPart(slot.get(), m_Song->streamNextLoop->path);
}

void Wizard::StartSong()
{
    if (m_MusicMutedBlocksStart || !m_Song)
        return;
    // A song has one sequencer: starting it again replaces the one queued.
    _DropSongEvent();
    if (m_Song->IsStreamed())
    {
        if (m_SongGraphs[kIntroGraph])
            _SwitchToGraph(kIntroGraph);
    }
    else if (m_Song->intro)
    {
        PlaySound(*m_Song->intro, false, g_MusicVolume);
    }
    m_SongEvent = new SongSequencerEvent(this, m_Song.get());
    QueueEvent(m_SongEvent);
}

void Wizard::StopSong(bool drop)
{
    if (!m_Song)
        return;
    if (drop)
        _DropSongEvent();
    m_Song->stopRequested = true;
    if (m_Song->IsStreamed())
    {
        if (m_ActiveGraph)
            m_ActiveGraph->Stop();
    }
    else
    {
        if (m_Song->intro)
            StopSound(*m_Song->intro);
        if (m_Song->currentLoop)
            StopSound(*m_Song->currentLoop);
    }
    if (drop)
        UnloadSong();
}

void Wizard::UnloadSong()
{
    if (!m_Song)
        return;
    // The sequencer must not outlive the song it walks.
    _DropSongEvent();
    if (m_Song->IsStreamed())
    {
        ReleaseSongGraphs();
    }
    else
    {
        if (m_Song->intro)
            UnloadSound(*m_Song->intro);
        if (m_Song->outro)
            UnloadSound(*m_Song->outro);
        for (auto& loop : m_Song->loops)
            UnloadSound(*loop);
    }
    m_Song.reset();
}

void Wizard::SetSongVolume(int32_t volume, uint32_t fadeMs)
{
    if (!m_Song)
        return;
    if (m_Song->IsStreamed())
    {
        // Every part keeps the volume, not only the one playing now.
        for (auto& graph : m_SongGraphs)
            if (graph)
                graph->SetVolume(volume);
        if (m_NotifyGraph)
            m_NotifyGraph->SetVolume(volume);
        return;
    }
    for (kaSoundHandle* part :
         {m_Song->intro.get(), m_Song->currentLoop, m_Song->nextLoop, m_Song->outro.get()})
    {
        if (part && part->id >= 0)
            SetVolume(*part, volume, fadeMs);
    }
}

void Wizard::SetMusicVolume(int32_t volume)
{
    g_MusicVolume = volume;
    if (m_SoundManager)
        m_SoundManager->SetMusicVolume(volume);
    if (m_Song)
        SetSongVolume(volume, 0);
}

void Wizard::SetMusicMuted(bool muted)
{
    m_MusicMuted = muted;
    m_MusicMutedBlocksStart = muted;
    if (muted)
        StopSong(true);
}
