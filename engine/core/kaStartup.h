#pragma once

#include "platform/window/Window.h"

#include <string>

class kaApp;

// The program's entry and its message pump: one main window, the application's start-up, then frames whenever
// no message waits.
class kaStartup
{
public:
    static constexpr const char* kInitFailureText =
        "[kaStartup::WinMain] : Initialization Failure.\n\nPress OK to terminate application.";
    static constexpr const char* kInitFailureCaption = "Application Error";

    // Runs the application object until WM_QUIT and returns the quit code; 0 when no window could be made.
    static int WinMain(platform::InstanceHandle instance, platform::InstanceHandle previousInstance,
                       const std::string& commandLine, int showCommand);

    // The main window class's procedure.
    static platform::LRESULT MainWndProc(platform::WindowHandle window, uint32_t message,
                                         platform::WPARAM wParam, platform::LPARAM lParam);

    // What the loop does with each message after dispatching it: tracks Shift, Ctrl and Alt, and hands
    // printable characters and the editing and function keys to kaApp::OnKey.
    static void FilterMessage(kaApp& app, const platform::Message& message);
};
