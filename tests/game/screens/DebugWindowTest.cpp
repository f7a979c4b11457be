#include "game/screens/DebugWindow.h"

#include <gtest/gtest.h>

#include <string>

TEST(DebugWindowTest, ToggleShowsAndHidesInTurn)
{
    DebugWindow console;
    EXPECT_FALSE(console.IsVisible());
    const DebugWindow::State states[] = {DebugWindow::kShown, DebugWindow::kHidden, DebugWindow::kShown};
    for (DebugWindow::State state : states)
    {
        console.Toggle();
        EXPECT_EQ(console.GetState(), state);
        EXPECT_EQ(console.IsVisible(), state != DebugWindow::kHidden);
    }
}

TEST(DebugWindowTest, KeepsTheNewestLinesOnly)
{
    DebugWindow console;
    for (int i = 0; i < 520; ++i)
        console.AddLine("line " + std::to_string(i));
    ASSERT_EQ(console.GetLines().size(), 500u);
    EXPECT_EQ(console.GetLines().front(), "line 20");
    EXPECT_EQ(console.GetLines().back(), "line 519");
}
