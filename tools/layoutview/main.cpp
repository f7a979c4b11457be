// layoutview: shows a layout file in an 800 x 600 window, with the GUI manager's cursor, so that its
// widgets can be tried with the mouse and the keys. A root that is no window is shown inside a
// full-screen window. With --headless it draws offscreen, and --screenshot saves the last frame as a BMP or
// TGA file, as its name ends.
//
//   layoutview FILE [--headless] [--frames N] [--screenshot OUT]

#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiWindow.h"
#include "engine/render/kaBMPImage.h"
#include "engine/render/kaGraphicsManager.h"
#include "engine/render/kaTGAImage.h"
#include "platform/gfx/GfxDevice.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/SdlWindowBackend.h"
#include "platform/window/Window.h"
#include "tools/layoutview/FramePacer.h"

#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace platform;

namespace
{

constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr double kFramesPerSecond = 60.0;
constexpr const char* kHeadlessVariable = "TARVOLIN_GFX_HEADLESS";

guiManager* g_Gui = nullptr;
FramePacer* g_Pacer = nullptr;
bool g_Quit = false;

int Fail(const std::string& text)
{
    std::fprintf(stderr, "layoutview: %s\n", text.c_str());
    return 1;
}

void Button(int button, bool down)
{
    guiMsgMouse message;
    gui::MouseData& input = message.data;
    input.buttonsChanged = true;
    input.changed[button] = true;
    input.buttons[button] = down;
    g_Gui->OnMouseInput(message);
}

// The window's mouse and key messages become the GUI manager's records.
LRESULT Procedure(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_DESTROY:
        g_Quit = true;
        PostQuitMessage(0);
        return 0;
    case WM_MOUSEMOVE:
    {
        // The pointer's own position, so that the cursor never drifts from it.
        guiMsgMouse message;
        gui::MouseData& input = message.data;
        input.moved = true;
        input.absolute = true;
        input.x = static_cast<int16_t>(LoWord(static_cast<uintptr_t>(lParam)));
        input.y = static_cast<int16_t>(HiWord(static_cast<uintptr_t>(lParam)));
        g_Gui->OnMouseInput(message);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        Button(0, message == WM_LBUTTONDOWN);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        Button(1, message == WM_RBUTTONDOWN);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        Button(2, message == WM_MBUTTONDOWN);
        return 0;
    case WM_KEYDOWN:
    {
        guiMsgKey key;
        key.key = static_cast<uint8_t>(wParam);
        key.virtualKey = 1;
        g_Gui->OnKey(key);
        return 0;
    }
    default:
        return DefWindowProc(window, message, wParam, lParam);
    }
}

// One frame of the viewer: the queued messages, the GUI, the picture. False once the window closed.
bool RunFrame()
{
    Message message;
    while (PeekMessage(message, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
            g_Quit = true;
        else
            DispatchMessage(message);
    }
    if (g_Quit)
        return false;
    const float frameTime = g_Pacer->NextFrame();
    g_pGraphicsManager->UpdateSceneObjects(frameTime);
    g_Gui->Update(frameTime);
    g_pGraphicsManager->Render(false, false);
    return true;
}

enum class ShotFormat
{
    kUnknown,
    kBmp,
    kTga,
};

// The format a screenshot's name ends in, case ignored.
ShotFormat FormatOf(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : fileName.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "bmp")
        return ShotFormat::kBmp;
    if (extension == "tga")
        return ShotFormat::kTga;
    return ShotFormat::kUnknown;
}

bool SaveScreenshot(GfxDevice* device, const std::string& fileName)
{
    FrameCapture frame;
    if (GfxFailed(device->CaptureFrame(&frame)) || frame.Rows.empty())
        return false;
    if (FormatOf(fileName) == ShotFormat::kBmp)
    {
        kaBMPImage image;
        return image.Create(frame.Width, frame.Height, 24, frame.Rows.data()) && image.Save(fileName, false);
    }
    kaTGAImage image;
    return image.Create(frame.Width, frame.Height, 24, 0, frame.Rows.data()) && image.Save(fileName, false);
}

// The layout as a registered window: a window root as it is, any other root inside a full-screen window.
guiWindow* MakeWindow(guiGlyph* root, const std::string& fileName)
{
    if (guiWindow* window = root->DynamicCast<guiWindow>())
        return window;
    auto* window = new guiWindow(fileName, guiCoordPair::Pixels(0, 0), guiCoordPair::Relative(1, 1), 9);
    window->AddChild(root);
    return window;
}

} // namespace

