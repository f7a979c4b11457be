#include "tests/support/game/HeadlessGame.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaStartup.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/input/ScriptedDirectInput.h"

#include <filesystem>

namespace testsupport
{

HeadlessGame::HeadlessGame(const Options& options) : m_D3D(new platform::TestDirect3D)
{
    if (options.realGraphics)
        m_Headless.emplace("TARVOLIN_GFX_HEADLESS", "1");
    std::filesystem::copy(TARVOLIN_CONTENT_DIR, m_Install.Path(), std::filesystem::copy_options::recursive);
    // The game finds its install folder in the registry; the test's working folder is put back afterwards.
    m_WorkingFolder.emplace(m_Install.Path());
    m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kInstallTypeValue, "1");
    m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kFullInstallPathValue, m_Install.Path() + "/");

    _ResetClockState();
    m_Clock = std::make_unique<SteppingClock>(options.clockStep);

    m_D3D->Adapters[0].Caps.PixelShaderVersion = options.pixelShaderVersion;
    m_D3D->Adapters[0].Caps.VertexShaderVersion = options.vertexShaderVersion;
    if (options.failDevice)
        m_D3D->Failures["CreateDevice"] = platform::GFXERR_NOTAVAILABLE;
    platform::TestDirect3D* d3d = m_D3D;
    if (!options.realGraphics)
    {
        m_FactoryInstalled = true;
        m_PreviousDirect3D = platform::SetDirect3DFactory(
            [d3d]() -> platform::GfxDirect3D*
            {
                d3d->AddRef();
                return d3d;
            });
    }
    const auto devices = options.devices;
    m_PreviousInput = platform::SetDirectInputFactory(
        [devices]
        { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(devices)); });
    m_App = options.makeApp ? options.makeApp() : std::make_unique<Tarvolin>();
}

HeadlessGame::~HeadlessGame()
{
    m_App.reset();
    platform::SetDirectInputFactory(m_PreviousInput);
    if (m_FactoryInstalled)
        platform::SetDirect3DFactory(m_PreviousDirect3D);
    m_D3D->Release();
    m_Clock.reset();
    _ResetClockState();
}

bool HeadlessGame::Start()
{
    m_App->RegisterMainWindowClass(nullptr);
    if (m_App->CreateMainWindow(nullptr, platform::SW_SHOWDEFAULT) == 0)
        return false;
    return m_App->Init("");
}

int HeadlessGame::Run()
{
    return kaStartup::WinMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
}

bool HeadlessGame::Frame()
{
    platform::Message message;
    while (platform::PeekMessage(message, platform::PM_REMOVE))
    {
        if (message.message == platform::WM_QUIT)
            return false;
        platform::TranslateMessage(message);
        platform::DispatchMessage(message);
        kaStartup::FilterMessage(*m_App, message);
    }
    m_App->Update();
    return true;
}

} // namespace testsupport
