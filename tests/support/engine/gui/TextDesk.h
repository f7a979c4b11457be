#pragma once

#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextBoxParams.h"
#include "engine/render/kaFont.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A graphics manager on the test device (640 by 480) with the generated font "bar16m", a GUI desk and a
// window "form" covering the screen; text laid out as a frame lays it out, nothing drawn.
class TextDeskTest : public ::testing::Test
{
protected:
    static std::string FontFile(const std::string& name)
    {
        return std::string(TARVOLIN_CONTENT_DIR) + "/UI/fonts/" + name;
    }

    void SetUp() override
    {
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "TextDesk";
        platform::RegisterClass(windowClass);
        m_WindowHandle =
            platform::CreateWindow(0, "TextDesk", "Tarvolin", 0, 0, 0, 640, 480, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        const std::string config =
            m_Dir.Write("Tarvolin.cfg",
                        "[Begin Graphics Config]\nFullScreen=0\nBitsPerPixel=32\n[End Graphics Config]\n");
        m_Graphics = std::make_unique<kaGraphicsManager>();
        ASSERT_TRUE(m_Graphics->Initialize(m_WindowHandle, config.c_str(), nullptr, false));
        m_Font = m_Graphics->LoadFont(FontFile("barmeno16m.kaff"), "bar16m");
        ASSERT_NE(m_Font, nullptr);
        m_Desk = std::make_unique<testsupport::GuiDesk>();
        m_Form = m_Desk->AddWindow("form", 0, 0, 640, 480);
    }

    void TearDown() override
    {
        m_Desk.reset();
        m_Graphics.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
    }

    // An editable, scrollable box in "bar16m" at the pixel rectangle, added to the form.
    guiTextBox* AddBox(const std::string& name, int x, int y, int w, int h, const std::string& text = "")
    {
        guiTextBoxParams params;
        params.name = name;
        params.font = "bar16m";
        params.text = text;
        params.position = guiCoordPair::Pixels(float(x), float(y));
        params.size = guiCoordPair::Pixels(float(w), float(h));
        auto* box = new guiTextBox(params);
        m_Form->AddChild(box);
        return box;
    }

    void Key(uint8_t code, bool shift = false)
    {
        guiMsgKey message;
        message.key = code;
        message.virtualKey = 1;
        message.shift = shift ? 1 : 0;
        m_Desk->manager.OnKey(message);
        m_Desk->Frame();
    }

    void Type(const std::string& text)
    {
        for (char c : text)
        {
            guiMsgKey message;
            message.key = static_cast<uint8_t>(c);
            m_Desk->manager.OnKey(message);
            m_Desk->Frame();
        }
    }

    int Advance(char c) const
    {
        float u0, v0, u1, v1, width, height;
        int32_t advance = 0, bearingX = 0, bearingY = 0;
        EXPECT_TRUE(m_Font->GetGlyphMetrics(c, u0, v0, u1, v1, width, height, advance, bearingX, bearingY));
        return advance;
    }

    int Width(const std::string& text) const
    {
        int width = 0;
        for (char c : text)
            width += Advance(c);
        return width;
    }

    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_WindowHandle = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous;
    testsupport::TempDir m_Dir;
    std::unique_ptr<kaGraphicsManager> m_Graphics;
    kaFont* m_Font = nullptr;
    std::unique_ptr<testsupport::GuiDesk> m_Desk;
    guiWindow* m_Form = nullptr;
};
