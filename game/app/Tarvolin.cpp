#include "game/app/ProfilerSection.h"
#include "game/app/Tarvolin.h"

#include "editor/MapEditorWindow.h"
#include "engine/core/InputManager.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"
#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/kaRandom.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"
#include "game/app/SongInfo.h"
#include "game/app/TarvolinEditorHost.h"
#include "game/records/GHighScores.h"
#include "game/records/ShopItem.h"
#include "game/records/tvPlayer.h"
#include "game/world/WorldInfo.h"
#include "game/world/tvWorldSounds.h"
#include "platform/files/Files.h"
#include "platform/system/ClockSource.h"
#include "platform/system/DebugOutput.h"

namespace
{

constexpr int kResetClock = 0;
constexpr int kApplicationTime = 5;
constexpr int kElapsedTime = 6;
constexpr const char* kInputSection = "ProcessInput";
constexpr const char* kGraphicsRenderSection = "GraphicsManager::Render";
constexpr uint32_t kClearColor = 0xFF000000;

} // namespace

Tarvolin* Tarvolin::Instance()
{
    return dynamic_cast<Tarvolin*>(kaApp::GetSingleton());
}

Tarvolin::Tarvolin() : kaApp(kProductTitle, kProductTitle), m_EditorHost(std::make_unique<TarvolinEditorHost>(*this))
{
    RegisterMessageHandler([this](platform::WPARAM command, platform::LPARAM detail)
                           { _OnSystemCommand(command, detail); },
                           platform::WM_SYSCOMMAND);
}

Tarvolin::~Tarvolin()
{
    // The GUI manager outlives the application: its waits must not call back into it.
    if (g_pGuiManager != nullptr)
        g_pGuiManager->SetFrameCallback(guiManager::FrameCallback());
    // Without a shutdown the windows are still there: the editor lets go of its world while the windows
    // its world reaches exist.
    if (!m_ShutDown)
        if (MapEditorWindow* editor = GetEditorWindow())
            editor->CloseWorld();
    if (g_pWizard != nullptr && m_CrowdSound.id >= 0)
        g_pWizard->UnloadLoopedSound(m_CrowdSound);
    m_InputManager.reset();
    _DeleteGraphicsManager();
}

bool Tarvolin::Init(const std::string& /*commandLine*/)
{
    if (g_pFileSystem != nullptr)
    {
        g_pFileSystem->Init(kRegistryKey, kInstallTypeValue, kFullInstallPathValue, kMinimalInstallPathValue,
                            "", false, false);
        // Saves and screenshots are written by relative names: they belong in the install folder.
        const std::string& install = g_pFileSystem->GetInstallFolder();
        if (!install.empty() && !platform::SetCurrentDirectory(install))
            platform::DebugPrintf("[Tarvolin::Init] : cannot work in the install folder %s\n",
                                  install.c_str());
    }
    BuildDisplayModes();
    // Without a device the game could only run blind: start-up fails and the entry says so.
    if (!_CreateGraphicsManager())
        return false;
    _LoadFonts();
    m_GraphicsManager->SetGraphicsPath("");
    m_GraphicsManager->SetClearColor(kClearColor);
    DetectShaderSupport();

    ShowSplashImage(kPublisherSplash, kSplashSize, kSplashSize);
    m_SplashStage = kSplashPublisher;
    GetTime(kResetClock);
    GetTime(kElapsedTime);
    m_SplashStart = static_cast<float>(GetTime(kApplicationTime));
    m_SplashStarted = true;

    // Without an audio device the game runs silent: the sound calls then do nothing. The sound system
    // registers its own music-event handler.
    SoundManager::Instance()->Init(GetWindowHandle());
    StepSplash();
    InitInput();
    StepSplash();
    LoadConfig(kConfigFile);
    StepSplash();
    if (g_pWizard != nullptr)
        g_pWizard->Init(SoundManager::Instance(), true);
    StepSplash();
    if (g_pWizard != nullptr)
    {
        g_pWizard->SetMasterVolume(m_SoundVolume);
        g_pWizard->SetMusicVolume(m_MusicVolume);
    }

    _SetUpCursor();
    if (g_pFileSystem != nullptr)
    {
        g_pFileSystem->AddSearchPath(kInterfaceFolder);
        g_pFileSystem->AddSearchPath(kCommonInterfaceFolder);
    }
    // The message box joins with the GUI toolkit's message box; until then screens have none to show.
    StepSplash();
    _CreateConsoleWindows();

    GetTime(kResetClock);
    SetRandomSeed(platform::GetTickCount());
    StepSplash();
    if (g_pInitDataBase != nullptr)
        g_pInitDataBase->LoadInitData(kInitDataFolder);
    StepSplash();
    ScanPlayers(kPlayersFolder);
    StepSplash();
    ScanWorlds(kWorldsFolder);
    StepSplash();
    ScanMusic(kMusicFolder);
    StepSplash();
    LoadCareerLevels();
    StepSplash();
    LoadHighScores();
    StepSplash();
    CreateWindows();
    StepSplash();
    _FinishSplash();

    if (g_pGuiManager != nullptr)
    {
        // The editor program opens on its editor where the game shows its front end.
        if (m_EngineEditor)
            SetEditor(true);
        guiWindow* mainWindow = g_pGuiManager->FindWindow(m_EngineEditor ? kMapEditorWindow : kMainWindow);
        g_pGuiManager->ActivateWindow(mainWindow);
        g_pGuiManager->BringToFront(mainWindow);
    }
    _StartMusic();
    if (g_pWizard != nullptr)
        m_CrowdSound =
            g_pWizard->LoadLoopedSound(kCrowdIntro, kCrowdLoop, kCrowdOutro, 0, false, 0.0f, 0.0f, 0.0f,
                                       kCrowdMaxDistance, kCrowdMinDistance, nullptr, nullptr);
    g_ApplicationRunning = 1;
    return true;
}

