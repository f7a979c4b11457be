#pragma once

// Header-only: tests_support links platform_system alone, and only the programs that include this one link
// the renderer.

#include "engine/render/kaGraphicsManager.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/ScopedVariable.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>
#include <utility>

namespace testsupport
{

// The real graphics back end without a display: a scripted window with no native window behind it, so the
// device draws offscreen, and a graphics manager started from a configuration file in its own temporary
// folder. Restores the headless switch on destruction.
class HeadlessGraphics
{
public:
    static constexpr const char* kHeadlessVariable = "TARVOLIN_GFX_HEADLESS";

    HeadlessGraphics(std::string className, int windowWidth, int windowHeight)
        : m_ClassName(std::move(className)), m_WindowWidth(windowWidth), m_WindowHeight(windowHeight)
    {
    }

    ~HeadlessGraphics() { Stop(); }

    HeadlessGraphics(const HeadlessGraphics&) = delete;
    HeadlessGraphics& operator=(const HeadlessGraphics&) = delete;

    // A windowed graphics section; a size of 0 leaves the display size out.
    static std::string WindowedConfig(int displayWidth, int displayHeight, bool depthStencil)
    {
        std::string config = "[Begin Graphics Config]\nFullScreen=0\n";
        if (displayWidth > 0 && displayHeight > 0)
            config += "FSDisplayWidth=" + std::to_string(displayWidth) +
                      "\nFSDisplayHeight=" + std::to_string(displayHeight) + "\n";
        config += "BitsPerPixel=32\n";
        if (depthStencil)
            config += "EnableDepthStencil=1\n";
        return config + "[End Graphics Config]\n";
    }

    // Writes the configuration as "Tarvolin.cfg", creates the window and starts a manager from both.
    // Whether the manager started; the manager stays for inspection either way. Without the system font
    // the name "System" stays free for a generated font, so nothing depends on the machine's faces.
    bool Start(const std::string& configText, bool systemFont = true)
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = m_ClassName;
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, m_ClassName, "Tarvolin", 0, 0, 0, m_WindowWidth, m_WindowHeight,
                                          nullptr, nullptr);
        m_ConfigPath = m_Dir.Write("Tarvolin.cfg", configText);
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Manager->SetSkipSystemFont(!systemFont);
        return m_Manager->Initialize(m_Window, m_ConfigPath.c_str(), nullptr, false);
    }

    // Shuts the manager down (it writes its configuration back), for tests that look at what it left.
    void Stop() { m_Manager.reset(); }

    platform::WindowHandle Window() const { return m_Window; }
    kaGraphicsManager* Manager() const { return m_Manager.get(); }
    platform::GfxDevice* Device() const { return m_Manager ? m_Manager->GetDevice() : nullptr; }
    TempDir& Dir() { return m_Dir; }
    const std::string& ConfigPath() const { return m_ConfigPath; }

private:
    std::string m_ClassName;
    int m_WindowWidth;
    int m_WindowHeight;
    ScopedVariable m_Headless{kHeadlessVariable, "1"};
    platform::ScriptedWindowBackend m_Backend;
    TempDir m_Dir;
    platform::WindowHandle m_Window = nullptr;
    std::string m_ConfigPath;
    std::unique_ptr<kaGraphicsManager> m_Manager;
};

} // namespace testsupport
