#include "engine/core/kaApp.h"

#include "engine/core/kaStartup.h"

uint8_t g_ApplicationRunning = 0;

kaApp::kaApp(const std::string& applicationName, const std::string& windowClassName)
    : kaSingleton<kaApp>(this), m_ApplicationName(applicationName), m_WindowClassName(windowClassName)
{
}

kaApp::~kaApp() = default;

bool kaApp::Init(const std::string& /*commandLine*/)
{
    return true;
}

bool kaApp::Update()
{
    return true;
}

bool kaApp::Render()
{
    return true;
}

bool kaApp::OnKey(uint32_t /*code*/, bool /*isVirtualKey*/, uint8_t /*shift*/, uint8_t /*alt*/,
                  uint8_t /*ctrl*/)
{
    return true;
}

bool kaApp::OnMouse(int /*kind*/, int /*x*/, int /*y*/, int /*data*/)
{
    return true;
}

bool kaApp::Shutdown()
{
    platform::PostQuitMessage(0);
    return true;
}

void kaApp::ConsoleCommand(const std::string& /*command*/) {}

void kaApp::UnusedHook(int /*argument*/) {}

void kaApp::DetectShaderSupport() {}

void kaApp::RegisterMessageHandler(const MessageCallback& callback, uint32_t messageId)
{
    m_MessageHandlers.push_back(MessageHandler{callback, messageId});
}

platform::LRESULT kaApp::HandleMessage(platform::WindowHandle window, uint32_t message,
                                       platform::WPARAM wParam, platform::LPARAM lParam)
{
    bool handled = false;
    for (const MessageHandler& handler : m_MessageHandlers)
    {
        if (handler.messageId == message)
        {
            handler.callback(wParam, lParam);
            handled = true;
        }
    }
    return handled ? 0 : platform::DefWindowProc(window, message, wParam, lParam);
}

uint16_t kaApp::RegisterMainWindowClass(platform::InstanceHandle instance)
{
    platform::WindowClass windowClass;
    windowClass.style = platform::CS_HREDRAW | platform::CS_VREDRAW;
    windowClass.procedure = &kaStartup::MainWndProc;
    windowClass.instance = instance;
    windowClass.iconName = m_ApplicationName;
    windowClass.cursor = platform::IDC_ARROW;
    windowClass.background = platform::BLACK_BRUSH;
    windowClass.className = m_WindowClassName;
    return platform::RegisterClass(windowClass);
}

int kaApp::CreateMainWindow(platform::InstanceHandle instance, int showCommand)
{
    m_Instance = instance;
    // COM has no counterpart here: music streams without it.
    platform::WindowHandle window =
        platform::CreateWindow(0, m_WindowClassName, m_ApplicationName, platform::WS_OVERLAPPED,
                               platform::CW_USEDEFAULT, 0, platform::CW_USEDEFAULT, 0, nullptr, instance);
    if (window == nullptr)
        return 0;

    platform::Rect rect{0, 0, kClientWidth, kClientHeight};
    platform::AdjustWindowRect(rect, platform::WS_OVERLAPPED, false, 0);
    platform::MoveWindow(window, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, true);
    platform::ShowWindow(window, showCommand);
    platform::UpdateWindow(window);
    m_Window = window;
    return 1;
}

void kaApp::SetPaused(bool paused)
{
    m_Paused = paused;
    if (m_PauseCallback)
        m_PauseCallback(paused);
}
