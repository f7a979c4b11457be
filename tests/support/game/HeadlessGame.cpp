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
#include "platform/window/SdlWindowBackend.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace testsupport
{

namespace
{

constexpr int kMouseButton0 = platform::kMouseKindButton0 + platform::kMouseLeft;

uint32_t SdlButtonMask(uint8_t sdlButton)
{
    return SDL_BUTTON(sdlButton);
}

// The scan code SDL reports for a key whose virtual key is the one given; SDL_SCANCODE_UNKNOWN for none.
int ScancodeOfVirtualKey(uint32_t virtualKey)
{
    for (int scancode = 0; scancode < SDL_NUM_SCANCODES; ++scancode)
        if (platform::ScancodeToVirtualKey(scancode) == virtualKey)
            return scancode;
    return SDL_SCANCODE_UNKNOWN;
}

// The key a character is typed with on a US layout, and whether it takes Shift.
int ScancodeOfCharacter(char c, bool& shifted)
{
    shifted = std::isupper(static_cast<unsigned char>(c)) != 0;
    if (c == '_')
    {
        shifted = true;
        return SDL_SCANCODE_MINUS;
    }
    const char lower = char(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'z')
        return SDL_SCANCODE_A + (lower - 'a');
    if (c >= '1' && c <= '9')
        return SDL_SCANCODE_1 + (c - '1');
    switch (c)
    {
    case '0':
        return SDL_SCANCODE_0;
    case ' ':
        return SDL_SCANCODE_SPACE;
    case '-':
        return SDL_SCANCODE_MINUS;
    case '.':
        return SDL_SCANCODE_PERIOD;
    case ',':
        return SDL_SCANCODE_COMMA;
    case '/':
        return SDL_SCANCODE_SLASH;
    default:
        return SDL_SCANCODE_UNKNOWN;
    }
}

} // namespace

void HeadlessGame::CopyContent(const std::string& folder)
{
    CopyInstall(TARVOLIN_CONTENT_DIR, folder);
}

HeadlessGame::Options HeadlessGame::EngineEditorWithSdlInput()
{
    Options options;
    options.sdlInput = true;
    options.makeApp = []
    {
        auto app = std::make_unique<Tarvolin>();
        app->SetEngineEditor(true);
        return app;
    };
    return options;
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

HeadlessGame::HeadlessGame(const Options& options) : m_SdlInput(options.sdlInput), m_D3D(new platform::TestDirect3D)
{
    if (m_SdlInput)
    {
        m_VideoDriver.emplace("SDL_VIDEODRIVER", "dummy");
        platform::SetWindowBackend(nullptr);
        platform::_ResetWindowState();
    }
    else
    {
        m_Window.emplace();
    }
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
    // Real input reads SDL's own devices.
    if (m_SdlInput)
        m_PreviousInput = platform::SetDirectInputFactory(nullptr);
    else
        m_PreviousInput = platform::SetDirectInputFactory(
            [devices]
            { return std::unique_ptr<platform::DirectInput8>(new platform::ScriptedDirectInput(devices)); });
    m_App = options.makeApp ? options.makeApp() : std::make_unique<Tarvolin>();
}

HeadlessGame::~HeadlessGame()
{
    m_App.reset();
    if (m_SdlInput)
    {
        // SDL starts from nothing for the next game: no window, no pointer state, no events waiting.
        platform::_ResetWindowState();
        platform::GetSdlWindowBackend().Shutdown();
    }
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
    if (m_SdlInput)
    {
        // A window the user starts has the keyboard focus, as a window manager gives it.
        SDL_Event focus{};
        focus.type = SDL_WINDOWEVENT;
        focus.window.windowID = _SdlWindowId();
        focus.window.event = SDL_WINDOWEVENT_FOCUS_GAINED;
        SDL_PushEvent(&focus);
    }
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
    // Events pushed earlier are handled before the next are given, as a hand is slower than the loop.
    platform::Message waiting;
    if (m_SdlInput && m_Steps.front().paced && platform::PeekMessage(waiting, platform::PM_NOREMOVE) &&
        waiting.message != platform::WM_PAINT && waiting.message != platform::WM_QUIT)
        return;
    m_IdleModalFrames = 0;
    const std::function<void()> step = m_Steps.front().run;
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
    if (m_SdlInput)
    {
        // The pointer moves there a frame before the press, as a hand does; no place, no click.
        auto found = std::make_shared<bool>(false);
        Queue([] {});
        Queue(
            [this, where, found]
            {
                int32_t x = 0;
                int32_t y = 0;
                *found = where(x, y);
                if (*found)
                    _PushMotion(x, y);
            });
        Queue(
            [this, found]
            {
                if (*found)
                    _PushButton(SDL_BUTTON_LEFT, true);
            });
        Queue(
            [this, found]
            {
                if (*found)
                    _PushButton(SDL_BUTTON_LEFT, false);
            });
        return;
    }
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
    {
        if (m_SdlInput)
            Queue([this, c] { _PushText(c); });
        else
            Queue([this, c] { m_App->OnKey(static_cast<uint8_t>(c), false, 0, 0, 0); });
    }
}

void HeadlessGame::PressKey(uint8_t virtualKey)
{
    if (m_SdlInput)
        TapKey(ScancodeOfVirtualKey(virtualKey));
    else
        Queue([this, virtualKey] { m_App->OnKey(virtualKey, true, 0, 0, 0); });
}

void HeadlessGame::MovePointer(int32_t x, int32_t y)
{
    Queue([this, x, y] { _PushMotion(x, y); });
}

void HeadlessGame::MovePointerBy(int32_t dx, int32_t dy)
{
    Queue(
        [this, dx, dy]
        {
            // From where the system pointer is: the program may have put it somewhere else.
            platform::Point at;
            if (platform::GetCursorClientPosition(m_App->GetWindowHandle(), at))
            {
                m_PointerX = at.x;
                m_PointerY = at.y;
            }
            _PushMotion(m_PointerX + dx, m_PointerY + dy);
        });
}

void HeadlessGame::PressButton(uint8_t sdlButton)
{
    Queue([this, sdlButton] { _PushButton(sdlButton, true); });
}

void HeadlessGame::ReleaseButton(uint8_t sdlButton)
{
    Queue([this, sdlButton] { _PushButton(sdlButton, false); });
}

void HeadlessGame::KeyDown(int scancode, uint8_t modifiers)
{
    Queue(
        [this, scancode, modifiers]
        {
            _PushModifiers(modifiers, true);
            _PushKey(scancode, true, modifiers);
        });
}

void HeadlessGame::KeyUp(int scancode, uint8_t modifiers)
{
    Queue(
        [this, scancode, modifiers]
        {
            _PushKey(scancode, false, modifiers);
            _PushModifiers(modifiers, false);
        });
}

void HeadlessGame::HoldKey(int scancode, int frames, uint8_t modifiers)
{
    KeyDown(scancode, modifiers);
    for (int frame = 1; frame < frames; ++frame)
        Queue([] {});
    KeyUp(scancode, modifiers);
}

void HeadlessGame::TapKey(int scancode, uint8_t modifiers)
{
    Queue(
        [this, scancode, modifiers]
        {
            _PushModifiers(modifiers, true);
            _PushKey(scancode, true, modifiers);
            _PushKey(scancode, false, modifiers);
            _PushModifiers(modifiers, false);
        });
}

void HeadlessGame::TapAt(const std::function<bool(int32_t& x, int32_t& y)>& where, uint8_t sdlButton)
{
    Queue(
        [this, where, sdlButton]
        {
            int32_t x = 0;
            int32_t y = 0;
            if (!where(x, y))
                return;
            _PushMotion(x, y);
            _PushButton(sdlButton, true);
            _PushButton(sdlButton, false);
        });
}

void HeadlessGame::TypeThenClickAt(const std::string& text,
                                   const std::function<bool(int32_t& x, int32_t& y)>& where, uint8_t sdlButton,
                                   int heldFrames)
{
    auto found = std::make_shared<bool>(false);
    Queue(
        [this, text, where, sdlButton, found]
        {
            for (const char c : text)
                _PushText(c);
            int32_t x = 0;
            int32_t y = 0;
            *found = where(x, y);
            if (!*found)
                return;
            _PushMotion(x, y);
            _PushButton(sdlButton, true);
        });
    for (int frame = 1; frame < heldFrames; ++frame)
        m_Steps.push_back({[] {}, false});
    m_Steps.push_back({[this, sdlButton, found]
                       {
                           if (*found)
                               _PushButton(sdlButton, false);
                       },
                       false});
}

void HeadlessGame::Drag(uint8_t sdlButton, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY, int steps)
{
    MovePointer(fromX, fromY);
    PressButton(sdlButton);
    for (int step = 1; step <= steps; ++step)
        MovePointer(fromX + (toX - fromX) * step / steps, fromY + (toY - fromY) * step / steps);
    ReleaseButton(sdlButton);
}

uint32_t HeadlessGame::_SdlWindowId() const
{
    SDL_Window* window = platform::GetSdlWindowBackend().GetSdlWindow(m_App->GetWindowHandle());
    return window != nullptr ? SDL_GetWindowID(window) : 0;
}

void HeadlessGame::_PushMotion(int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = _SdlWindowId();
    event.motion.state = m_SdlButtons;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = x - m_PointerX;
    event.motion.yrel = y - m_PointerY;
    m_PointerX = x;
    m_PointerY = y;
    SDL_PushEvent(&event);
}

void HeadlessGame::_PushButton(uint8_t sdlButton, bool down)
{
    if (down)
        m_SdlButtons |= SdlButtonMask(sdlButton);
    else
        m_SdlButtons &= ~SdlButtonMask(sdlButton);
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = _SdlWindowId();
    event.button.button = sdlButton;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = m_PointerX;
    event.button.y = m_PointerY;
    SDL_PushEvent(&event);
}

void HeadlessGame::_PushKey(int scancode, bool down, uint8_t modifiers)
{
    uint16_t mod = KMOD_NONE;
    if (modifiers & kShift)
        mod |= KMOD_LSHIFT;
    if (modifiers & kCtrl)
        mod |= KMOD_LCTRL;
    if (modifiers & kAlt)
        mod |= KMOD_LALT;
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = _SdlWindowId();
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    event.key.keysym.sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
    event.key.keysym.mod = mod;
    SDL_PushEvent(&event);
}

void HeadlessGame::_PushModifiers(uint8_t modifiers, bool down)
{
    // Pressed in the order Ctrl, Alt, Shift and released the other way round.
    const std::pair<uint8_t, int> keys[] = {
        {kCtrl, SDL_SCANCODE_LCTRL}, {kAlt, SDL_SCANCODE_LALT}, {kShift, SDL_SCANCODE_LSHIFT}};
    uint8_t held = down ? 0 : modifiers;
    for (int i = 0; i < 3; ++i)
    {
        const auto& key = keys[down ? i : 2 - i];
        if ((modifiers & key.first) == 0)
            continue;
        if (down)
            held |= key.first;
        else
            held &= uint8_t(~key.first);
        _PushKey(key.second, down, held);
    }
}

void HeadlessGame::_PushText(char c)
{
    bool shifted = false;
    const int scancode = ScancodeOfCharacter(c, shifted);
    const uint8_t modifiers = shifted ? kShift : kNoModifier;
    _PushModifiers(modifiers, true);
    if (scancode != SDL_SCANCODE_UNKNOWN)
        _PushKey(scancode, true, modifiers);
    SDL_Event event{};
    event.type = SDL_TEXTINPUT;
    event.text.windowID = _SdlWindowId();
    event.text.text[0] = c;
    SDL_PushEvent(&event);
    if (scancode != SDL_SCANCODE_UNKNOWN)
        _PushKey(scancode, false, modifiers);
    _PushModifiers(modifiers, false);
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