int main(int argc, char** argv)
{
    std::string fileName;
    std::string screenshot;
    bool headless = false;
    unsigned long frames = 0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--headless")
            headless = true;
        else if (arg == "--frames" && i + 1 < argc)
            frames = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--screenshot" && i + 1 < argc)
            screenshot = argv[++i];
        else if (fileName.empty() && !arg.empty() && arg[0] != '-')
            fileName = arg;
        else
            return Fail("usage: layoutview FILE [--headless] [--frames N] [--screenshot OUT]");
    }
    if (fileName.empty())
        return Fail("usage: layoutview FILE [--headless] [--frames N] [--screenshot OUT]");
    if (headless && (frames == 0 || frames > 100000))
        return Fail("--headless needs --frames from 1 to 100000");
    if (!screenshot.empty() && FormatOf(screenshot) == ShotFormat::kUnknown)
        return Fail("cannot write " + screenshot + ": a screenshot's name ends in .bmp or .tga");

    std::unique_ptr<ScriptedWindowBackend> scripted;
    if (headless)
    {
        setenv(kHeadlessVariable, "1", 1);
        scripted = std::make_unique<ScriptedWindowBackend>();
    }
    guiManager gui;
    g_Gui = &gui;
    FramePacer pacer(kFramesPerSecond);
    g_Pacer = &pacer;

    WindowClass windowClass;
    windowClass.procedure = Procedure;
    windowClass.className = "layoutview";
    RegisterClass(windowClass);
    WindowHandle window = CreateWindow(0, "layoutview", "layoutview - " + fileName, WS_OVERLAPPED, 0, 0,
                                       kWidth, kHeight, nullptr, nullptr);
    if (window == nullptr)
        return Fail("no window (is there a display?)");
    ShowWindow(window, SW_SHOW);
    // The GUI's cursor is the pointer: the system's own is hidden over the window.
    platform::ShowCursor(false);

    // The graphics settings live in a file of their own that the manager writes back; it is removed after.
    char configName[] = "/tmp/layoutview-XXXXXX";
    const int configFile = mkstemp(configName);
    if (configFile < 0)
        return Fail("cannot make a temporary settings file");
    const std::string config =
        "[Begin Graphics Config]\nFullScreen=0\nFSDisplayWidth=" + std::to_string(kWidth) +
        "\nFSDisplayHeight=" + std::to_string(kHeight) + "\nBitsPerPixel=32\n[End Graphics Config]\n";
    const bool written =
        write(configFile, config.data(), config.size()) == static_cast<ssize_t>(config.size());
    close(configFile);
    int result = 0;
    {
        kaGraphicsManager graphics;
        if (!written || !graphics.Initialize(window, configName, nullptr, false) ||
            graphics.GetDevice() == nullptr)
            result = Fail("no graphics device");
        else if (guiGlyph* root = gui::LoadLayout(fileName))
        {
            gui.SetFrameCallback(&RunFrame);
            gui.CreateCursor();
            gui.SetCursorPosition(kWidth / 2, kHeight / 2);
            guiWindow* shown = MakeWindow(root, fileName);
            gui.AddWindow(shown);
            gui.ActivateWindow(shown);
            for (unsigned long frame = 0; (frames == 0 || frame < frames) && RunFrame(); ++frame)
            {
            }
            if (!screenshot.empty() && !SaveScreenshot(graphics.GetDevice(), screenshot))
                result = Fail("cannot write " + screenshot);
            gui.RemoveWindow(shown);
        }
        else
            result = Fail("cannot read the layout " + fileName);
    }
    std::remove(configName);
    platform::ShowCursor(true);
    if (IsWindow(window))
        DestroyWindow(window);
    if (!headless)
        GetSdlWindowBackend().Shutdown();
    return result;
}
