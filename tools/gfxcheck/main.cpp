// gfxcheck: opens a window through the window layer, creates the OpenGL device on it, clears and
// presents a few frames, reads the last one back and checks its colour. With --headless the device
// draws into an offscreen framebuffer instead.
//
//   gfxcheck [--headless] [--frames N] [--color RRGGBB]

#include "platform/gfx/GLDevice.h"
#include "platform/gfx/GLDirect3D.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace platform;

namespace
{

constexpr uint32_t kWidth = 320;
constexpr uint32_t kHeight = 240;

LRESULT Procedure(WindowHandle window, uint32_t message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProc(window, message, wParam, lParam);
}

int Fail(const char* text)
{
    std::fprintf(stderr, "gfxcheck: %s\n", text);
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    bool headless = false;
    unsigned long frames = 3;
    uint32_t color = 0x336699;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--headless")
            headless = true;
        else if (arg == "--frames" && i + 1 < argc)
            frames = std::strtoul(argv[++i], nullptr, 10);
        else if (arg == "--color" && i + 1 < argc)
            color = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 16)) & 0xFFFFFF;
        else
            return Fail("usage: gfxcheck [--headless] [--frames N] [--color RRGGBB]");
    }
    if (frames == 0 || frames > 100000)
        return Fail("--frames takes 1 to 100000");

    WindowHandle window = nullptr;
    if (!headless)
    {
        WindowClass windowClass;
        windowClass.procedure = Procedure;
        windowClass.className = "gfxcheck";
        RegisterClass(windowClass);
        window =
            CreateWindow(0, "gfxcheck", "gfxcheck", WS_OVERLAPPED, 0, 0, kWidth, kHeight, nullptr, nullptr);
        if (!window)
            return Fail("no window (is there a display?)");
        ShowWindow(window, SW_SHOW);
    }

    GLDirect3D* direct3D = new GLDirect3D(headless);
    PresentParameters parameters;
    parameters.BackBufferWidth = kWidth;
    parameters.BackBufferHeight = kHeight;
    parameters.BackBufferFormat = FMT_X8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = SWAPEFFECT_DISCARD;
    parameters.DeviceWindow = window;
    parameters.Windowed = true;
    parameters.EnableAutoDepthStencil = true;
    parameters.AutoDepthStencilFormat = FMT_D24S8;
    GfxDevice* device = nullptr;
    if (GfxFailed(direct3D->CreateDevice(0, DEVTYPE_HAL, window, CREATE_HARDWARE_VERTEXPROCESSING,
                                         &parameters, &device)))
    {
        direct3D->Release();
        return Fail("no device");
    }
    const bool windowed = static_cast<GLDevice*>(device)->IsWindowed();

    for (unsigned long frame = 0; frame < frames; ++frame)
    {
        Message message;
        while (PeekMessage(message, PM_REMOVE))
            DispatchMessage(message);
        device->Clear(0, nullptr, CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF000000 | color, 1.0f, 0);
        device->BeginScene();
        device->EndScene();
        device->Present();
    }

    FrameCapture captured;
    device->CaptureFrame(&captured);
    const uint8_t* centre = &captured.Rows[((kHeight / 2) * kWidth + kWidth / 2) * 3];
    const uint32_t seen =
        static_cast<uint32_t>(centre[2]) << 16 | static_cast<uint32_t>(centre[1]) << 8 | centre[0];
    std::printf("gfxcheck: %ux%u %s, %lu frames, centre %06X\n", captured.Width, captured.Height,
                windowed ? "window" : "headless", frames, seen);
    device->Release();
    direct3D->Release();
    if (window)
        DestroyWindow(window);
    if (seen != color)
        return Fail("the presented frame is not the cleared colour");
    return 0;
}
