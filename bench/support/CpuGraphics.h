#pragma once

#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

// A graphics manager on the CPU test device with its call log off (the log is the tests' tool, not the
// engine's work), for the length of one benchmark. The name titles the window class and the empty
// configuration file, so programs running side by side keep apart.
class CpuGraphics
{
public:
    explicit CpuGraphics(const std::string& name)
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = name;
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, name, "Tarvolin", 0, 0, 0, 100, 100, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        m_Config = (std::filesystem::temp_directory_path() / ("tarvolin_" + name + ".cfg")).string();
        std::ofstream(m_Config) << "";
        m_Manager = std::make_unique<kaGraphicsManager>();
        m_Ready = m_Manager->Initialize(m_Window, m_Config.c_str(), nullptr, false);
        if (m_D3D->LastDevice())
            m_D3D->LastDevice()->SetLogging(false);
    }
    ~CpuGraphics()
    {
        m_Manager.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
        std::remove(m_Config.c_str());
    }
    CpuGraphics(const CpuGraphics&) = delete;
    CpuGraphics& operator=(const CpuGraphics&) = delete;

    bool Ready() const { return m_Ready; }

private:
    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous;
    std::string m_Config;
    std::unique_ptr<kaGraphicsManager> m_Manager;
    bool m_Ready = false;
};
