#include "engine/core/SoundManager.h"

#include "engine/core/SoundBuffer.h"
#include "engine/core/WaveFile.h"
#include "engine/core/kaApp.h"
#include "platform/audio/AudioBuffer.h"
#include "platform/audio/AudioDevice.h"
#include "platform/audio/AudioListener.h"
#include "platform/audio/MusicGraph.h"
#include "platform/system/DebugOutput.h"

using namespace platform;

SoundManager* SoundManager::Instance()
{
    static SoundManager instance;
    return &instance;
}

SoundManager::SoundManager() = default;

SoundManager::~SoundManager()
{
    m_WaveCache.clear();
    m_Listener.reset();
    m_Device.reset();
    _ReleaseMusicGraph();
}

bool SoundManager::Init(WindowHandle window)
{
    if (m_Initialised)
        return true;
    m_Window = window;
    if (AudioDevice::Create(m_Device) != kResultOk)
    {
        DebugPrintf("[SoundManager::Init] : no sound device\n");
        return false;
    }
    if (m_Device->SetCooperativeLevel(window, kCooperativePriority) != kResultOk)
        return false;

    BufferDesc primaryDesc;
    primaryDesc.flags = kBufferPrimary;
    std::unique_ptr<AudioBuffer> primary;
    if (m_Device->CreateSoundBuffer(primaryDesc, primary) != kResultOk)
        return false;
    WaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = kOutputChannels;
    format.samplesPerSec = kOutputRate;
    format.bitsPerSample = kOutputBits;
    format.blockAlign = static_cast<uint16_t>(kOutputBits / 8 * kOutputChannels);
    format.avgBytesPerSec = kOutputRate * format.blockAlign;
    if (primary->SetFormat(format) != kResultOk)
    {
        DebugPrintf("[SoundManager::Init] : cannot set the output format\n");
        return false;
    }
    primary.reset();

    if (m_Device->SetCooperativeLevel(window, kCooperativeNormal) != kResultOk)
        return false;
    _CreateMusicGraph();
    _RegisterMusicHandler();

    // Without a listener the sounds still play, only not placed in 3D.
    BufferDesc listenerDesc;
    listenerDesc.flags = kBufferPrimary | kBufferCtrl3D;
    std::unique_ptr<AudioBuffer> listenerBuffer;
    if (m_Device->CreateSoundBuffer(listenerDesc, listenerBuffer) == kResultOk)
        listenerBuffer->GetListener(m_Listener);

    m_Initialised = true;
    m_3DReady = true;
    return true;
}

void SoundManager::_CreateMusicGraph()
{
    _ReleaseMusicGraph();
    MusicGraph::Create(m_MusicGraph);
    m_MusicGraph->SetNotifyWindow(m_Window, kMusicEventMessage, 0);
}

void SoundManager::_ReleaseMusicGraph()
{
    if (!m_MusicGraph)
        return;
    m_MusicGraph->Stop();
    m_MusicGraph.reset();
}

void SoundManager::_RegisterMusicHandler()
{
    if (kaApp* app = kaApp::GetSingleton())
        app->RegisterMessageHandler([this](WPARAM, LPARAM) { DrainMusicEvents(); }, kMusicEventMessage);
}

void SoundManager::Shutdown()
{
    for (auto& entry : m_WaveCache)
        entry.second->Close();
    m_WaveCache.clear();
    m_Listener.reset();
    m_Device.reset();
    _ReleaseMusicGraph();
    m_3DReady = false;
}

WaveFile* SoundManager::GetWaveFile(const std::string& name)
{
    auto found = m_WaveCache.find(name);
    if (found != m_WaveCache.end())
        return found->second.get();
    auto wave = std::make_unique<WaveFile>();
    wave->Open(name.c_str(), nullptr, WaveFile::kModeRead);
    WaveFile* result = wave.get();
    m_WaveCache.emplace(name, std::move(wave));
    return result;
}

HResult SoundManager::CreateSound(std::unique_ptr<SoundBuffer>* out, const char* name, uint32_t flags,
                                  const Guid& algorithm, uint32_t count)
{
    if (!m_Device)
        return kResultNotInitialized;
    if (!name || !out || count == 0)
        return kResultInvalidArg;

    WaveFile* wave = GetWaveFile(name);
    if (wave->GetDataSize() == 0 || !wave->GetFormat())
        return kResultFail;

    BufferDesc desc;
    desc.flags = flags;
    desc.bufferBytes = wave->GetDataSize();
    desc.format = wave->GetFormat();
    desc.extraBytes = wave->GetFormatExtra().empty() ? nullptr : wave->GetFormatExtra().data();
    desc.algorithm = algorithm;

    std::vector<std::unique_ptr<AudioBuffer>> buffers(count);
    HResult result = m_Device->CreateSoundBuffer(desc, buffers[0]);
    if (result != kResultOk && result != kResultNoVirtualization)
    {
        DebugPrintf("[SoundManager::CreateSound] : cannot make a buffer for %s\n", name);
        return result;
    }
    for (uint32_t i = 1; i < count; ++i)
    {
        result = m_Device->DuplicateSoundBuffer(*buffers[0], buffers[i]);
        if (!Succeeded(result))
            return result;
    }
    *out = std::make_unique<SoundBuffer>(std::move(buffers), wave->GetDataSize(), wave, false);
    return kResultOk;
}

void SoundManager::SetMasterVolume(int32_t volume)
{
    if (!m_Initialised || !m_3DReady || !m_Device)
        return;
    BufferDesc desc;
    desc.flags = kBufferPrimary | kBufferCtrlVolume;
    std::unique_ptr<AudioBuffer> primary;
    if (m_Device->CreateSoundBuffer(desc, primary) == kResultOk)
        primary->SetVolume(volume);
}

void SoundManager::SetMusicVolume(int32_t volume)
{
    if (m_MusicGraph)
        m_MusicGraph->SetVolume(volume);
}

void SoundManager::CommitDeferredSettings()
{
    MusicGraph::PumpEvents();
    if (m_Initialised && m_3DReady && m_Listener)
        m_Listener->CommitDeferredSettings();
}

bool SoundManager::DrainMusicEvents()
{
    if (!m_MusicGraph)
        return false;
    int32_t code = 0;
    intptr_t param1 = 0, param2 = 0;
    while (m_MusicGraph->GetEvent(code, param1, param2, 0) == kResultOk)
    {
        if (code == kEventComplete || code == kEventUserAbort)
            break;
    }
    return true;
}
