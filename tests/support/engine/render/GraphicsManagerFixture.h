#pragma once

#include "engine/render/kaGraphicsManager.h"

#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDevice.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A graphics manager started on the scripted entry object, with a scripted window and a configuration file
// in a temporary folder.
class GraphicsManagerFixture : public ::testing::Test
{
protected:
    GraphicsManagerFixture()
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "GraphicsTest";
        platform::RegisterClass(windowClass);
        m_Window = platform::CreateWindow(0, "GraphicsTest", "Tarvolin", 0, 0, 0, 100, 100, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                if (!m_ProvideD3D)
                    return nullptr;
                m_D3D->AddRef();
                return m_D3D;
            });
    }

    ~GraphicsManagerFixture() override
    {
        m_Manager.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
    }

    // Starts the manager from a configuration file holding the given text; no file when text is null.
    bool Start(const char* config)
    {
        if (config)
            m_Dir.Write("Tarvolin.cfg", config);
        m_ConfigPath = m_Dir.File("Tarvolin.cfg");
        m_Manager = std::make_unique<kaGraphicsManager>();
        return m_Manager->Initialize(m_Window, m_ConfigPath.c_str(), nullptr, false);
    }

    platform::TestDevice* Device() const { return m_D3D->LastDevice(); }

    std::vector<std::string> CallsOf(const std::string& method) const
    {
        std::vector<std::string> args;
        if (m_Manager && m_Manager->GetDevice())
            for (const auto& call : Device()->Calls())
                if (call.Method == method)
                    args.push_back(call.Args);
        return args;
    }

    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    bool m_ProvideD3D = true;
    platform::Direct3DFactory m_Previous;
    testsupport::TempDir m_Dir;
    std::string m_ConfigPath;
    std::unique_ptr<kaGraphicsManager> m_Manager;
};
