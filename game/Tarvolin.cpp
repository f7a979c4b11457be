#include "game/Tarvolin.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaInitDataBase.h"
#include "engine/core/kaProfiler.h"
#include "engine/core/SoundManager.h"
#include "engine/core/Wizard.h"

namespace
{

constexpr int kResetClock = 0;
constexpr int kElapsedTime = 6;
constexpr const char* kSoundSection = "SoundManager/Wizard::Update";

} // namespace

Tarvolin::Tarvolin() : kaApp(kProductTitle, kProductTitle) {}

Tarvolin::~Tarvolin() = default;

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
    if (g_pInitDataBase != nullptr)
        g_pInitDataBase->LoadInitData(kInitDataFolder);
    // Without an audio device the game runs silent: the sound calls then do nothing.
    SoundManager::Instance()->Init(GetWindowHandle());
    RegisterMessageHandler(
        [](platform::WPARAM, platform::LPARAM) { SoundManager::Instance()->DrainMusicEvents(); },
        SoundManager::kMusicEventMessage);
    if (g_pWizard != nullptr)
        g_pWizard->Init(SoundManager::Instance(), true);
    g_ApplicationRunning = 1;
    return true;
}

bool Tarvolin::Update()
{
    m_FrameTime = static_cast<float>(GetTime(kElapsedTime));
    g_ApplicationRunning = 1;

    if (g_pProfiler != nullptr)
        g_pProfiler->Begin(kMainLoopSection);
    if (g_pProfiler != nullptr)
        g_pProfiler->Begin(kSoundSection);
    SoundManager::Instance()->CommitDeferredSettings();
    if (g_pWizard != nullptr)
        g_pWizard->Update(m_FrameTime);
    if (g_pProfiler != nullptr)
        g_pProfiler->End(kSoundSection);
    Render();
    if (g_pProfiler != nullptr)
        g_pProfiler->End(kMainLoopSection);

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
    return true;
}

bool Tarvolin::OnKey(uint32_t /*code*/, bool /*isVirtualKey*/, uint8_t /*shift*/, uint8_t /*alt*/,
                     uint8_t /*ctrl*/)
{
    return true;
}

bool Tarvolin::Shutdown()
{
    if (g_pWizard != nullptr)
        g_pWizard->Shutdown();
    SoundManager::Instance()->Shutdown();
    return kaApp::Shutdown();
}

void Tarvolin::ShowProfiler(bool show, kaProfilerOutput* output)
{
    m_ShowProfiler = show;
    m_ProfilerWindow = output;
}
