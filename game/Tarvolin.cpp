#include "game/Tarvolin.h"

#include "engine/core/InputManager.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "game/GHighScores.h"
#include "game/ShopItem.h"
#include "game/SongInfo.h"
#include "game/WorldInfo.h"
#include "game/tvPlayer.h"

namespace
{

constexpr int kResetClock = 0;
constexpr int kElapsedTime = 6;
constexpr const char* kSoundSection = "SoundManager/Wizard::Update";
constexpr const char* kGraphicsUpdateSection = "GraphicsManager::Update";
constexpr const char* kGraphicsRenderSection = "GraphicsManager::Render";
constexpr uint32_t kClearColor = 0xFF000000;

// Opens and closes a profiler section around a scope, when a profiler exists.
class ProfilerSection
{
public:
    explicit ProfilerSection(const char* name) : m_Name(name)
    {
        if (g_pProfiler != nullptr)
            g_pProfiler->Begin(m_Name);
    }
    ~ProfilerSection()
    {
        if (g_pProfiler != nullptr)
            g_pProfiler->End(m_Name);
    }
    ProfilerSection(const ProfilerSection&) = delete;
    ProfilerSection& operator=(const ProfilerSection&) = delete;

private:
    const char* m_Name;
};

} // namespace

Tarvolin::Tarvolin() : kaApp(kProductTitle, kProductTitle) {}

Tarvolin::~Tarvolin()
{
    m_InputManager.reset();
    _DeleteGraphicsManager();
}

bool Tarvolin::Init(const std::string& /*commandLine*/)
{
    if (g_pFileSystem != nullptr)
    {
        g_pFileSystem->Init(kRegistryKey, kInstallTypeValue, kFullInstallPathValue, kMinimalInstallPathValue,
                            "", false, false);
        g_pFileSystem->AddSearchPath(kInterfaceFolder);
        g_pFileSystem->AddSearchPath(kCommonInterfaceFolder);
    }
    GetTime(kResetClock);
    // Without a device the game could only run blind: start-up fails and the entry says so.
    if (!_CreateGraphicsManager())
        return false;
    DetectShaderSupport();
    // Without an audio device the game runs silent: the sound calls then do nothing. The sound system
    // registers its own music-event handler.
    SoundManager::Instance()->Init(GetWindowHandle());
    InitInput();
    LoadConfig(kConfigFile);
    if (g_pWizard != nullptr)
    {
        g_pWizard->Init(SoundManager::Instance(), true);
        g_pWizard->SetMasterVolume(m_SoundVolume);
        g_pWizard->SetMusicVolume(m_MusicVolume);
    }
    if (g_pInitDataBase != nullptr)
        g_pInitDataBase->LoadInitData(kInitDataFolder);
    ScanPlayers(kPlayersFolder);
    ScanWorlds(kWorldsFolder);
    ScanMusic(kMusicFolder);
    LoadCareerLevels();
    LoadHighScores();
    g_ApplicationRunning = 1;
    return true;
}

bool Tarvolin::Update()
{
    m_FrameTime = static_cast<float>(GetTime(kElapsedTime));
    g_ApplicationRunning = 1;

    {
        ProfilerSection mainLoop(kMainLoopSection);
        {
            ProfilerSection sound(kSoundSection);
            SoundManager::Instance()->CommitDeferredSettings();
            if (g_pWizard != nullptr)
                g_pWizard->Update(m_FrameTime);
        }
        if (m_GraphicsManager != nullptr)
        {
            m_GraphicsManager->CheckDevice();
            ProfilerSection graphicsUpdate(kGraphicsUpdateSection);
            m_GraphicsManager->UpdateSceneObjects(m_FrameTime);
        }
        Render();
    }

    ++m_FrameCount;
    if (m_FrameLimit != 0 && m_FrameCount >= m_FrameLimit && !m_CloseRequested)
    {
        // Closing the window takes the same road as the user's close button.
        m_CloseRequested = platform::PostMessage(GetWindowHandle(), platform::WM_CLOSE, 0, 0);
    }

    if (m_ShowProfiler && g_pProfiler != nullptr)
        g_pProfiler->EndFrame(m_FrameTime, m_ProfilerWindow);
    return true;
}

bool Tarvolin::Render()
{
    // The first paint can arrive before Init has made the graphics manager.
    if (m_GraphicsManager == nullptr)
        return true;
    ProfilerSection graphicsRender(kGraphicsRenderSection);
    m_GraphicsManager->Render(true, false);
    return true;
}

bool Tarvolin::OnKey(uint32_t /*code*/, bool /*isVirtualKey*/, uint8_t /*shift*/, uint8_t /*alt*/,
                     uint8_t /*ctrl*/)
{
    return true;
}

bool Tarvolin::Shutdown()
{
    SavePlayers(kPlayersFolder);
    SaveHighScores();
    SaveControls();
    SaveConfig(kConfigFile);
    if (g_pWizard != nullptr)
        g_pWizard->Shutdown();
    SoundManager::Instance()->Shutdown();
    m_InputManager.reset();
    // The manager writes the graphics section of the configuration as it goes.
    _DeleteGraphicsManager();
    return kaApp::Shutdown();
}

bool Tarvolin::_CreateGraphicsManager()
{
    _DeleteGraphicsManager();
    m_GraphicsManager = new kaGraphicsManager();
    if (!m_GraphicsManager->Initialize(GetWindowHandle(), kConfigFile, nullptr, false))
        return false;
    // No graphics folder: texture names are found through the search folders (a model's "maps").
    m_GraphicsManager->SetGraphicsPath("");
    m_GraphicsManager->SetClearColor(kClearColor);
    if (g_pProfiler != nullptr)
        g_pProfiler->SetTriangleCounter([] { return g_pGraphicsManager ? g_pGraphicsManager->GetTriangleCount() : 0u; });
    return true;
}

void Tarvolin::_DeleteGraphicsManager()
{
    if (m_GraphicsManager == nullptr)
        return;
    if (g_pProfiler != nullptr)
        g_pProfiler->SetTriangleCounter({});
    delete m_GraphicsManager;
    m_GraphicsManager = nullptr;
}

void Tarvolin::ShowProfiler(bool show, kaProfilerOutput* output)
{
    m_ShowProfiler = show;
    m_ProfilerWindow = output;
}
