#pragma once

#include "engine/render/kaGraphicsManager.h"

#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// The graphics manager on the headless OpenGL device behind a scripted 640 x 480 window, its configuration
// in a temporary folder that the benchmark may also use for its own files.
class HeadlessGL
{
public:
    static constexpr uint32_t kWidth = 640;
    static constexpr uint32_t kHeight = 480;

    HeadlessGL() = default;
    HeadlessGL(const HeadlessGL&) = delete;
    HeadlessGL& operator=(const HeadlessGL&) = delete;
    ~HeadlessGL() { Stop(); }

    // The name titles the window class. False when the manager did not start.
    bool Start(const std::string& name)
    {
        setenv("TARVOLIN_GFX_HEADLESS", "1", 1);
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = name;
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, name, "Tarvolin", 0, 0, 0, kWidth, kHeight, nullptr, nullptr);
        char folder[] = "/tmp/tarvolin-bench-XXXXXX";
        m_Folder = mkdtemp(folder) ? folder : "/tmp";
        m_ConfigFile = m_Folder + "/Tarvolin.cfg";
        if (FILE* file = std::fopen(m_ConfigFile.c_str(), "w"))
        {
            std::fputs("[Begin Graphics Config]\nFullScreen=0\nFSDisplayWidth=640\nFSDisplayHeight=480\n"
                       "BitsPerPixel=32\nEnableDepthStencil=1\n[End Graphics Config]\n",
                       file);
            std::fclose(file);
        }
        m_Manager = std::make_unique<kaGraphicsManager>();
        return m_Manager->Initialize(m_Window, m_ConfigFile.c_str(), nullptr, false);
    }

    // Ends the manager and the window and removes the folder, which must hold nothing else by then. For
    // benchmarks whose own objects must go before the manager; the destructor stops otherwise.
    void Stop()
    {
        m_Manager.reset();
        if (m_Window)
            platform::DestroyWindow(m_Window);
        m_Window = nullptr;
        if (!m_ConfigFile.empty())
        {
            std::remove(m_ConfigFile.c_str());
            std::remove(m_Folder.c_str());
        }
        m_ConfigFile.clear();
        unsetenv("TARVOLIN_GFX_HEADLESS");
    }

    kaGraphicsManager* Manager() const { return m_Manager.get(); }
    const std::string& Folder() const { return m_Folder; }

private:
    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    std::string m_Folder;
    std::string m_ConfigFile;
    std::unique_ptr<kaGraphicsManager> m_Manager;
};
