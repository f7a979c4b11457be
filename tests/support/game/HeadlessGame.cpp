#include "tests/support/game/HeadlessGame.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaStartup.h"
#include "engine/gui/guiGlyph.h"
#include "engine/gui/guiWidget.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/gfx/GfxTypes.h"
#include "platform/input/ScriptedDirectInput.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace testsupport
{

namespace
{

// The application's raw mouse kind for button 0.
constexpr int kMouseButton0 = 4;

} // namespace

void HeadlessGame::CopyContent(const std::string& folder)
{
    CopyInstall(TARVOLIN_CONTENT_DIR, folder);
}

void HeadlessGame::CopyInstall(const std::string& from, const std::string& folder)
{
    // What a player's own run of the game leaves in the sample install (settings, controls, profiles, scores,
    // screenshots) is not the generated content: a test starts from the generators' files alone.
    static const char* const kPlayerFiles[] = {"tarvolin.cfg", "data/controls.xml", "data/highscores.xml",
                                               "players", "screenshots"};
    const std::filesystem::path source(from);
    std::filesystem::create_directories(folder);
    for (auto it = std::filesystem::recursive_directory_iterator(source);
         it != std::filesystem::recursive_directory_iterator(); ++it)
    {
        std::string relative = std::filesystem::relative(it->path(), source).generic_string();
        std::transform(relative.begin(), relative.end(), relative.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (std::find(std::begin(kPlayerFiles), std::end(kPlayerFiles), relative) != std::end(kPlayerFiles))
        {
            it.disable_recursion_pending();
            continue;
        }
        const std::filesystem::path target =
            std::filesystem::path(folder) / std::filesystem::relative(it->path(), source);
        if (it->is_directory())
            std::filesystem::create_directories(target);
        else
            std::filesystem::copy_file(it->path(), target, std::filesystem::copy_options::overwrite_existing);
    }
}

HeadlessGame::HeadlessGame(const Options& options) : m_D3D(new platform::TestDirect3D)
{
    if (options.realGraphics)
        m_Headless.emplace("TARVOLIN_GFX_HEADLESS", "1");
    m_InstallPath = options.install.empty() ? m_Install.Path() : options.install;
    if (options.install.empty())
        CopyContent(m_InstallPath);
    // The game finds its install folder in the registry; the test's working folder is put back afterwards.
    m_WorkingFolder.emplace(m_InstallPath);
    m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kInstallTypeValue, "1");
    m_Registry.Set(Tarvolin::kRegistryKey, Tarvolin::kFullInstallPathValue, m_InstallPath + "/");

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
    if (!m_App->Init(""))
        return false;
    // Modal waits run their frames through the script too.
    m_Gui.SetFrameCallback([this] { return _ModalFrame(); });
    return true;
}

bool HeadlessGame::_ModalFrame()
{
    if (m_Steps.empty() && ++m_IdleModalFrames > kIdleModalFrames)
    {
        m_IdleModalFrames = 0;
        return false;
    }
    _RunStep();
    return m_App->PumpMessagesOnce();
}

void HeadlessGame::_RunStep()
{
    if (m_Steps.empty())
        return;
    m_IdleModalFrames = 0;
    const std::function<void()> step = m_Steps.front();
    m_Steps.pop_front();
    step();
}

guiGlyph* HeadlessGame::FindWidget(const std::string& window, const std::string& widget) const
{
    guiWindow* found = m_Gui.FindWindow(window);
    return found != nullptr ? found->FindChild(widget) : nullptr;
}

void HeadlessGame::Click(const std::string& window, const std::string& widget)
{
    ClickWidget(
        [this, window, widget]
        {
            guiGlyph* glyph = FindWidget(window, widget);
            return glyph != nullptr ? glyph->DynamicCast<guiWidget>() : nullptr;
        });
}

void HeadlessGame::ClickWidget(const std::function<guiWidget*()>& find)
{
    ClickAt(
        [find](int32_t& x, int32_t& y)
        {
            guiWidget* target = find();
            if (target == nullptr)
                return false;
            const platform::Rect& rect = target->GetHitRect();
            x = (rect.left + rect.right) / 2;
            y = (rect.top + rect.bottom) / 2;
            return true;
        });
}

void HeadlessGame::ClickAt(const std::function<bool(int32_t& x, int32_t& y)>& where)
{
    // The place is taken when the press runs, after a frame that has drawn a window just shown.
    Queue([] {});
    Queue(
        [this, where]
        {
            int32_t x = 0;
            int32_t y = 0;
            if (!where(x, y))
                return;
            m_Gui.SetCursorPosition(x, y);
            m_App->OnMouse(kMouseButton0, 1, 0, 0);
        });
    Queue([this] { m_App->OnMouse(kMouseButton0, 0, 0, 0); });
}

void HeadlessGame::Type(const std::string& text)
{
    for (const char c : text)
        Queue([this, c] { m_App->OnKey(static_cast<uint8_t>(c), false, 0, 0, 0); });
}

void HeadlessGame::PressKey(uint8_t virtualKey)
{
    Queue([this, virtualKey] { m_App->OnKey(virtualKey, true, 0, 0, 0); });
}

bool HeadlessGame::RunScript(int extraFrames, int limit)
{
    for (int frame = 0; frame < limit && !m_Steps.empty(); ++frame)
        if (!Frame())
            return false;
    if (!m_Steps.empty())
        return false;
    for (int frame = 0; frame < extraFrames; ++frame)
        if (!Frame())
            return false;
    return true;
}

platform::FrameCapture HeadlessGame::Capture()
{
    platform::FrameCapture frame;
    kaGraphicsManager* graphics = m_App->GetGraphicsManager();
    if (graphics == nullptr || graphics->GetDevice() == nullptr ||
        graphics->GetDevice()->CaptureFrame(&frame) != platform::GFX_OK)
        return platform::FrameCapture();
    return frame;
}

std::string HeadlessGame::ScreenshotFolder()
{
    return TARVOLIN_SCREENS_DIR;
}

bool HeadlessGame::Screenshot(const std::string& name)
{
    return Frame() && SaveCapture(name);
}

bool HeadlessGame::SaveCapture(const std::string& name)
{
    const platform::FrameCapture frame = Capture();
    if (frame.Width == 0 || frame.Height == 0)
        return false;
    std::filesystem::create_directories(ScreenshotFolder());
    kaTGAImage image;
    return image.Create(frame.Width, frame.Height, 24, 0, frame.Rows.data()) &&
           image.Save(ScreenshotFolder() + "/" + name + ".tga", false);
}

int HeadlessGame::Run()
{
    return kaStartup::WinMain(nullptr, nullptr, "", platform::SW_SHOWDEFAULT);
}

bool HeadlessGame::Frame()
{
    _RunStep();
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
