#include "engine/gui/guiImage.h"
#include "engine/gui/guiManager.h"
#include "engine/gui/guiSlider.h"
#include "game/app/Tarvolin.h"
#include "game/screens/OptionsWindow.h"
#include "tests/support/game/HeadlessGame.h"
#include "tests/support/game/ScriptedInput.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using testsupport::HeadlessGame;

namespace
{

constexpr const char* kRunMainWindow = "main window";
constexpr const char* kRunOptionsWindow = "Options Window";
// Raw mouse kinds of the message loop: the x movement and button 0.
constexpr int kMouseXAxis = 1;
constexpr int kMouseButton0 = 4;

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// Each saved binding as "action:device/control/range".
std::vector<std::string> SavedBindings(const std::string& path)
{
    std::vector<std::string> bindings;
    TiXmlDocument document;
    if (!document.LoadFile(path.c_str()) || document.RootElement() == nullptr)
        return bindings;
    for (const TiXmlElement* device = document.RootElement()->FirstChildElement("device"); device;
         device = device->NextSiblingElement("device"))
        for (const TiXmlElement* control = device->FirstChildElement("control"); control;
             control = control->NextSiblingElement("control"))
            bindings.push_back(std::string(control->FirstChildElement("action")->GetText()) + ":" +
                               device->FirstChildElement("name")->GetText() + "/" +
                               control->FirstChildElement("name")->GetText() + "/" +
                               control->FirstChildElement("range")->GetText());
    return bindings;
}

} // namespace

// A player sets the music to half and drives with C instead of W, through the mouse and the keyboard
// alone, and finds both kept after quitting.
TEST(OptionsRunTest, MusicVolumeAndANewAccelerateKeyAreSavedOnQuit)
{
    gametest::Script mouse = gametest::Mouse();
    gametest::Script keyboard = gametest::Keyboard();
    HeadlessGame::Options options;
    options.devices = {mouse, keyboard};
    HeadlessGame game(options);
    ASSERT_TRUE(game.Start());
    auto* window = game.Gui().FindWindow(kRunOptionsWindow)->DynamicCast<OptionsWindow>();
    ASSERT_NE(window, nullptr);

    game.Click(kRunMainWindow, "Options Button");
    ASSERT_TRUE(game.RunScript(10));
    game.Click(kRunOptionsWindow, OptionsWindow::kAudioTab);
    ASSERT_TRUE(game.RunScript());
    ASSERT_TRUE(window->IsVisible());
    ASSERT_TRUE(window->GetPage(OptionsWindow::kAudio)->IsVisible());

    // The thumb is taken where it stands and dragged to the middle of the track.
    guiSlider* slider = window->GetMusicSlider();
    int distance = 0;
    game.Queue(
        [&]
        {
            const kaPoint corner = slider->GetThumb()->ToPixels(slider->GetThumb()->GetPosition());
            const platform::Rect& rect = slider->GetHitRect();
            const int thumbX = rect.left + corner.x + slider->GetThumbSize().x / 2;
            const int y = (rect.top + rect.bottom) / 2;
            // The pointer comes to rest on the thumb before the press.
            game.Gui().SetCursorPosition(thumbX, y);
            game.App().OnMouse(kMouseXAxis, 0, 0, 0);
            distance = (rect.left + rect.right) / 2 - thumbX;
        });
    game.Queue([&] { game.App().OnMouse(kMouseButton0, 1, 0, 0); });
    game.Queue([&] { game.App().OnMouse(kMouseXAxis, 0, distance, 0); });
    game.Queue([&] { game.App().OnMouse(kMouseButton0, 0, 0, 0); });
    ASSERT_TRUE(game.RunScript());
    EXPECT_LT(distance, -100);
    EXPECT_EQ(game.App().GetMusicVolume(), -2000);

    game.Click(kRunOptionsWindow, OptionsWindow::kControlsTab);
    game.Click(kRunOptionsWindow, "accel_b");
    game.Queue([&] { keyboard->PushReading({0, 0, 0, 0, 1, 0, 0, 0, 0}); });
    game.Queue([&] { keyboard->PushReading({0, 0, 0, 0, 0, 0, 0, 0, 0}); });
    ASSERT_TRUE(game.RunScript());
    EXPECT_EQ(game.App().GetInputManager()->GetBindingName(6, 0, 0), "C");
    game.Click(kRunOptionsWindow, OptionsWindow::kOkName);
    ASSERT_TRUE(game.RunScript(20));
    EXPECT_FALSE(window->IsVisible());
    EXPECT_TRUE(game.Gui().FindWindow(kRunMainWindow)->IsVisible());

    game.Click(kRunMainWindow, "Quit Button");
    bool running = true;
    for (int frame = 0; frame < 50 && running; ++frame)
        running = game.Frame();
    ASSERT_FALSE(running);
    EXPECT_NE(ReadFile(game.Install().Path() + "/Tarvolin.cfg").find("\nMusicVolume=-2000\n"),
              std::string::npos);
    // The content's folder is spelt "Data"; the game finds it in any case.
    const std::vector<std::string> bindings = SavedBindings(game.Install().File("Data/controls.xml"));
    EXPECT_NE(std::find(bindings.begin(), bindings.end(), "6:Keyboard/C/2"), bindings.end())
        << ReadFile(game.Install().File("Data/controls.xml"));
    EXPECT_EQ(std::find(bindings.begin(), bindings.end(), "6:Keyboard/W/2"), bindings.end());
}
