#include "tools/guigen/GuiContent.h"

#include "engine/core/kaFileSystem.h"
#include "engine/gui/MessageBoxWindow.h"
#include "engine/gui/guiButton.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/render/kaGraphicsManager.h"
#include "platform/gfx/Direct3DFactory.h"
#include "platform/gfx/TestDirect3D.h"
#include "platform/window/ScriptedWindowBackend.h"
#include "platform/window/Window.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/DebugCapture.h"
#include "tests/support/TempDir.h"
#include "tests/support/engine/gui/GuiDesk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

// The generated content in a fresh current folder, a graphics manager on the test device and a GUI desk
// whose message box comes from the generated layout.
class MessageBoxLayoutTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::string error;
        ASSERT_TRUE(guigen::WriteContent(".", error)) << error;
        platform::WindowClass windowClass;
        windowClass.procedure = &platform::DefWindowProc;
        windowClass.className = "MessageBoxLayout";
        platform::RegisterClass(windowClass);
        m_Window =
            platform::CreateWindow(0, "MessageBoxLayout", "Tarvolin", 0, 0, 0, 640, 480, nullptr, nullptr);
        m_Previous = platform::SetDirect3DFactory(
            [this]() -> platform::GfxDirect3D*
            {
                m_D3D->AddRef();
                return m_D3D;
            });
        const std::string config =
            m_Dir.Write("Tarvolin.cfg", "[Begin Graphics Config]\n[End Graphics Config]\n");
        m_Graphics = std::make_unique<kaGraphicsManager>();
        ASSERT_TRUE(m_Graphics->Initialize(m_Window, config.c_str(), nullptr, false));
        m_Desk = std::make_unique<testsupport::GuiDesk>();
        m_Files.AddSearchPath("ui");
    }

    void TearDown() override
    {
        m_Desk.reset();
        m_Graphics.reset();
        platform::SetDirect3DFactory(m_Previous);
        m_D3D->Release();
        gui::SetLayoutVersion(gui::kLayoutVersion);
    }

    void QueueClick(int x, int y)
    {
        guiMsgMouse move;
        move.data.moved = true;
        move.data.dx = x - m_Desk->manager.GetCursorPosition().x;
        move.data.dy = y - m_Desk->manager.GetCursorPosition().y;
        m_Desk->manager.OnMouseInput(move);
        for (bool down : {true, false})
        {
            guiMsgMouse press;
            press.data.buttonsChanged = true;
            press.data.changed[0] = true;
            press.data.buttons[0] = down;
            m_Desk->manager.OnMouseInput(press);
        }
    }

    testsupport::TempDir m_Dir;
    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
    kaFileSystem m_Files;
    platform::ScriptedWindowBackend m_Backend;
    platform::WindowHandle m_Window = nullptr;
    platform::TestDirect3D* m_D3D = new platform::TestDirect3D;
    platform::Direct3DFactory m_Previous;
    std::unique_ptr<kaGraphicsManager> m_Graphics;
    std::unique_ptr<testsupport::GuiDesk> m_Desk;
};

TEST_F(MessageBoxLayoutTest, TheGeneratedBoxIsFoundThroughTheUiFolderAndBehavesAsTheBuiltInOne)
{
    testsupport::DebugCapture debug;
    m_Desk->manager.CreateMessageBox("common\\messagebox.kab");
    EXPECT_FALSE(debug.Contains("[guiManager::CreateMessageBox]")) << "all six children are there";
    MessageBoxWindow* box = m_Desk->manager.GetMessageBox();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->IsComplete());
    EXPECT_EQ(box->GetName(), MessageBoxWindow::kWindowName);
    EXPECT_TRUE(box->IsDraggable());
    EXPECT_FALSE(box->IsVisible());
    EXPECT_FALSE(box->GetCaptionBar()->IsEditable());

    const struct
    {
        int32_t flags;
        const char* press;
        int32_t result;
        std::vector<std::pair<std::string, int>> buttons;
    } cases[] = {
        {15,
         "cancel button",
         2,
         {{"ok button", 10}, {"yes button", 70}, {"no button", 130}, {"cancel button", 190}}},
        {1, "ok button", 1, {{"ok button", 100}}},
        {12, "yes button", 4, {{"yes button", 70}, {"no button", 130}}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.press);
        std::vector<std::pair<std::string, int>> shown;
        std::string text;
        m_Desk->frames = 0;
        m_Desk->onFrame = [&](int frame)
        {
            if (frame == 2)
            {
                text = box->GetTextArea()->GetText();
                for (guiButton* button :
                     {box->GetOkButton(), box->GetYesButton(), box->GetNoButton(), box->GetCancelButton()})
                    if (button->IsVisible())
                        shown.emplace_back(button->GetName(), button->ToPixels(button->GetPosition()).x);
                guiGlyph* pressed = box->FindChild(c.press);
                const kaPoint at = pressed->ToPixels(pressed->GetPosition());
                QueueClick(box->GetPixelPosition().x + at.x + 25, box->GetPixelPosition().y + at.y + 15);
            }
            return frame < 50;
        };
        EXPECT_EQ(m_Desk->manager.ShowMessageBox("Quit the run?", "Tarvolin", c.flags), c.result);
        m_Desk->onFrame.clear();
        EXPECT_EQ(shown, c.buttons);
        EXPECT_EQ(text, "<text>Quit the run?</text>");
        EXPECT_EQ(m_Desk->manager.GetMessageBox(), box) << "the generated box stays in use";
    }
}

} // namespace
