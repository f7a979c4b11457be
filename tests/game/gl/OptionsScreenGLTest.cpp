#include "engine/gui/guiDropDown.h"
#include "engine/gui/guiListBox.h"
#include "engine/gui/guiManager.h"
#include "game/app/Tarvolin.h"
#include "game/screens/DebugWindow.h"
#include "game/screens/OptionsWindow.h"
#include "tests/support/FrameReading.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

using testsupport::HeadlessGame;

namespace
{

// With a mouse and a keyboard, so that the controls page shows their keys.
HeadlessGame::Options RealGraphics()
{
    HeadlessGame::Options options;
    options.realGraphics = true;
    options.devices = {gametest::Mouse(), gametest::Keyboard()};
    return options;
}

// Dark pixels in the box: the back of a window drawn there.
int DarkPixels(const platform::FrameCapture& frame, int left, int top, int right, int bottom)
{
    int dark = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
        {
            const testsupport::Rgb pixel = testsupport::FramePixel(frame, x, y);
            dark += pixel.r < 40 && pixel.g < 40 && pixel.b < 60 ? 1 : 0;
        }
    return dark;
}

} // namespace

// Each page and the console as a player sees them, then a new display size taken on OK.
TEST(OptionsScreenGLTest, PagesAndConsoleArePhotographedAndOkResizesTheBackBuffer)
{
    HeadlessGame game(RealGraphics());
    ASSERT_TRUE(game.Start());
    auto* window = game.Gui().FindWindow(OptionsWindow::kWindowName)->DynamicCast<OptionsWindow>();
    ASSERT_NE(window, nullptr);
    game.Click("main window", "Options Button");
    ASSERT_TRUE(game.RunScript(10));
    ASSERT_TRUE(window->IsVisible());

    const std::pair<const char*, const char*> pages[] = {
        {OptionsWindow::kVideoTab, "options_video"},
        {OptionsWindow::kAudioTab, "options_audio"},
        {OptionsWindow::kControlsTab, "options_controls"},
    };
    for (const auto& page : pages)
    {
        game.Click(OptionsWindow::kWindowName, page.first);
        ASSERT_TRUE(game.RunScript());
        ASSERT_TRUE(game.Screenshot(page.second)) << page.second;
    }

    // The resolution list open over the page.
    game.Click(OptionsWindow::kWindowName, OptionsWindow::kVideoTab);
    ASSERT_TRUE(game.RunScript());
    window->GetResolutionList()->Toggle();
    ASSERT_TRUE(window->GetResolutionList()->IsOpen());
    ASSERT_TRUE(game.Screenshot("options_video_list"));
    {
        // Its rows stand out from the list's white back.
        const platform::FrameCapture open = game.Capture();
        const platform::Rect& list = window->GetResolutionList()->GetList()->GetHitRect();
        ASSERT_GT(list.bottom - list.top, 40);
        int ink = 0;
        for (int y = list.top; y < list.top + 40; ++y)
            for (int x = list.left; x < list.right; ++x)
            {
                const testsupport::Rgb pixel = testsupport::FramePixel(open, x, y);
                ink += pixel.r < 120 && pixel.g < 120 ? 1 : 0;
            }
        EXPECT_GT(ink, 40);
    }
    window->GetResolutionList()->Toggle();
    game.Click(OptionsWindow::kWindowName, OptionsWindow::kControlsTab);
    ASSERT_TRUE(game.RunScript());

    DebugWindow* console = game.App().GetConsoleWindow();
    ASSERT_NE(console, nullptr);
    game.App().ConsoleCommand("Console ready");
    for (const char* shot : {"console_small", "console_wide"})
    {
        game.Window().Type("`");
        ASSERT_TRUE(game.RunScript(2));
        ASSERT_TRUE(game.Screenshot(shot)) << shot;
    }
    // The console's back covers what lies under it, wide as it is.
    const platform::FrameCapture frame = game.Capture();
    ASSERT_GT(frame.Width, 0u);
    const platform::Rect& rect = console->GetHitRect();
    EXPECT_EQ(rect.right - rect.left, 500);
    const int right = std::min<int>(rect.right, int(frame.Width));
    const int bottom = std::min<int>(rect.bottom, int(frame.Height));
    EXPECT_GT(DarkPixels(frame, rect.left, rect.top, right, bottom),
              (right - rect.left) * (bottom - rect.top) / 2);
    game.Window().Type("`");
    ASSERT_TRUE(game.RunScript(2));
    EXPECT_FALSE(console->IsVisible());

    for (const char* name :
         {"options_video", "options_audio", "options_controls", "console_small", "console_wide"})
        EXPECT_TRUE(std::filesystem::exists(HeadlessGame::ScreenshotFolder() + "/" + name + ".tga")) << name;

    ASSERT_EQ(game.Capture().Width, 800u);
    game.Click(OptionsWindow::kWindowName, OptionsWindow::kVideoTab);
    ASSERT_TRUE(game.RunScript());
    guiListBox* list = window->GetResolutionList()->GetList();
    const int32_t row = list->FindRow("640x480", 0);
    ASSERT_GE(row, 0);
    list->SelectRow(row, true);
    game.Click(OptionsWindow::kWindowName, OptionsWindow::kOkName);
    ASSERT_TRUE(game.RunScript(10));
    const platform::FrameCapture resized = game.Capture();
    EXPECT_EQ(resized.Width, 640u);
    EXPECT_EQ(resized.Height, 480u);
    EXPECT_EQ(game.Gui().GetCursorBounds().right, 640);
    EXPECT_TRUE(game.Gui().FindWindow("main window")->IsVisible());
    ASSERT_TRUE(game.Screenshot("options_after_resize"));
}
