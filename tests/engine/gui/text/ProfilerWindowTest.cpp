#include "engine/gui/ProfilerWindow.h"

#include "engine/core/kaClock.h"
#include "engine/core/kaFileSystem.h"
#include "engine/core/kaProfiler.h"
#include "engine/gui/guiLayout.h"
#include "engine/gui/guiText.h"
#include "platform/files/Files.h"
#include "platform/system/ManualClock.h"
#include "tests/support/CurrentDirectory.h"
#include "tests/support/engine/gui/TextDesk.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace
{

// The window's layout under "ui", found through that search folder from a folder of the test's own.
class ProfilerWindowTest : public TextDeskTest
{
protected:
    void SetUp() override
    {
        TextDeskTest::SetUp();
        ASSERT_TRUE(platform::CreateDirectory(m_Dir.File("ui")));
        m_Files.AddSearchPath("ui");
        _ResetClockState();
        m_Clock = std::make_unique<platform::ManualClock>();
        m_Clock->AdvanceSeconds(10.0);
    }

    void TearDown() override
    {
        m_Clock.reset();
        _ResetClockState();
        TextDeskTest::TearDown();
    }

    void WriteLayout(const std::string& boxName)
    {
        auto* root = new guiWindow(guiCoordPair::Pixels(50, 60), guiCoordPair::Pixels(100, 100));
        root->AddRef();
        guiTextBoxParams params;
        params.name = boxName;
        params.font = "bar16m";
        params.editable = false;
        params.size = guiCoordPair::Relative(1.0f, 1.0f);
        root->AddChild(new guiTextBox(params));
        ASSERT_TRUE(gui::SaveLayout(*root, m_Dir.File("ui/ProfilerWindow.kab"), false));
        root->Release();
    }

    testsupport::CurrentDirectory m_Here{m_Dir.File("")};
    kaFileSystem m_Files;
    std::unique_ptr<platform::ManualClock> m_Clock;
};

TEST_F(ProfilerWindowTest, AfterTwoProfilerFramesItsTextBoxHoldsTheReport)
{
    WriteLayout("profiler text");
    auto* window = new ProfilerWindow();
    m_Desk->manager.AddWindow(window);
    EXPECT_EQ(window->GetPosition().x.value, 0.0f);
    EXPECT_EQ(window->GetPosition().y.value, 0.0f);
    EXPECT_EQ(window->GetPixelSize().x, ProfilerWindow::kWidth);
    EXPECT_EQ(window->GetPixelSize().y, ProfilerWindow::kHeight);
    ASSERT_NE(window->GetTextBox(), nullptr);

    kaProfiler profiler;
    profiler.EndFrame(0.02f, window);
    EXPECT_EQ(window->GetTextBox()->GetText(), "") << "the first frame end only names the window";
    profiler.Begin("GUIManager::Update");
    m_Clock->AdvanceSeconds(0.02);
    profiler.End("GUIManager::Update");
    profiler.EndFrame(0.02f, window);

    const std::string text = window->GetTextBox()->GetText();
    const std::string first = text.substr(0, text.find('\n'));
    EXPECT_NE(first.find(" fps "), std::string::npos) << text;
    EXPECT_NE(first.find("triangles/second"), std::string::npos) << text;
    EXPECT_NE(text.find("GUIManager::Update"), std::string::npos) << text;
    m_Desk->Frame();
    EXPECT_EQ(window->GetTextBox()->GetInnerText()->GetText(), text);
    EXPECT_EQ(window->GetTextBox()->GetCaret(), 0);
}

TEST_F(ProfilerWindowTest, AWindowWithoutItsTextBoxShowsNothing)
{
    for (const char* name : {"another box", ""})
    {
        if (*name != '\0')
            WriteLayout(name);
        auto* window = new ProfilerWindow();
        window->AddRef();
        EXPECT_EQ(window->GetTextBox(), nullptr) << name;
        window->SetText("1.0 fps");
        window->Release();
    }
}

} // namespace