bool Tarvolin::Update()
{
    if (m_ShutDown)
        return true;
    float measuredTime = 0.0f;
    const float frameTime = _TakeFrameTime(&measuredTime);
    // The theme's start delay counts the time that really passed, a hitch included.
    UpdateThemeMusic(measuredTime);
    if (m_SplashStage != kSplashDone)
        EndSplash();
    if (m_GraphicsManager != nullptr && m_GraphicsManager->CheckDevice() != platform::GFX_OK)
    {
        _CountFrame();
        return true;
    }
    {
        ProfilerSection mainLoop(kMainLoopSection);
        {
            ProfilerSection input(kInputSection);
            if (m_InputManager != nullptr)
                m_InputManager->Update();
            ProcessInput(frameTime);
            if (m_QuitRequested)
            {
                Shutdown();
                return true;
            }
        }
        if (!_HasWorld() && IsPaused())
            SetPaused(false);
        _RunFrameWork(frameTime, true);
    }
    _CountFrame();
    return true;
}

bool Tarvolin::Render()
{
    // The first paint can arrive before Init has made the graphics manager, and a paint after shutdown
    // finds none left.
    if (m_QuitRequested || m_GraphicsManager == nullptr)
        return true;
    ProfilerSection graphicsRender(kGraphicsRenderSection);
    m_GraphicsManager->Render(true, false);
    return true;
}

bool Tarvolin::Shutdown()
{
    if (m_ShutDown)
        return true;
    m_ShutDown = true;
    // The editor's world is the current one too: the editor lets go of it and destroys it once, so that
    // it is not taken for a course world.
    if (MapEditorWindow* editor = GetEditorWindow())
        editor->CloseWorld();
    DeleteCourseWorld();
    SetCurrentWorld(nullptr);
    SavePlayers(kPlayersFolder);
    SaveHighScores();
    SaveControls();
    SaveConfig(kConfigFile);
    if (g_pWizard != nullptr)
        g_pWizard->Shutdown();
    SoundManager::Instance()->Shutdown();
    if (g_pGuiManager != nullptr)
        g_pGuiManager->ResetMouseState();
    m_InputManager.reset();
    m_ConsoleWindow = nullptr;
    m_ProfilerGuiWindow = nullptr;
    m_SplashImage = nullptr;
    // The manager writes the graphics section of the configuration as it goes (only for settings that made
    // a device, so that a failed start leaves the user's file alone).
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
        g_pProfiler->SetTriangleCounter(
            [] { return g_pGraphicsManager ? g_pGraphicsManager->GetTriangleCount() : 0u; });
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

MapEditorWindow* Tarvolin::GetEditorWindow() const
{
    guiWindow* window = g_pGuiManager != nullptr ? g_pGuiManager->FindWindow(kMapEditorWindow) : nullptr;
    return dynamic_cast<MapEditorWindow*>(window);
}
