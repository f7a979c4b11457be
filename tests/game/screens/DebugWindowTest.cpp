#include "game/screens/DebugWindow.h"

#include "engine/gui/guiCompositeGlyph.h"
#include "engine/gui/guiDisplayBox.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiTextBox.h"
#include "engine/gui/guiTextParams.h"
#include "game/app/Tarvolin.h"
#include "platform/window/Rect.h"
#include "tests/support/game/HeadlessGame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

class DebugWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Game.Start());
        m_Console = m_Game.App().GetConsoleWindow();
        ASSERT_NE(m_Console, nullptr);
        ASSERT_NE(m_Console->GetOutputBox(), nullptr);
        ASSERT_NE(m_Console->GetInputBox(), nullptr);
    }

    void Frames(int count)
    {
        for (int i = 0; i < count; ++i)
            ASSERT_TRUE(m_Game.Frame());
    }

    std::vector<std::string> ShownLines() const
    {
        std::vector<std::string> lines;
        for (const auto& entry : m_Console->GetOutputBox()->GetComposition()->GetEntries())
            lines.push_back(static_cast<const guiTextParams*>(entry.params)->text);
        return lines;
    }

    HeadlessGame m_Game;
    DebugWindow* m_Console = nullptr;
};

} // namespace

TEST_F(DebugWindowTest, ToggleShowsAndHidesInTurn)
{
    EXPECT_FALSE(m_Console->IsVisible());
    EXPECT_EQ(m_Console->GetState(), DebugWindow::kHidden);
    struct Step
    {
        DebugWindow::State state;
        bool visible;
        int width;
    };
    const Step steps[] = {
        {DebugWindow::kSmall, true, 250},
        {DebugWindow::kWide, true, 500},
        {DebugWindow::kHidden, false, 0},
        {DebugWindow::kSmall, true, 250},
    };
    for (const Step& step : steps)
    {
        // The key goes through the window's message loop, as the player presses it.
        m_Game.Window().Type("`");
        Frames(2);
        EXPECT_EQ(m_Console->GetState(), step.state);
        EXPECT_EQ(m_Console->IsVisible(), step.visible);
        if (!step.visible)
            continue;
        EXPECT_EQ(m_Game.Gui().GetActiveWindow(), m_Console);
        const platform::Rect& rect = m_Console->GetHitRect();
        EXPECT_EQ(rect.right - rect.left, step.width);
        EXPECT_EQ(rect.bottom - rect.top, 125);
        EXPECT_EQ(rect.left, 464);
        EXPECT_EQ(rect.top, 450);
    }
}

TEST_F(DebugWindowTest, KeepsTheNewestLinesOnly)
{
    EXPECT_TRUE(ShownLines().empty());
    m_Game.App().ConsoleCommand("first line");
    EXPECT_EQ(ShownLines(), (std::vector<std::string>{"first line"}));
    m_Game.App().ConsoleCommand("second line");
    m_Game.App().ConsoleCommand("third line");
    EXPECT_EQ(ShownLines(), (std::vector<std::string>{"third line"}));
    // Shown or not, the box keeps only the latest.
    m_Game.Window().Type("`");
    Frames(2);
    m_Game.App().ConsoleCommand("shown line");
    Frames(1);
    EXPECT_EQ(ShownLines(), (std::vector<std::string>{"shown line"}));
}

TEST_F(DebugWindowTest, EnterKeepsTheTypedTextSelectedAndTheFocusInTheLine)
{
    m_Game.Window().Type("`");
    Frames(2);
    ASSERT_TRUE(m_Console->IsVisible());
    m_Game.Click(DebugWindow::kWindowName, DebugWindow::kInputName);
    ASSERT_TRUE(m_Game.RunScript());
    guiTextBox* input = m_Console->GetInputBox();
    ASSERT_EQ(m_Console->GetFocusedWidget(), input);

    m_Game.Window().Type("fps");
    m_Game.Window().KeyDown(guiTextBox::kKeyEnter);
    m_Game.Window().KeyUp(guiTextBox::kKeyEnter);
    Frames(3);
    EXPECT_EQ(input->GetText(), "fps");
    EXPECT_EQ(input->GetSelectionAnchor(), 0);
    EXPECT_EQ(input->GetSelectionEnd(), 3);
    EXPECT_EQ(m_Console->GetFocusedWidget(), input);
    EXPECT_EQ(m_Game.Gui().GetActiveWindow(), m_Console);

    // Typing over the selection replaces the whole line.
    m_Game.Window().Type("x");
    Frames(2);
    EXPECT_EQ(input->GetText(), "x");
}
