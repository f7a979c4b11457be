#include "engine/core/kaStartup.h"

#include "engine/core/ModifierKeyState.h"
#include "engine/core/kaApp.h"

namespace
{

// Keys whose key-down reaches OnKey as a virtual key. Tab and Enter are for text boxes, Pause is the game's
// pause key; letters, digits and Space arrive as characters instead.
bool IsForwardedKey(platform::WPARAM key)
{
    using namespace platform;
    return (key >= VK_F1 && key <= VK_F24) || (key >= VK_PRIOR && key <= VK_HELP) || key == VK_ESCAPE ||
           key == VK_BACK || key == VK_TAB || key == VK_RETURN || key == VK_PAUSE;
}

// A letter pressed with Ctrl makes no character: it reaches OnKey as that letter, with Ctrl in the
// modifier state (the editor saves on Ctrl+S).
bool IsCtrlLetter(platform::WPARAM key, const ModifierKeyState& keys)
{
    return keys.Ctrl != 0 && keys.Alt == 0 && key >= 'A' && key <= 'Z';
}

// The application's mouse-event kind of a button message.
int MouseButtonKind(uint32_t message)
{
    using namespace platform;
    if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP)
        return kMouseKindButton0 + kMouseLeft;
    if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP)
        return kMouseKindButton0 + kMouseMiddle;
    return kMouseKindButton0 + kMouseRight;
}

bool IsButtonDown(uint32_t message)
{
    using namespace platform;
    return message == WM_LBUTTONDOWN || message == WM_MBUTTONDOWN || message == WM_RBUTTONDOWN;
}

constexpr platform::WPARAM kFirstCharacter = 0x20;
constexpr platform::WPARAM kLastCharacter = 0x7E;

} // namespace

int kaStartup::WinMain(platform::InstanceHandle instance, platform::InstanceHandle /*previousInstance*/,
                       const std::string& commandLine, int showCommand)
{
    kaApp* app = kaApp::GetSingleton();
    if (app == nullptr)
        return 0;

    app->RegisterMainWindowClass(instance);
    if (app->CreateMainWindow(instance, showCommand) == 0)
        return 0;

    if (!app->Init(commandLine))
    {
        platform::MessageBox(app->GetWindowHandle(), kInitFailureText, kInitFailureCaption, platform::MB_OK);
        platform::PostQuitMessage(1);
    }

    platform::ShowCursor(false);

    platform::Message message;
    do
    {
        if (platform::PeekMessage(message, platform::PM_REMOVE))
        {
            platform::TranslateMessage(message);
            platform::DispatchMessage(message);
            FilterMessage(*app, message);
        }
        else
        {
            app->Update();
        }
    } while (message.message != platform::WM_QUIT);

    platform::ShowCursor(true);
    return static_cast<int>(message.wParam);
}

platform::LRESULT kaStartup::MainWndProc(platform::WindowHandle window, uint32_t message,
                                         platform::WPARAM wParam, platform::LPARAM lParam)
{
    using namespace platform;
    kaApp* app = kaApp::GetSingleton();
    if (app == nullptr)
        return DefWindowProc(window, message, wParam, lParam);

    switch (message)
    {
    case WM_DESTROY:
        app->Shutdown();
        return 0;
    case WM_ACTIVATE:
        app->SetPaused(!(HiWord(wParam) == 0 && LoWord(wParam) != WA_INACTIVE));
        return 0;
    case WM_PAINT:
        app->Render();
        ValidateRect(app->GetWindowHandle(), nullptr);
        return 0;
    case WM_CHAR:
    case WM_COMMAND:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        // Characters and buttons come through the loop's filter, the pointer's position through the
        // application's own input code.
        return 0;
    default:
        return app->HandleMessage(window, message, wParam, lParam);
    }
}

void kaStartup::FilterMessage(kaApp& app, const platform::Message& message)
{
    using namespace platform;
    ModifierKeyState& keys = g_ModifierKeyState;
    switch (message.message)
    {
    case WM_CHAR:
        if (message.wParam >= kFirstCharacter && message.wParam <= kLastCharacter)
            app.OnKey(static_cast<uint32_t>(message.wParam), false, keys.Shift, keys.Alt, keys.Ctrl);
        break;
    case WM_KEYDOWN:
        if (message.wParam == VK_CONTROL)
            keys.Ctrl = 1;
        else if (message.wParam == VK_SHIFT)
            keys.Shift = 1;
        else if (IsForwardedKey(message.wParam))
            app.OnKey(static_cast<uint32_t>(message.wParam), true, keys.Shift, keys.Alt, keys.Ctrl);
        else if (IsCtrlLetter(message.wParam, keys))
        {
            const uint32_t letter = static_cast<uint32_t>(message.wParam);
            app.OnKey(keys.Shift != 0 ? letter : letter - 'A' + 'a', false, keys.Shift, keys.Alt, keys.Ctrl);
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        // Every press and release in the order it happened, so that a click within one frame still
        // clicks.
        app.OnMouse(MouseButtonKind(message.message), IsButtonDown(message.message) ? 1 : 0, 0, 0);
        break;
    case WM_KEYUP:
        if (message.wParam == VK_CONTROL)
            keys.Ctrl = 0;
        else if (message.wParam == VK_SHIFT)
            keys.Shift = 0;
        break;
    case WM_SYSKEYDOWN:
        if (message.wParam == VK_MENU)
            keys.Alt = 1;
        break;
    case WM_SYSKEYUP:
        if (message.wParam == VK_MENU)
            keys.Alt = 0;
        break;
    case WM_PAINT:
        keys = ModifierKeyState();
        break;
    default:
        break;
    }
}
